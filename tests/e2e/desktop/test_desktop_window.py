"""The desktop program's window and life: its size against the display, with and
without a window manager's frame and a panel, title, icon and fixed size; the fighters
on the floor with white hit points; walking; the inactive state; the close box; no
display at all."""

import time
import unittest

from desktop_harness import TITLE, DesktopGame, DesktopTestCase, poll
import x11_window
from scenario_support import (WHITE, assert_walks, colour_count, hp_box, lit, standing_box,
                              wait_settled)

QUIET_CONFIG = "ECHOOFF\nBIND 1 RIGHT D\nBIND 1 LEFT A\nBIND 2 LEFT LEFT\n"


class WindowTest(DesktopTestCase):
    def test_without_a_window_manager_the_window_covers_the_display_with_title_and_icon(self):
        # Also where a window manager that has gone left the id of its check window, no
        # longer there, on the root window.
        def stale_check_window(display_name):
            self.assertTrue(x11_window.set_root_window_property(
                display_name, "_NET_SUPPORTING_WM_CHECK", 0x3FFFFF))
        for before_game in (None, stale_check_window):
            with self.subTest(stale_check_window=before_game is not None):
                self.game = DesktopGame(window_manager=False)
                self.game.start(config=QUIET_CONFIG, before_game=before_game)
                window = self.game.main_window()
                # No frame and no panels on the bare X server: the client area is the
                # screen.
                self.assertEqual((window["x"], window["y"], window["width"], window["height"]),
                                 (0, 0) + self.game.screen)
                props = self.game.xprop(window["id"])
                self.assertIn(f'WM_NAME(STRING) = "{TITLE}"', props)
                self.assertIn("program specified minimum size: 1024 by 768", props)
                self.assertIn("program specified maximum size: 1024 by 768", props)
                self.assertIn("_NET_WM_ICON(CARDINAL) = \tIcon (32 x 32)", props)
                self.game.stop()

    def assert_window_and_frame_cover_the_work_area(self, panel=None):
        """The window with the frame the window manager gives it covers the work area
        exactly (the screen less the panel), and the floor with both fighters on it is
        on the screen, above the panel."""
        self.game = DesktopGame(window_manager=True, panel=panel)
        self.game.start(config=QUIET_CONFIG)
        window = self.game.main_window()
        left, right, top, bottom = poll(lambda: self.game.frame_extents(window["id"]), 20,
                                        what="the frame around the window")
        self.assertGreater(top, 0, "a title bar")
        framed = [window["x"] - left, window["y"] - top, window["width"] + left + right,
                  window["height"] + top + bottom]
        self.assertEqual(framed, self.game.work_area(), "the framed window against the work area")
        area = window["area"]
        shot = wait_settled(self.game, area)
        shot = self.game.screenshot(save_as=f"{self.id()}.png")
        for side in (0, 1):
            feet = max((y for _, y in lit(shot, standing_box(area, side))), default=None)
            self.assertIsNotNone(feet, f"player {side + 1} drawn")
            self.assertGreaterEqual(feet, area[3] - 3, f"player {side + 1} on the floor")
            self.assertGreater(colour_count(shot, hp_box(area, side), WHITE), 10,
                               f"player {side + 1}'s hit points")

    def test_under_a_window_manager_the_framed_window_fits_the_screen(self):
        self.assert_window_and_frame_cover_the_work_area()

    def test_with_a_panel_at_the_bottom_the_framed_window_fits_above_it(self):
        self.assert_window_and_frame_cover_the_work_area(panel={"bottom": 40})

    def test_with_panels_at_the_top_and_left_the_framed_window_fits_beside_them(self):
        self.assert_window_and_frame_cover_the_work_area(panel={"top": 30, "left": 50})

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
