"""The computer player on the web page: with SET CPU 2 HARD in autoexec.cfg and nobody
at the keys, the computer kills player 1 and the death box names him; with both
fighters given to the computer, one match follows another as OK is pressed.

The page's autoexec.cfg is the one packed into brawlex.data; each test rewrites the
lines it needs in its own copy of the site, in place and at the same length (the
shipped file holds them commented out)."""

import os
import re
import unittest

from web_harness import PageTestCase, poll

DEATH_TEXT = re.compile(r"^Player ([12]) died")


class CpuTest(PageTestCase):
    def set_autoexec_lines(self, replacements):
        path = os.path.join(self.page.site, "brawlex.data")
        with open(path, "rb") as packed:
            data = packed.read()
        for old, new in replacements:
            # Same length, so every packed file keeps its place.
            new = new.ljust(len(old))
            self.assertEqual(len(new), len(old))
            self.assertEqual(data.count(old), 1, f"{old!r} in the packed autoexec.cfg")
            data = data.replace(old, new)
        with open(path, "wb") as packed:
            packed.write(data)

    def death_box(self):
        box = self.page.wait_for_message_box(timeout=150)
        self.assertEqual(box["buttons"], ["OK"])
        match = DEATH_TEXT.match(box["text"])
        self.assertIsNotNone(match, box["text"])
        return box, int(match.group(1))

    def test_the_computer_kills_player_one_left_alone(self):
        self.set_autoexec_lines([(b"// SET CPU 2 NORMAL", b"SET CPU 2 HARD")])
        self.page.open()
        box, dead = self.death_box()
        self.assertEqual(dead, 1, box["text"])

    def test_two_computers_play_match_after_match(self):
        self.set_autoexec_lines([(b"// SET CPU 2 NORMAL", b"SET CPU 2 HARD"),
                                 (b"// SET GRAV LOW", b"SET CPU 1 HARD")])
        self.page.open()
        for _ in range(2):
            self.death_box()
            frames = self.page.frames()
            self.page.click_ok()
            poll(lambda: self.page.frames() > frames + 10, 10, what="frames after OK")


if __name__ == "__main__":
    unittest.main()
