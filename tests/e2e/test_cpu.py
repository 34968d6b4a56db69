"""The computer player in the Windows program: with SET CPU 2 HARD in autoexec.cfg and
nobody at the keys, the computer kills player 1 and the death box names him; with both
fighters given to the computer, one match follows another as OK is pressed."""

import os
import re
import unittest

from brawlex_harness import _SOURCE_DIR, DATA_FILES, DIALOG_CLASS, GameTestCase

with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()

DEATH_TEXT = re.compile(r"^Player ([12]) died")


class CpuTest(GameTestCase):
    def start(self, autoexec):
        self.game.start(DATA_FILES, config=SHIPPED_CONFIG, autoexec=autoexec)
        self.game.main_window()
        self.game.focus()  # frames run only while the window has the keyboard

    def death_box(self):
        box = self.game.message_box(timeout=150)
        self.assertEqual(list(box["buttons"].values()), ["OK"])
        match = DEATH_TEXT.match(box["text"])
        self.assertIsNotNone(match, box["text"])
        return box, int(match.group(1))

    def test_the_computer_kills_player_one_left_alone(self):
        self.start("SET CPU 2 HARD\n")
        box, dead = self.death_box()
        self.assertEqual(dead, 1, box["text"])

    def test_two_computers_play_match_after_match(self):
        self.start("SET CPU 1 HARD\nSET CPU 2 HARD\n")
        for _ in range(2):
            box, _dead = self.death_box()
            self.game.click(box, 1)  # OK
            self.game.wait_for_no_window(DIALOG_CLASS, visible=True, exe=self.game.exe)
            self.assertTrue(self.game.running())


if __name__ == "__main__":
    unittest.main()
