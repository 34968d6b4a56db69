"""The desktop program's window and life: its size against the display, title, icon
and fixed size; the fighters on the floor with white hit points; walking; the
inactive state; the close box; no display at all."""

import time
import unittest

from desktop_harness import TITLE, DesktopTestCase, poll
from scenario_support import (WHITE, assert_walks, colour_count, hp_box, lit, standing_box,
                              wait_settled)

QUIET_CONFIG = "ECHOOFF\nBIND 1 RIGHT D\nBIND 1 LEFT A\nBIND 2 LEFT LEFT\n"


class WindowTest(DesktopTestCase):
    def test_window_covers_the_display_with_a_fixed_size_title_and_icon(self):
        self.game.start(config=QUIET_CONFIG)
        window = self.game.main_window()
        # No panels on the virtual screen: the usable area is all of it.
        self.assertEqual((window["x"], window["y"], window["width"], window["height"]),
                         (0, 0) + self.game.screen)
        props = self.game.xprop(window["id"])
        self.assertIn(f'WM_NAME(STRING) = "{TITLE}"', props)
        self.assertIn("program specified minimum size: 1024 by 768", props)
        self.assertIn("program specified maximum size: 1024 by 768", props)
        self.assertIn("_NET_WM_ICON(CARDINAL) = \tIcon (32 x 32)", props)

    def test_fighters_stand_on_the_floor_with_white_hit_points_and_walk(self):
        self.game.start(config=QUIET_CONFIG)
        area = self.game.main_window()["area"]
        shot = wait_settled(self.game, area)
        for side in (0, 1):
            self.assertTrue(lit(shot, standing_box(area, side)), f"player {side + 1} on the floor")
            self.assertGreater(colour_count(shot, hp_box(area, side), WHITE), 10,
                               f"player {side + 1}'s hit points in white")
        assert_walks(self.game, area, 0, "d", +1)
        assert_walks(self.game, area, 1, "Left", -1)

    def test_without_the_focus_no_frame_runs_until_it_comes_back(self):
        # A slow fall: the fighters are still in the air when the focus goes.
        self.game.start(config=QUIET_CONFIG + "SET GRAVITY 0.002\n")
        window = self.game.main_window()
        area = window["area"]
        self.game.focus()
        poll(lambda: lit(self.game.screenshot(), area), 20, what="the fighters drawn")
        self.game.unfocus()
        time.sleep(0.3)  # the focus change reaches the game
        frozen = self.game.screenshot()
        ticks = self.game.cpu_ticks()
        # Half a second of a running game moves a falling fighter by several pixels.
        time.sleep(1.0)
        self.assertEqual(list(self.game.screenshot().region(*area, step=2)),
                         list(frozen.region(*area, step=2)), "no frame while unfocused")
        self.assertLessEqual(self.game.cpu_ticks() - ticks, 2, "waits without using the CPU")
        self.game.focus()
        poll(lambda: list(self.game.screenshot().region(*area, step=2))
             != list(frozen.region(*area, step=2)), 10, what="frames again with the focus")

    def test_close_box_ends_the_game_with_exit_code_0_and_nothing_left(self):
        self.game.start(config=QUIET_CONFIG)
        self.game.main_window()
        self.game.close()
        self.assertEqual(self.game.wait_exit(), 0)
        poll(self.game.group_gone, 10, what="every process of the game to end")
        self.assertNotIn("message box", self.game.log())

    def test_without_a_display_it_says_why_and_fails(self):
        self.game.start(config=QUIET_CONFIG, display=False)
        code = self.game.wait_exit()
        self.assertNotEqual(code, 0)
        self.assertGreater(code, 0, "an exit code, not a signal")
        self.assertRegex(self.game.log(), r"(?m)^brawlex: no display.*$")


if __name__ == "__main__":
    unittest.main()
