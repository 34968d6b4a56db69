"""The console dialog as the player uses it: opened with the backtick key, lines
typed and entered, their output newest first, the history walk, the three ways to
close it, QUIT (typed or through an alias), and held keys let go of on opening."""

import os
import time
import unittest

from brawlex_harness import DATA_FILES, DIALOG_CLASS, GameTestCase, game_dir, poll

INPUT, ENTER, OUTPUT = 1001, 1002, 1000
PICTURES_AND_HELP = tuple(f for f in DATA_FILES if not f.endswith(".cfg"))
QUIET_CONFIG = "// no key bindings needed here\n"


class ConsoleTestCase(GameTestCase):
    def start(self, config=QUIET_CONFIG, autoexec=""):
        self.game.start(PICTURES_AND_HELP, config=config, autoexec=autoexec)
        self.game.main_window()

    def open_console(self):
        return self.game.open_console()

    def wait_closed(self):
        self.game.wait_for_no_window(DIALOG_CLASS, "Console", exe=self.game.exe, timeout=20)

    def texts_when(self, console, condition, what):
        return poll(lambda: (lambda t: t if condition(t) else None)(
            self.game.dialog_texts(console)), 10, what=what)

    def enter(self, console, line):
        """Types a line in the input box, presses Return and waits for it to empty."""
        self.game.type_text(line)
        self.texts_when(console, lambda t: t[INPUT] == line, f"the input {line!r}")
        self.game.press("Return")
        return self.texts_when(console, lambda t: t[INPUT] == "", "the input to empty")

    def key_shows(self, console, key, expected):
        self.game.press(key)
        self.texts_when(console, lambda t: t[INPUT] == expected,
                        f"{key} to show {expected!r} in the input box")


class ConsoleTest(ConsoleTestCase):
    def test_lines_run_newest_first_and_the_history_walks_both_ways(self):
        self.start(autoexec="echo ready\n")
        console = self.open_console()
        texts = self.game.dialog_texts(console)
        self.assertEqual(texts[ENTER], "Enter")
        self.assertTrue(texts[OUTPUT].startswith("'READY\r\n"), texts[OUTPUT])

        self.enter(console, "Older line")
        texts = self.enter(console, "newer line")
        self.assertTrue(texts[OUTPUT].startswith("newer line\r\nOlder line\r\n'READY\r\n"),
                        texts[OUTPUT])

        for key, shown in (("Down", "newer line"), ("Down", "Older line"),
                           ("Down", "Older line"), ("Up", "newer line"), ("Up", ""),
                           ("Up", "")):
            self.key_shows(console, key, shown)

        # HELP CMD puts the command list at the top, under the echo of the line.
        with open(os.path.join(game_dir(), "cmdlist.txt"), encoding="latin-1") as listing:
            first_line = listing.readline().rstrip("\r\n")
        texts = self.enter(console, "help cmd")
        self.assertTrue(texts[OUTPUT].startswith(f"help cmd\r\n{first_line}\r\n"),
                        texts[OUTPUT][:200])

        self.game.press("Escape")
        self.wait_closed()
        self.assertTrue(self.game.running())

    def test_escape_the_backtick_key_and_the_close_box_each_close_it(self):
        self.start()
        for close in (lambda c: self.game.press("Escape"),
                      lambda c: self.game.press("grave"),
                      lambda c: self.game.close(c)):
            console = self.open_console()
            close(console)
            self.wait_closed()
            self.assertTrue(self.game.running())
        # Closed each time for good: the game goes on and ends normally.
        self.game.close()
        self.assertEqual(self.game.wait_exit(), 0)

    def test_quit_in_any_case_ends_the_game_with_exit_code_0(self):
        self.start()
        console = self.open_console()
        self.game.type_text("QuIt")
        self.texts_when(console, lambda t: t[INPUT] == "QuIt", "the typed line")
        self.game.press("Return")
        self.assertEqual(self.game.wait_exit(), 0)

    def test_an_alias_whose_body_is_quit_ends_the_game(self):
        self.start(autoexec="alias bye quit\nalias not_yet echo quit\n")
        console = self.open_console()
        # Neither a body with more than QUIT nor a QUIT after a blank is a quit line;
        # " quit" has an empty first word, so the interpreter runs nothing either.
        self.enter(console, "not_yet")
        self.enter(console, " quit")
        self.assertTrue(self.game.running())
        self.assertEqual(self.game.windows(DIALOG_CLASS, "Console", exe=self.game.exe)[0]["hwnd"],
                         console["hwnd"])
        self.game.type_text("Bye")
        self.texts_when(console, lambda t: t[INPUT] == "Bye", "the typed line")
        self.game.press("Return")
        self.assertEqual(self.game.wait_exit(), 0)


