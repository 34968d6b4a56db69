"""Gamepads on a machine with none plugged in: the program loads XInput from the
system folder when it has it (xinput1_4.dll, else xinput9_1_0.dll), starts and plays
on the keyboard without either, and ends cleanly in every case; pad key names bound in
config.cfg leave the keyboard's players alone; pads not plugged in are asked about
about once a second, and at every frame for a while after a device change.

Which DLLs Wine loads is read from its loader trace (WINEDEBUG=+loaddll), the calls of
XInputGetState from Wine's XInput trace (+xinput); a DLL is taken away with
WINEDLLOVERRIDES=<name>=d, as if Windows did not have it. No virtual pad can be
plugged in here, so no pad input is driven (the unit tests drive the frame step with a
fake pad source)."""

import os
import re
import time
import unittest

from brawlex_harness import _SOURCE_DIR, DATA_FILES, MAIN_CLASS, Game, GameTestCase, poll
from scenario_support import P1_KEYS, P2_KEYS, assert_walks, wait_settled

with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()

XINPUT_DLLS = ("xinput1_4", "xinput9_1_0")


class TracedGame(Game):
    """The game with Wine's loader trace on and some DLLs taken away."""

    def __init__(self, disabled=(), trace="+loaddll"):
        super().__init__()
        self.disabled = disabled
        self.trace = trace

    def environment(self):
        env = super().environment()
        env["WINEDEBUG"] = "-all," + self.trace
        env["WINEDLLOVERRIDES"] = ";".join(
            [env["WINEDLLOVERRIDES"]] + [f"{name}=d" for name in self.disabled])
        return env

    def loaded_xinput(self):
        """The XInput DLLs the loader reports loaded, in their order."""
        return [m.group(1).lower() for m in
                re.finditer(r'Loaded L"[^"]*\\(xinput[^"\\]*)\.dll"', self.log(), re.I)]

    def xinput_calls(self):
        """How many times the game has asked XInput for a pad's state so far."""
        return self.log().count(":XInputGetState ")


class GamepadsTest(GameTestCase):
    def play_and_quit(self, disabled, expect_loaded, config=SHIPPED_CONFIG):
        self.game = TracedGame(disabled)
        self.game.start(DATA_FILES, config=config, autoexec="")
        area = self.game.main_window()["client"]
        wait_settled(self.game, area)
        # Frames run, so the pads have been looked for.
        assert_walks(self.game, area, 0, P1_KEYS["right"], +1)
        assert_walks(self.game, area, 1, P2_KEYS["left"], -1)
        self.assertEqual(self.game.loaded_xinput(), expect_loaded)
        self.game.close()
        self.assertEqual(self.game.wait_exit(), 0)
        self.assertTrue(self.game.wait_prefix_idle(timeout=30),
                        "Wine processes were left running after the game ended")
        return area

    def test_xinput_1_4_is_loaded_and_the_keyboard_plays(self):
        self.play_and_quit((), ["xinput1_4"])

    def test_without_xinput_1_4_the_older_xinput_is_loaded(self):
        self.play_and_quit(("xinput1_4",), ["xinput9_1_0"])

    def test_without_any_xinput_the_game_still_starts_plays_and_ends(self):
        self.play_and_quit(XINPUT_DLLS, [])

    def test_pad_names_bound_beside_keys_leave_the_keyboard_players_alone(self):
        # Player 1 on pad 1 (none plugged in: he stands still), player 2's jump on
        # pad 2 and the rest of his keys on the keyboard.
        config = SHIPPED_CONFIG.replace("// BIND 1 ", "BIND 1 ") + "BIND 2 JUMP PAD2A\n"
        self.game = TracedGame()
        self.game.start(DATA_FILES, config=config, autoexec="")
        area = self.game.main_window()["client"]
        before = wait_settled(self.game, area)
        # Player 1's old keyboard key no longer walks him.
        self.game.focus()
        self.game.press(P1_KEYS["right"], seconds=0.5)
        after = wait_settled(self.game, area)
        left, top, right, bottom = area
        middle = (left + right) // 2
        self.assertEqual(list(before.region(left, top, middle, bottom, step=2)),
                         list(after.region(left, top, middle, bottom, step=2)))
        assert_walks(self.game, area, 1, P2_KEYS["left"], -1)
        self.assertTrue(self.game.windows(cls=MAIN_CLASS, visible=True))
        self.game.close()
        self.assertEqual(self.game.wait_exit(), 0)

    def test_absent_pads_are_asked_about_once_a_second_but_every_frame_after_a_device_change(self):
        self.game = TracedGame(trace="+xinput")
        self.game.start(DATA_FILES, config=SHIPPED_CONFIG, autoexec="")
        main = self.game.main_window()
        area = main["client"]
        wait_settled(self.game, area)

        def calls_while_walking(key, direction):
            """XInput calls while player 1 walks (which takes frames), and the seconds
            that took."""
            before, started = self.game.xinput_calls(), time.monotonic()
            assert_walks(self.game, area, 0, P1_KEYS[key], direction)
            return self.game.xinput_calls() - before, time.monotonic() - started

        # The walk takes at least 14 frames, so asking at every frame would make at
        # least 28 calls; once a second per pad makes about two a second.
        calls, seconds = calls_while_walking("right", +1)
        self.assertLessEqual(calls, 2 * (seconds + 1) + 2, f"{calls} calls in {seconds:.1f} s")

        # Windows reports a device change: both pads are asked about at every frame.
        before = self.game.xinput_calls()
        self.game.probe("devicechange", main["hwnd"])
        poll(lambda: self.game.xinput_calls() - before >= 40, 15,
             what="XInput to be asked at every frame after the device change")

        # A few seconds later it is back to once a second.
        def slow_again():
            start = self.game.xinput_calls()
            time.sleep(0.5)  # a measuring window: a few dozen frames
            return self.game.xinput_calls() - start <= 4
        poll(slow_again, 20, interval=0, what="the asking to slow down again")
        calls, seconds = calls_while_walking("left", -1)
        self.assertLessEqual(calls, 2 * (seconds + 1) + 2, f"{calls} calls in {seconds:.1f} s")

        self.game.close()
        self.assertEqual(self.game.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
