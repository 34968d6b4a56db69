"""Long chains of aliases and script files, as a script that builds on others makes
them: 10,000 aliases each running the next, 1,000 script files each running the next,
and a RESET at the end of 100 aliases, all run from autoexec.cfg to their ends, in
order, before the window shows."""

import unittest

from brawlex_harness import DATA_FILES, GameTestCase, poll

OUTPUT = 1000
PICTURES_AND_HELP = tuple(f for f in DATA_FILES if not f.endswith(".cfg"))


def chain_files():
    """autoexec.cfg and the scripts it runs."""
    lines = ["ECHOOFF"]
    lines += [f"ALIAS A{i} A{i + 1}" for i in range(9999)]
    lines.append("ALIAS A9999 ECHO END OF 10000 ALIASES")
    lines += [f"ALIAS R{i} R{i + 1}" for i in range(99)]
    lines.append("ALIAS R99 RESET")
    lines += ["A0", "EXEC S0", "R0", "ECHO DONE"]
    files = {f"S{i}": f"EXEC S{i + 1}\n" for i in range(999)}
    files["S999"] = "ECHO END OF 1000 SCRIPTS\n"
    return "\n".join(lines) + "\n", files


class DeepChainTest(GameTestCase):
    def test_chains_of_aliases_and_scripts_run_to_their_ends(self):
        autoexec, scripts = chain_files()
        self.game.start(PICTURES_AND_HELP, config="ECHO CONFIG RAN\n", autoexec=autoexec,
                        extra=scripts)
        self.game.main_window(timeout=120)
        console = self.game.open_console()
        output = poll(lambda: self.game.dialog_texts(console)[OUTPUT], 10,
                      what="the console's output")
        # Newest first: config.cfg ran at start and again for the RESET at the end of
        # the 100 aliases.
        self.assertTrue(output.startswith("'DONE\r\n'CONFIG RAN\r\n'END OF 1000 SCRIPTS\r\n"
                                          "'END OF 10000 ALIASES\r\n'CONFIG RAN\r\n"),
                        output[:300])


if __name__ == "__main__":
    unittest.main()
