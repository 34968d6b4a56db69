"""Start-up configuration as a user sets it up: the default keys when config.cfg is
missing, an alias from config.cfg run by autoexec.cfg that quits, and a refused BIND
that takes the rest of its line (a QUIT) with it while the next line still runs, and
script and text files whose names hold letters outside ASCII."""

import unittest

from brawlex_harness import DATA_FILES, DIALOG_CLASS, MAIN_CLASS, GameTestCase, poll
from scenario_support import P2_KEYS, assert_walks, wait_settled

PICTURES_AND_HELP = tuple(f for f in DATA_FILES if not f.endswith(".cfg"))
QUIET_CONFIG = "// no key bindings needed here\n"
INPUT, ENTER, OUTPUT = 1001, 1002, 1000


class ConfigurationTest(GameTestCase):
    def test_without_config_the_default_keys_drive_the_fighters(self):
        # The message box itself is checked with the window; here: after OK the
        # defaults are in force, player 2's included.
        self.game.start(PICTURES_AND_HELP)
        box = self.game.message_box(caption="Error")
        self.assertEqual(box["text"], "Configuration file not found; using defaults")
        self.game.click(box, 1)
        area = self.game.main_window()["client"]
        wait_settled(self.game, area)
        assert_walks(self.game, area, 1, P2_KEYS["left"], -1)

    def test_an_alias_from_config_run_by_autoexec_quits_the_game(self):
        self.game.start(PICTURES_AND_HELP, config="ALIAS BYE QUIT\n", autoexec="bye\n")
        self.assertEqual(self.game.wait_exit(timeout=60), 0)
        self.assertTrue(self.game.wait_prefix_idle(timeout=30),
                        "Wine processes were left running after the game ended")

    def test_a_refused_bind_drops_the_quit_after_it_but_not_the_next_line(self):
        # FIRE is no action: the BIND is refused and the rest of its line is not run.
        # The next line of the file runs as usual.
        self.game.start(PICTURES_AND_HELP, config=QUIET_CONFIG,
                        autoexec="BIND 1 FIRE SPACE;QUIT\nBIND 1 RIGHT D\n")
        area = self.game.main_window()["client"]
        # A quit from the script is a message posted before the main loop starts; the
        # loop handles every waiting message before it runs a frame. So once player 1
        # walks (frames run), a quit would already have ended the game.
        wait_settled(self.game, area)
        assert_walks(self.game, area, 0, "d", +1)
        self.assertTrue(self.game.running(), "the game ended")
        self.assertTrue(self.game.windows(cls=MAIN_CLASS, visible=True))
        self.assertFalse(self.game.windows(DIALOG_CLASS, visible=True, exe=self.game.exe))


class FileNameTest(GameTestCase):
    """The game reads names in the ANSI code page, 1252 under this Wine: "\xfc" is ü and
    "\xe9" é. Wine keeps the files under their names in UTF-8 on the Linux side."""

    def test_exec_and_showfile_find_names_with_letters_beyond_ascii(self):
        self.game.start(PICTURES_AND_HELP, config=QUIET_CONFIG,
                        # Script texts are written in Latin-1, which is 1252 for these.
                        autoexec="exec \u00fcber.cfg\n",
                        extra={"\u00fcber.cfg": "ECHO RUN FROM A SCRIPT\n",
                               "Caf\u00e9.txt": "shown from a text file\n"})
        self.assertEqual(self.game.probe("codepage")[0]["acp"], 1252)
        self.game.main_window()
        console = self.game.open_console()
        # Typed as a user types it; the probe hands the text to the box in the ANSI
        # code page. The interpreter upper-cases only a-z: "SHOWFILE CAFé.TXT".
        self.game.set_text(console, INPUT, "showfile caf\u00e9.txt")
        self.game.click(console, ENTER)
        output = poll(lambda: (lambda t: t if "showfile" in t else None)(
            self.game.dialog_texts(console)[OUTPUT]), 10, what="the SHOWFILE line to run")
        self.assertTrue(output.startswith("showfile caf\u00e9.txt\r\nshown from a text file\r\n"),
                        output[:200])
        self.assertIn("'RUN FROM A SCRIPT\r\n", output)
        self.game.press("Escape")
        self.game.wait_for_no_window(DIALOG_CLASS, "Console", exe=self.game.exe)


if __name__ == "__main__":
    unittest.main()