class HeldKeyTest(ConsoleTestCase):
    # The fighters' sprites fill the bottom rows of the play area; the hit points
    # are written above them.
    SPRITE_ROWS = 35

    def player1_left(self, area):
        """The leftmost lit column of the fighters' rows, relative to the play area
        (player 1's back while he is left of player 2), once nothing moves any more:
        two screenshots half a second apart agree."""
        left, _, right, bottom = area

        def leftmost():
            image = self.game.screenshot()
            lit = [x for x, _, pixel in image.region(left, bottom - self.SPRITE_ROWS, right,
                                                     bottom) if pixel != (0, 0, 0)]
            return min(lit) - left if lit else None

        def still():
            first = leftmost()
            time.sleep(0.5)
            return (first,) if first is not None and leftmost() == first else None
        return poll(still, 15, interval=0, what="the fighters to stand still")[0]

    def test_a_key_held_when_the_console_opens_counts_as_up_after_it_closes(self):
        # Player 1 starts at the left edge; D walks him to the right at three pixels
        # a frame, so he needs more than three seconds of walking to reach the wall.
        self.start(config="BIND 1 RIGHT D\n")
        area = self.game.main_window()["client"]
        start = self.player1_left(area)  # both fighters have landed on the floor

        self.game.focus()
        self.game.hold("d")
        try:
            time.sleep(0.3)
            # The console opens while D is still down.
            self.game.press("grave")
            self.game.wait_for_window(DIALOG_CLASS, "Console", exe=self.game.exe, timeout=20)
            opened = self.player1_left(area)  # the game stands still meanwhile
            self.game.focus("Console")
        finally:
            # D comes up while the console has the keyboard, so the game window never
            # sees it come up.
            self.game.release("d")
        self.game.press("Escape")
        self.wait_closed()

        # Let go of when the console opened, D leaves him only the slide that friction
        # stops within about 46 pixels; still counted down, it would walk him to the wall.
        stopped = self.player1_left(area)
        self.assertGreater(opened, start, "player 1 did not walk while D was held")
        self.assertLess(stopped - opened, 60, "player 1 walked on after the console closed")

        # Standing still proves something only while the game runs and hears its keys:
        # a new press of D after the console walks him on.
        self.game.focus()
        self.game.press("d", seconds=0.3)
        self.assertGreater(self.player1_left(area), stopped + 60,
                           "the game did not take keys again after the console closed")


class HeldConsoleKeyTest(ConsoleTestCase):
    """The console key held past the keyboard's repeat delay (Xvfb repeats a held key
    after 660 ms, 25 times a second): its repeats neither close the console it opened
    nor open one it closed."""

    # Well past the repeat delay: some forty repeats.
    HELD_SECONDS = 2.5

    def consoles(self):
        return [w["hwnd"] for w in self.game.windows(DIALOG_CLASS, "Console", exe=self.game.exe)]

    def watch_while_held(self, seconds):
        """The console windows seen, sampled all through `seconds` (a console that
        closed and opened again between two samples has another handle)."""
        seen = []
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            seen.append(tuple(self.consoles()))
            time.sleep(0.05)
        return seen

    def test_held_it_stays_open_a_new_press_closes_it_and_it_reopens_only_after_a_release(self):
        self.start()
        self.game.focus()
        self.game.hold("grave")
        try:
            console = self.game.wait_for_window(DIALOG_CLASS, "Console", exe=self.game.exe)
            self.game.focus("Console")
            seen = self.watch_while_held(self.HELD_SECONDS)
            self.assertEqual(set(seen), {(console["hwnd"],)},
                             "the console closed or opened again while its key was held")
        finally:
            self.game.release("grave")

        # Released, then pressed anew: that press closes it. Held on in the game
        # window, the key's repeats do not open it again.
        # Up for a moment, as between two presses of a player (the console looks at
        # the key every 10 ms to see it come up).
        time.sleep(0.3)
        self.game.hold("grave")
        try:
            self.wait_closed()
            self.game.focus()
            seen = self.watch_while_held(self.HELD_SECONDS)
            self.assertEqual(set(seen), {()}, "the console opened again while its key was held")
        finally:
            self.game.release("grave")

        # Released and pressed again, it opens.
        console = self.open_console()
        self.assertTrue(self.game.running())
        self.game.press("Escape")
        self.wait_closed()


if __name__ == "__main__":
    unittest.main()
