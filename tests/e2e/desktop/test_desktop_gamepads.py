"""Gamepads in the desktop program, with none plugged in (this machine offers no
virtual input device to plug one in; the desktop layer's pad reading is driven through
SDL's virtual controllers by the native tests instead): the program plays on the
keyboard and ends cleanly, also with a broken mapping in SDL_GAMECONTROLLERCONFIG,
and pad key names bound in config.cfg leave the keyboard's players alone."""

import os
import unittest

from desktop_harness import DesktopTestCase, poll  # first: it finds the shared harness
from scenario_support import P1_KEYS, P2_KEYS, assert_walks, wait_settled

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))
with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()


class DesktopGamepadsTest(DesktopTestCase):
    def close_and_wait(self):
        self.game.close()
        self.assertEqual(self.game.wait_exit(), 0)
        poll(self.game.group_gone, 20, what="every process of the game to end")

    def test_without_a_pad_the_keyboard_plays_and_the_game_ends_cleanly(self):
        # A mapping SDL cannot read is ignored like any other.
        self.game.start(config=SHIPPED_CONFIG, autoexec="",
                        env={"SDL_GAMECONTROLLERCONFIG": "not a mapping,\n,,,"})
        area = self.game.main_window()["area"]
        wait_settled(self.game, area)
        assert_walks(self.game, area, 0, P1_KEYS["right"], +1)
        assert_walks(self.game, area, 1, P2_KEYS["left"], -1)
        self.close_and_wait()

    def test_pad_names_bound_beside_keys_leave_the_keyboard_players_alone(self):
        # Player 1 on pad 1 (none plugged in: he stands still), player 2's jump on pad 2
        # and the rest of his keys on the keyboard.
        config = SHIPPED_CONFIG.replace("// BIND 1 ", "BIND 1 ") + "BIND 2 JUMP PAD2A\n"
        self.game.start(config=config, autoexec="")
        area = self.game.main_window()["area"]
        before = wait_settled(self.game, area)
        self.game.focus()
        self.game.press(P1_KEYS["right"], seconds=0.5)  # his old key: nothing
        after = wait_settled(self.game, area)
        left, top, right, bottom = area
        middle = (left + right) // 2
        self.assertEqual(list(before.region(left, top, middle, bottom, step=2)),
                         list(after.region(left, top, middle, bottom, step=2)))
        assert_walks(self.game, area, 1, P2_KEYS["left"], -1)
        self.close_and_wait()


if __name__ == "__main__":
    unittest.main()
