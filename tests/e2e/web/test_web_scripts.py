"""Script files on the web page, whose program has the smallest stack of all: chains of
10,000 aliases and 1,000 script files run to their ends, and a RESET at the end of 100
aliases waits for its message box (config.cfg is gone) and then lets the chain go on."""

import unittest

from selenium.webdriver.common.keys import Keys

from web_harness import CONSOLE_KEY, PageTestCase, poll


def deep_script():
    lines = ["ECHOOFF"]
    lines += [f"ALIAS A{i} A{i + 1}" for i in range(9999)]
    lines.append("ALIAS A9999 ECHO END OF 10000 ALIASES")
    lines += [f"ALIAS R{i} R{i + 1}" for i in range(99)]
    lines.append("ALIAS R99 RESET")
    lines += ["A0", "EXEC S0", "R0", "ECHO DONE"]
    return "\n".join(lines) + "\n"


class DeepChainTest(PageTestCase):
    def console(self):
        return self.page.script("return BrawlexPage.console.state")

    def write_files(self, files):
        """Puts files into the program's working folder, beside the packed ones."""
        self.page.script("""
            for (const [name, text] of Object.entries(arguments[0]))
                Module.FS_createDataFile('/', name, text, true, true);
            Module.FS_unlink('/config.cfg');
        """, files)

    def test_deep_chains_run_to_their_ends_and_a_message_box_waits_inside_one(self):
        self.page.open()
        files = {f"S{i}": f"EXEC S{i + 1}\n" for i in range(999)}
        files["S999"] = "ECHO END OF 1000 SCRIPTS\n"
        files["deep.cfg"] = deep_script()
        self.write_files(files)

        self.page.hold(CONSOLE_KEY)
        try:
            poll(lambda: self.console()["open"], 10, what="the console to open")
        finally:
            self.page.release(CONSOLE_KEY)
        self.page.type_text("exec deep.cfg")
        poll(lambda: self.console()["input"] == "exec deep.cfg", 10, what="the typed line")
        self.page.press(Keys.ENTER)

        # The RESET at the end of the 100 aliases finds no config.cfg.
        box = self.page.wait_for_message_box(timeout=120)
        self.assertEqual(box["text"], "Configuration file not found; using defaults")
        self.page.click_ok()
        output = poll(lambda: (lambda o: o if o.startswith("'DONE") else None)(
            self.console()["output"]), 60, what="the end of the script")
        self.assertEqual(output.splitlines()[:3],
                         ["'DONE", "'END OF 1000 SCRIPTS", "'END OF 10000 ALIASES"], output[:200])
        self.assertFalse(self.page.stats()["failed"])


if __name__ == "__main__":
    unittest.main()
