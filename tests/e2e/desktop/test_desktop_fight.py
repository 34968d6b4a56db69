"""A fight in the desktop program: a kill by body shots, its death box read from the
program's standard error, and the new game after OK (Return); a missing config.cfg
and its box before the window shows; the program's frame against the headless
driver's picture of the same scene."""

import os
import subprocess
import tempfile
import unittest

from desktop_harness import TITLE, DesktopTestCase  # first: it finds the shared harness
from brawlex_harness import DATA_FILES, Image
from scenario_support import (P1_KEYS, RED, WHITE, assert_walks, colour_count, hp_box,
                              wait_settled)

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))
with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()


class FightTest(DesktopTestCase):
    def hp_colours(self, box):
        shot = self.game.screenshot()
        return colour_count(shot, box, WHITE), colour_count(shot, box, RED)

    def test_held_attack_kills_and_the_new_game_follows_the_death_box(self):
        self.game.start(config=SHIPPED_CONFIG, autoexec="")
        area = self.game.main_window()["area"]
        wait_settled(self.game, area)
        p2_hp = hp_box(area, 1)
        self.game.focus()
        self.game.hold(P1_KEYS["attack"])
        try:
            box = self.game.message_box(timeout=60)
        finally:
            self.game.release(P1_KEYS["attack"])
        self.assertEqual((box["caption"], box["text"]), ("Game Over", "Player 2 died."))
        # The game stands still under the box: his hit points at 0 or below, in red.
        white, red = self.hp_colours(p2_hp)
        self.assertGreater(red, 5)
        self.assertEqual(white, 0)

        self.game.dismiss(box)  # Return is OK
        self.assertTrue(self.game.running())
        wait_settled(self.game, area)
        white, red = self.hp_colours(p2_hp)
        self.assertGreater(white, 10)
        self.assertEqual(red, 0)
        assert_walks(self.game, area, 0, P1_KEYS["right"], +1)

    def test_a_missing_config_is_reported_before_the_window_shows(self):
        files = [name for name in DATA_FILES if name != "config.cfg"]
        self.game.start(files=files, autoexec="")
        box = self.game.message_box()
        self.assertEqual((box["caption"], box["text"]),
                         ("Error", "Configuration file not found; using defaults"))
        self.assertEqual(self.game.find_windows(TITLE), [], "the game window is still hidden")
        self.game.dismiss(box)
        area = self.game.main_window()["area"]
        wait_settled(self.game, area)
        # The default keys play: player 1 walks right on D.
        assert_walks(self.game, area, 0, "d", +1)


class SameFrameTest(DesktopTestCase):
    """The desktop program's frames are the software renderer's: a scene where nothing
    moves once the fighters have landed, shot off the screen, equals the headless
    driver's picture of the same scene made now from the same files."""

    CONFIG = ("ECHOOFF\nSET POS 1 200 0\nSET POS 2 700 0\nSET DIR 2 1\n"
              "SET AIMANGLE 1 30\nSET AIMANGLE 2 -20\nSET HP 2 17\n")

    def test_a_still_frame_equals_the_headless_drivers(self):
        self.game.start(config=self.CONFIG, autoexec="")
        window = self.game.main_window()
        area = window["area"]
        shot = wait_settled(self.game, area)

        with tempfile.TemporaryDirectory(prefix="brawlex-headless-") as folder:
            for name in DATA_FILES:
                if name not in ("config.cfg", "autoexec.cfg"):
                    subprocess.run(["cp", os.path.join(self.game.folder, name), folder],
                                   check=True)
            with open(os.path.join(folder, "config.cfg"), "w", encoding="latin-1") as f:
                f.write(self.CONFIG)
            with open(os.path.join(folder, "autoexec.cfg"), "w") as f:
                f.write("")
            picture = os.path.join(folder, "frame.ppm")
            subprocess.run([os.environ.get("BRAWLEX_HEADLESS_FRAME", "brawlex_headless_frame"),
                            str(window["width"]), str(window["height"]), "600", picture],
                           cwd=folder, check=True, timeout=120)
            with open(picture, "rb") as f:
                expected = Image.from_ppm(f.read())

        self.assertEqual((expected.width, expected.height), (window["width"], window["height"]))
        differing = [(x, y) for y in range(expected.height) for x in range(0, expected.width)
                     if shot.pixel(area[0] + x, area[1] + y) != expected.pixel(x, y)]
        self.assertEqual(differing[:10], [], f"{len(differing)} pixels differ")
        lit_pixels = sum(1 for _, _, p in expected.region(0, 0, expected.width, expected.height, 3)
                         if p != (0, 0, 0))
        self.assertGreater(lit_pixels, 50, "the scene shows the fighters")


if __name__ == "__main__":
    unittest.main()
