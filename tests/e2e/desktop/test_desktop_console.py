"""The console drawn in the desktop program, read off the screen: opening with the
console key, typing, the echo order, the history walk, closing by Escape, the console
key, the window's close box and the panel's own, and QUIT."""

import time
import unittest

from desktop_harness import DesktopTestCase, poll

CONFIG = "BIND 1 RIGHT D\n"
AUTOEXEC = "ECHO ready\n"


class ConsoleTest(DesktopTestCase):
    def start(self):
        self.game.start(config=CONFIG, autoexec=AUTOEXEC)
        self.window = self.game.main_window()
        self.area = self.window["area"]
        return self.game.open_console()

    def read(self, what, expected, reader=lambda c: c.input()):
        seen = []

        def shows():
            seen[:] = [reader(self.game.console())]
            return seen[0] == expected
        try:
            return poll(shows, 10, what=f"{what}: {expected!r}")
        except AssertionError as error:
            raise AssertionError(f"{error}; the console shows {seen[0]!r}") from None

    def enter(self, line):
        self.game.type_text(line)
        self.read("typed", line)
        self.game.press("Return")
        self.read("entered", "")

    def closed(self):
        poll(lambda: not self.game.console_open(), 10, what="the console to close")

    def test_typed_lines_echo_newest_first_and_the_history_walks(self):
        console = self.start()
        # What autoexec.cfg echoed waits at the top.
        self.assertEqual(console.output_rows(1), ["'READY"])
        self.enter("Alpha one")
        self.enter("beta")
        rows = self.game.console().output_rows(3)
        self.assertEqual(rows, ["beta", "Alpha one", "'READY"])
        # Down walks back to the oldest line (config.cfg's, run at start-up) and stops
        # there; Up walks forward to the empty input and stops there.
        for key, expected in (("Down", "beta"), ("Down", "Alpha one"), ("Down", CONFIG.strip()),
                              ("Down", CONFIG.strip()), ("Up", "Alpha one"), ("Up", "beta"),
                              ("Up", ""), ("Up", "")):
            self.game.press(key, seconds=0.05)
            self.read(f"after {key}", expected)
        # Editing the line: Backspace and Shift+backtick (a tilde, no closing).
        self.game.type_text("echo x")
        self.game.press("BackSpace", seconds=0.05)
        self.game.type_text("~")
        self.read("edited", "echo ~")
        self.game.press("Return", seconds=0.05)
        self.read("first row", "'~", lambda c: c.output_rows(1)[0])

    def test_escape_the_console_key_and_both_close_boxes_close_it_and_the_game_goes_on(self):
        self.start()
        self.game.press("Escape", seconds=0.05)
        self.closed()
        self.game.open_console()
        self.game.press("grave", seconds=0.05)  # a new press of the console key
        self.closed()
        self.game.open_console()
        self.game.close()  # the window's close box closes the console, not the game
        self.closed()
        self.assertTrue(self.game.running())
        self.game.open_console()
        # The panel's close box, at its top right corner.
        self.game.xdotool("mousemove", self.area[2] - 12, self.area[1] + 12, "click", 1)
        self.closed()
        self.assertTrue(self.game.running())
        # The game runs on: player 1 walks.
        from scenario_support import assert_walks
        assert_walks(self.game, self.area, 0, "d", +1)

    def test_the_held_console_key_neither_closes_nor_reopens_the_console(self):
        self.game.start(config=CONFIG, autoexec=AUTOEXEC)
        self.area = self.game.main_window()["area"]
        self.game.focus()
        # Held well past the keyboard's repeat delay: the console opens and stays open.
        self.game.hold("grave")
        try:
            poll(self.game.console_open, 10, interval=0.05, what="the console")
            time.sleep(1.5)  # the repeats arrive meanwhile
            self.assertTrue(self.game.console_open(), "repeats do not close it")
        finally:
            self.game.release("grave")
        self.assertEqual(self.game.console().input(), "", "the console key types nothing")
        # A new press closes it; held on, its repeats do not open it again.
        self.game.hold("grave")
        try:
            self.closed()
            time.sleep(1.5)
            self.assertFalse(self.game.console_open(), "repeats do not reopen it")
        finally:
            self.game.release("grave")
        self.game.open_console()  # a new press opens it

    def test_quit_ends_the_game_with_exit_code_0(self):
        self.start()
        self.game.type_text("QuIt")
        self.read("typed", "QuIt")
        self.game.press("Return")
        self.assertEqual(self.game.wait_exit(), 0)
        poll(self.game.group_gone, 10, what="every process of the game to end")


if __name__ == "__main__":
    unittest.main()
