"""The game window as the desktop sees it: class, title, style, place and size, the
black play area once frames run, the start-up message box, and closing."""

import os
import time
import unittest

from brawlex_harness import (DATA_FILES, MAIN_CLASS, MAIN_TITLE, WS_CAPTION, WS_CLIPSIBLINGS,
                             WS_EX_APPWINDOW, WS_MINIMIZEBOX, WS_SYSMENU, WS_VISIBLE,
                             GameTestCase, poll)

# Shipped files without the shipped configuration: a test writes the one it needs.
DATA_WITHOUT_SCRIPTS = tuple(f for f in DATA_FILES if not f.endswith(".cfg"))
QUIET_CONFIG = "// no key bindings needed here\n"


def _group_alive(group):
    try:
        os.killpg(group, 0)
    except ProcessLookupError:
        return False
    return True


def is_black(pixel):
    return pixel == (0, 0, 0)


class WindowTest(GameTestCase):
    def test_window_class_title_style_and_size(self):
        self.game.start(DATA_WITHOUT_SCRIPTS, config=QUIET_CONFIG)
        window = self.game.main_window()
        left, top, right, bottom = self.game.workarea()

        self.assertEqual(window["class"], MAIN_CLASS)
        self.assertEqual(window["title"], MAIN_TITLE)
        # Exactly a caption, system menu and minimise box; Windows itself adds the
        # visible and clip-siblings bits.
        self.assertEqual(hex(window["style"] & ~(WS_VISIBLE | WS_CLIPSIBLINGS)),
                         hex(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX))
        self.assertTrue(window["exstyle"] & WS_EX_APPWINDOW, hex(window["exstyle"]))
        self.assertEqual(window["owner"], 0)
        self.assertEqual(window["rect"], [0, 0, right + 1, bottom + 1])
        self.assertEqual([left, top, right, bottom], [0, 0, 1024, 768])

        shown = self.game.windows(visible=True, exe=self.game.exe)
        self.assertEqual([w["class"] for w in shown], [MAIN_CLASS],
                         "the game shows one window once started")

    def test_play_area_turns_black_once_frames_run(self):
        self.game.start(DATA_WITHOUT_SCRIPTS, config=QUIET_CONFIG)
        window = self.game.main_window()
        left, top, right, bottom = window["client"]
        width = right - left

        # The fighters start at the left and right edges; the middle half of the play
        # area holds nothing but the black background. Before the first frame it would
        # be the class's white, and the screen around the window is white too.
        def middle_is_black():
            shot = self.game.screenshot()
            lit = shot.count(lambda p: not is_black(p), left + width // 4, top,
                             right - width // 4, bottom, step=4)
            return shot if lit == 0 else None

        shot = poll(middle_is_black, 15, interval=0.5, what="a black play area")
        if top > 0:
            self.assertFalse(is_black(shot.pixel(left, top - 1)),
                             "the screen above the play area should not be black")

    def test_held_key_reaches_the_game(self):
        # Player 1 walks right while D is held: key presses from the X server arrive
        # in the game window as key-down and key-up messages.
        self.game.start(DATA_WITHOUT_SCRIPTS, config="BIND 1 RIGHT D\n")
        left, top, right, bottom = self.game.main_window()["client"]
        middle = (left + right) // 2

        def fighter_x():
            # Mean column of the lit pixels in the left half: player 1 and his hit
            # points, which move together.
            shot = self.game.screenshot()
            xs = [x for x, _, p in shot.region(left, top, middle, bottom, step=2)
                  if not is_black(p)]
            return sum(xs) / len(xs) if xs else None

        start = poll(fighter_x, 15, what="player 1 on screen")
        self.game.focus()
        self.game.hold("d")
        try:
            poll(lambda: fighter_x() > start + 40, 10, what="player 1 to walk right")
        finally:
            self.game.release("d")

    def test_missing_config_shows_error_before_the_window(self):
        self.game.start(DATA_WITHOUT_SCRIPTS)
        box = self.game.message_box(caption="Error")
        self.assertEqual(box["text"], "Configuration file not found; using defaults")
        self.assertEqual(list(box["buttons"].values()), ["OK"])
        # The window shows only after the start-up scripts have run.
        self.assertFalse(self.game.windows(cls=MAIN_CLASS, visible=True))

        self.game.click(box, 1)
        self.game.main_window()
        self.game.wait_for_no_window(cls="#32770", visible=True, exe=self.game.exe)

    def test_no_frame_runs_while_another_window_is_active(self):
        # Player 1 hangs in mid-air without gravity, left of where the console shows.
        self.game.start(DATA_WITHOUT_SCRIPTS, config="SET GRAV 0\nSET POS 1 150 300\n")
        window = self.game.main_window()
        left, top, right, bottom = window["client"]
        column = (left + 140, top, left + 210, bottom)

        def player1_rows():
            """The first and last lit rows of player 1's columns (his hit points and
            his feet), relative to the play area, once they are the same in two
            screenshots in a row."""
            def rows():
                shot = self.game.screenshot()
                lit = [y for x, y, p in shot.region(*column, step=2) if not is_black(p)]
                return (min(lit) - top, max(lit) - top) if lit else None

            def steady():
                first = rows()
                return first if first is not None and rows() == first else None
            return poll(steady, 20, interval=0.2, what="player 1 to show standing still")

        hanging = player1_rows()
        self.assertLess(hanging[1], (bottom - top) - 100, "player 1 is not in mid-air")

        # Gravity is set while the console is open; then another program's window
        # takes the foreground, and the console closes behind it.
        console = self.game.open_console()
        self.game.set_text(console, 1001, "set grav 0.25")
        self.game.click(console, 1002)
        poll(lambda: self.game.dialog_texts(console)[1001] == "", 10, what="the line to run")
        other = self.game.show_other_window()
        poll(lambda: self.game.foreground() == other["hwnd"], 10,
             what="the other window in the foreground")
        self.game.close(console)
        self.game.wait_for_no_window(cls="#32770", title="Console", exe=self.game.exe)

        # Under gravity 0.25 he would reach the floor within a second of frames.
        deadline = time.monotonic() + 2.0
        while time.monotonic() < deadline:
            self.assertEqual(self.game.foreground(), other["hwnd"])
            self.assertEqual(player1_rows(), hanging, "frames ran while the game was inactive")

        # Active again, the frames resume and he falls to the floor.
        self.game.activate(window)
        poll(lambda: player1_rows()[1] >= (bottom - top) - 3, 20,
             what="player 1 to land once the game is active again")
        self.game.close_other_window(other)

    def test_close_box_ends_the_game_with_exit_code_0(self):
        self.game.start(DATA_WITHOUT_SCRIPTS, config=QUIET_CONFIG)
        self.game.main_window()

        self.game.close()

        self.assertEqual(self.game.wait_exit(timeout=20), 0)
        self.assertTrue(self.game.wait_prefix_idle(timeout=30),
                        "Wine processes were left running after the game ended")
        # The game's process group empties once its last member has been reaped.
        poll(lambda: not _group_alive(self.game.process.pid), 10,
             what="the game's process group to end")


if __name__ == "__main__":
    unittest.main()
