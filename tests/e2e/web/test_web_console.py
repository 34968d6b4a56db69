"""The console on the web page: drawn over the game, opened with the backtick key; lines
run and print at the top of its output, the history recalls them, Escape closes it; and
a message box caused from it is dismissed with a click on OK."""

import os
import unittest

from selenium.webdriver.common.keys import Keys

from web_harness import _SOURCE_DIR, CONSOLE_KEY, P1_KEYS, PageTestCase, poll


class ConsoleTest(PageTestCase):
    def console(self):
        return self.page.script("return BrawlexPage.console.state")

    def open_console(self):
        self.page.hold(CONSOLE_KEY)
        try:
            poll(lambda: self.console()["open"], 10, what="the console to open")
        finally:
            self.page.release(CONSOLE_KEY)

    def enter(self, line):
        self.page.type_text(line)
        poll(lambda: self.console()["input"] == line, 10, what=f"{line!r} typed")
        self.page.press(Keys.ENTER)
        poll(lambda: self.console()["input"] == "", 10, what=f"{line!r} entered")
        return self.console()["output"]

    def enter_replacing(self, line):
        """Empties the input box (End, then Backspace over it) and enters line."""
        self.page.press(Keys.END)
        for _ in self.console()["input"]:
            self.page.press(Keys.BACKSPACE)
        poll(lambda: self.console()["input"] == "", 10, what="an empty input box")
        return self.enter(line)

    def close_console(self):
        self.page.press(Keys.ESCAPE)
        poll(lambda: not self.console()["open"], 10, what="the console to close")

    def top_rows_lit(self):
        width, _ = self.page.size
        return self.page.canvas((0, 0, width, 40))["lit"]

    def test_echo_shows_at_the_top_and_escape_closes_the_console(self):
        self.page.open()
        self.page.wait_settled()
        self.assertEqual(self.top_rows_lit(), 0, "nothing drawn at the top before")
        self.open_console()
        # The panel is drawn over the game, which stands still meanwhile.
        self.assertGreater(self.top_rows_lit(), 1000)
        frames = self.page.frames()
        # What autoexec.cfg printed at start-up waits at the top of the output.
        self.assertTrue(self.console()["output"].startswith("'WELCOME TO BRAWLEX!"),
                        self.console()["output"][:80])

        # Ctrl with a letter is a shortcut and types nothing; Ctrl with Alt is how AltGr
        # arrives from some systems (a German keyboard's AltGr+Q) and types its character.
        for key, code, alt in (("a", "KeyA", False), ("@", "KeyQ", True)):
            self.page.script("dispatchEvent(new KeyboardEvent('keydown', {key: arguments[0],"
                             " code: arguments[1], ctrlKey: true, altKey: arguments[2]}))",
                             key, code, alt)
        poll(lambda: self.console()["input"] == "@", 10, what="the AltGr character typed")
        self.page.press(Keys.BACKSPACE)
        poll(lambda: self.console()["input"] == "", 10, what="an empty input box")

        # ECHO prints its words upper-cased, newest output first.
        output = self.enter("echo hello web").splitlines()
        self.assertEqual(output[0], "'HELLO WEB", output[:3])
        self.assertTrue(output[1].startswith("'WELCOME TO BRAWLEX!"), output[:3])
        # Other lines are echoed as typed, above the older output; Down recalls them.
        output = self.enter("set grav normal").splitlines()
        self.assertEqual(output[:2], ["set grav normal", "'HELLO WEB"])
        self.page.press(Keys.DOWN)
        poll(lambda: self.console()["input"] == "set grav normal", 10, what="the recalled line")
        # HELP CMD reads the packed cmdlist.txt: its first line under the echo of the line.
        with open(os.path.join(_SOURCE_DIR, "data", "cmdlist.txt"), encoding="latin-1") as listing:
            first_line = listing.readline().rstrip("\r\n")
        output = self.enter_replacing("help cmd").splitlines()
        self.assertEqual(output[:2], ["help cmd", first_line])
        self.assertEqual(self.page.frames(), frames)

        self.close_console()
        # Frames run again and the panel is gone; the game takes its keys again.
        poll(lambda: self.page.frames() > frames + 10, 10, what="frames after the console")
        poll(lambda: self.top_rows_lit() == 0, 10, what="the panel to go")
        self.page.wait_settled()

    def test_a_message_box_after_a_console_change_is_dismissed_with_ok(self):
        self.page.open()
        self.page.wait_settled()
        self.open_console()
        self.enter("set hp 2 1")
        self.close_console()
        self.page.hold(P1_KEYS["attack"])
        try:
            box = self.page.wait_for_message_box(timeout=30)
        finally:
            self.page.release(P1_KEYS["attack"])
        self.assertEqual(box["caption"], "Game Over")
        self.assertEqual(box["text"], "Player 2 died.")
        frames = self.page.frames()
        self.page.click_ok()
        poll(lambda: self.page.frames() > frames + 10, 10, what="frames after OK")
        self.page.wait_settled()

    def test_quit_ends_the_game_and_the_page_says_so(self):
        self.page.open()
        self.open_console()
        self.page.type_text("QuIt")
        poll(lambda: self.console()["input"] == "QuIt", 10, what="the typed line")
        self.page.press(Keys.ENTER)
        notice = poll(self.page.notice, 10, what="the page's message")
        self.assertIn("has ended", notice)
        stats = self.page.stats()
        self.assertTrue(stats["ended"])
        self.assertFalse(stats["failed"])


if __name__ == "__main__":
    unittest.main()
