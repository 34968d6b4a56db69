"""Fights played with real key presses: walking on the shipped keys, a kill by body
shots and the new game after its message box, a head shot set up through config.cfg,
and a whole game: a kill, then the console changes gravity and a key, which the next
game obeys. (readme_pictures.py beside this file plays the README's pictures.)"""

import os
import time
import unittest

from brawlex_harness import (_SOURCE_DIR, DATA_FILES, DIALOG_CLASS, MAIN_CLASS, GameTestCase,
                             poll)
from scenario_support import (HEADSHOT_PHRASES, P1_KEYS, P2_KEYS, RED, WHITE, assert_walks,
                              colour_count, half, hp_box, top_row, wait_settled)

INPUT, OUTPUT = 1001, 1000

with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()


class FightTestCase(GameTestCase):
    def start(self, config=SHIPPED_CONFIG, autoexec=""):
        self.game.start(DATA_FILES, config=config, autoexec=autoexec)
        self.area = self.game.main_window()["client"]
        return wait_settled(self.game, self.area)

    def walks(self, side, key, direction):
        assert_walks(self.game, self.area, side, key, direction)

    def death_box(self, caption=None, timeout=60):
        box = self.game.message_box(caption=caption, timeout=timeout)
        self.assertEqual(list(box["buttons"].values()), ["OK"])
        return box

    def dismiss(self, box):
        self.game.click(box, 1)
        self.game.wait_for_no_window(DIALOG_CLASS, visible=True, exe=self.game.exe)
        self.assertTrue(self.game.running())

    def open_console(self):
        return self.game.open_console()

    def enter(self, console, line):
        self.game.type_text(line)
        poll(lambda: self.game.dialog_texts(console)[INPUT] == line, 10, what=f"{line!r} typed")
        self.game.press("Return")
        poll(lambda: self.game.dialog_texts(console)[INPUT] == "", 10, what=f"{line!r} entered")

    def hp_colours(self, box):
        shot = self.game.screenshot()
        return colour_count(shot, box, WHITE), colour_count(shot, box, RED)

    def rise(self, standing_top):
        """How far player 1's hit points are above where they are when he stands."""
        top = top_row(self.game.screenshot(), half(self.area, 0))
        return standing_top - top if top is not None else 0


class FightTest(FightTestCase):
    def test_the_shipped_keys_walk_both_fighters(self):
        self.start()
        self.walks(0, P1_KEYS["right"], +1)
        self.walks(1, P2_KEYS["left"], -1)

    def test_held_attack_kills_with_body_shots_and_a_new_game_follows(self):
        self.start()
        p2_hp = hp_box(self.area, 1)
        self.assertGreater(self.hp_colours(p2_hp)[0], 10, "player 2's 50 in white")
        self.game.focus()
        self.game.hold(P1_KEYS["attack"])
        try:
            # 25 body shots, one every 18 frames: at least 4.5 s.
            box = self.death_box("Game Over")
        finally:
            self.game.release(P1_KEYS["attack"])
        self.assertEqual(box["text"], "Player 2 died.")
        # The game stands still under the box, his hit points at 0 or below, in red.
        white, red = self.hp_colours(p2_hp)
        self.assertGreater(red, 5)
        self.assertEqual(white, 0)

        self.dismiss(box)
        # A new game: both fall from the top again and land with full hit points,
        # and the keys work (none counts as held after the box).
        wait_settled(self.game, self.area)
        white, red = self.hp_colours(p2_hp)
        self.assertGreater(white, 10)
        self.assertEqual(red, 0)
        self.walks(0, P1_KEYS["right"], +1)
        self.assertTrue(self.game.windows(cls=MAIN_CLASS, visible=True))

    def test_a_shot_into_the_head_zone_is_a_headshot(self):
        # No gravity, so nobody falls: player 1's centre row (20 below his top) meets
        # player 2's frame 10 rows below its top, inside the head zone (rows 3 to 18)
        # and above the body zone, and the shot flies straight right into it.
        config = ("BIND 1 ATTACK G\nSET GRAV 0\nSET POS 1 100 300\nSET POS 2 400 310\n"
                  "SET HP 2 3\n")
        self.game.start(DATA_FILES, config=config, autoexec="")
        self.area = self.game.main_window()["client"]
        self.game.focus()
        self.game.hold(P1_KEYS["attack"])
        try:
            box = self.death_box("Headshot")
        finally:
            self.game.release(P1_KEYS["attack"])
        self.assertIn(box["text"], ["Player 2 died" + phrase for phrase in HEADSHOT_PHRASES])

        self.dismiss(box)
        # The new game puts player 2 back where config.cfg put him, with 50 white
        # hit points 20 pixels above his top.
        left, top = self.area[0], self.area[1]
        p2_hp = (left + 396, top + 290, left + 430, top + 306)
        white = poll(lambda: self.hp_colours(p2_hp)[0] > 10, 15,
                     what="player 2's hit points back at his configured place")
        self.assertTrue(white)


class WholeGameTest(FightTestCase):
    def highest_rise(self, standing_top, seconds):
        """Holds the jump key for a while and returns the highest rise seen."""
        self.game.focus()
        self.game.hold(P1_KEYS["jump"])
        try:
            rises = []
            deadline = time.monotonic() + seconds
            while time.monotonic() < deadline:
                rises.append(self.rise(standing_top))
        finally:
            self.game.release(P1_KEYS["jump"])
        return max(rises)

    def test_a_kill_then_the_console_changes_gravity_and_a_key_for_the_next_game(self):
        # Player 2 comes in with few hit points; both shoot until he dies.
        shot = self.start(autoexec="SET HP 2 4\n")
        standing_top = top_row(shot, half(self.area, 0))

        # A normal jump (gravity 0.25, jump speed 7) rises about 100 pixels.
        self.game.focus()
        self.game.hold(P1_KEYS["jump"])
        try:
            poll(lambda: self.rise(standing_top) > 60, 15, interval=0.05,
                 what="player 1 to jump over 60 pixels high")
        finally:
            self.game.release(P1_KEYS["jump"])
        wait_settled(self.game, self.area)

        self.game.focus()
        self.game.hold(P1_KEYS["attack"], P2_KEYS["attack"])
        try:
            box = self.death_box()
        finally:
            self.game.release(P1_KEYS["attack"], P2_KEYS["attack"])
        self.assertTrue(box["text"].startswith("Player 2 died"), box["text"])
        self.dismiss(box)
        wait_settled(self.game, self.area)

        console = self.open_console()
        self.enter(console, "set grav veryhigh")
        self.enter(console, "bind 1 right l")
        self.game.press("Escape")
        self.game.wait_for_no_window(DIALOG_CLASS, "Console", exe=self.game.exe)

        # The new key walks player 1; gravity 1.0 holds a jump to 7+6+...+1 = 28 pixels.
        self.walks(0, "l", +1)
        wait_settled(self.game, self.area)
        highest = self.highest_rise(standing_top, seconds=3)
        self.assertGreater(highest, 4, "player 1 did not jump")
        self.assertLessEqual(highest, 32)


if __name__ == "__main__":
    unittest.main()
