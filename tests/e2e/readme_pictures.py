"""Makes the README's pictures, docs/images/fight.png and docs/images/console.png,
from the real program under Wine. Not a test (the end-to-end tests are the test_*.py
files); run it from this folder once the Windows tree is built:
    python3 readme_pictures.py
"""

import os
import subprocess
import time
import unittest

from brawlex_harness import _SOURCE_DIR, DIALOG_CLASS, poll
from scenario_support import P1_KEYS, P2_KEYS, lit
from test_fight import SHIPPED_CONFIG, FightTestCase


class ReadmePictures(FightTestCase):
    """Writes docs/images/fight.png (two fighters close together, player 1 shooting
    player 2, who charges his sword; the screen crop magnified twice, pixel for pixel)
    and docs/images/console.png (the console dialog after a few lines, as it shows)."""

    def save(self, shot, box, name, scale=1):
        left, top, right, bottom = box
        folder = os.path.join(_SOURCE_DIR, "docs", "images")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        ppm = f"P6\n{shot.width} {shot.height}\n255\n".encode() + shot.data
        subprocess.run(["convert", "ppm:-", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                        "+repage", "-scale", f"{100 * scale}%", "-strip", path],
                       input=ppm, check=True, timeout=30)
        print(f"\nwrote {path}")

    def test_pictures(self):
        self.start(config=SHIPPED_CONFIG + "SET POS 1 430 0\nSET POS 2 560 0\n"
                   "SET AIMANGLE 2 12\n")
        left, top, right, bottom = self.area
        crop = (left + 400, bottom - 90, left + 670, bottom)
        # Between player 1's gun and player 2's, where only bullets fly.
        gap = (left + 485, bottom - 30, left + 535, bottom - 10)
        self.game.focus()
        self.game.hold(P1_KEYS["attack"], P2_KEYS["sword"])
        try:
            time.sleep(1.0)  # a few points of sword charge
            shot = poll(lambda: (lambda s: s if len(lit(s, gap)) >= 3 else None)(
                self.game.screenshot()), 15, interval=0.02, what="a bullet in flight")
        finally:
            self.game.release(P1_KEYS["attack"], P2_KEYS["sword"])
        self.save(shot, crop, "fight.png", scale=2)

        console = self.open_console()
        self.enter(console, "echo Player 1 gets more hit points:")
        self.enter(console, "set maxhp 1 80")
        self.enter(console, "help var")
        window = self.game.windows(DIALOG_CLASS, "Console", exe=self.game.exe)[0]
        self.save(self.game.screenshot(), window["rect"], "console.png")
        self.game.press("Escape")



if __name__ == "__main__":
    unittest.main()
