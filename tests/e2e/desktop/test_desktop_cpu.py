"""The computer player in the desktop program: with SET CPU 2 HARD in autoexec.cfg and
nobody at the keys, the computer kills player 1 and the death box (read from standard
error) names him; with both fighters given to the computer, one match follows another
as OK (Return) is pressed."""

import os
import re
import unittest

from desktop_harness import DesktopTestCase  # first: it finds the shared harness
from brawlex_harness import HarnessError, poll

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))
with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()

DEATH_TEXT = re.compile(r"^Player ([12]) died")


class CpuTest(DesktopTestCase):
    def start(self, autoexec):
        self.game.start(config=SHIPPED_CONFIG, autoexec=autoexec)
        self.game.main_window()
        self.game.focus()  # frames run only while the window has the keyboard

    def death_box(self):
        box = self.game.message_box(timeout=150)
        match = DEATH_TEXT.match(box["text"])
        self.assertIsNotNone(match, box["text"])
        return box, int(match.group(1))

    def press_ok(self, box):
        """Return in the box. Its window may be listed a moment before the window
        manager maps it, when it cannot take the focus yet: then it is tried again."""
        def dismissed():
            try:
                self.game.dismiss(box)
                return True
            except HarnessError:
                return False
        poll(dismissed, 20, what=f"OK pressed in {box['caption']!r}")

    def test_the_computer_kills_player_one_left_alone(self):
        self.start("SET CPU 2 HARD\n")
        box, dead = self.death_box()
        self.assertEqual(dead, 1, box["text"])

    def test_two_computers_play_match_after_match(self):
        self.start("SET CPU 1 HARD\nSET CPU 2 HARD\n")
        for _ in range(2):
            box, _dead = self.death_box()
            self.press_ok(box)
            self.assertTrue(self.game.running())


if __name__ == "__main__":
    unittest.main()
