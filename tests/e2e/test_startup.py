"""Start-up as a player sees it: the loading dialog with its caption and a status line
while the weapon images are generated, then the first frames: both fighters on the
floor at the two edges, each with 50 hit points written in white above him."""

import unittest

from brawlex_harness import DATA_FILES, DIALOG_CLASS, GameTestCase
from scenario_support import (BLACK, FRAME_HEIGHT, WHITE, bitmap_24, colour_count, hp_box, lit,
                              standing_box, wait_settled)

LOADING_CAPTION = "Loading Brawlex!..."
STATUS, STAGE_BAR, OVERALL_BAR = 1009, 1007, 1010
STATUS_LINES = ("Generating rotated gun images...", "Generating masks for rotated gun images...",
                "Generating rotated sword images...",
                "Generating masks for rotated sword images...")
# With the shipped 50 x 50 weapon pictures the dialog lives about a tenth of a second,
# and each look at it waits for the busy game to serve it; pictures this big make the
# generation last about half a second (and take some 250 MB while the game runs).
BIG = 200


def big_weapon(x, y):
    """A bar across the middle with a black (transparent) border."""
    inside = BIG // 3 <= y < 2 * BIG // 3 and 10 <= x < BIG - 10
    return (200, 200, 220) if inside else BLACK


class StartupTest(GameTestCase):
    def test_the_loading_dialog_shows_its_caption_and_status_while_images_are_made(self):
        # The dialog lives for a fraction of a second: the probe watches for it from
        # the moment of launch and reports every change until it is gone.
        picture = bitmap_24(BIG, BIG, big_weapon)
        self.game.start(DATA_FILES, extra={"gun.bmp": picture, "sword.bmp": picture})
        reports = self.game.probe("watch", LOADING_CAPTION, 90000, timeout=120)
        self.assertTrue(reports, "the loading dialog was not seen")
        self.assertTrue(all(r["exe"].lower() == self.game.exe for r in reports))
        statuses = []
        for report in reports:
            texts = {c["id"]: c["text"] for c in report["children"]}
            if texts.get(STATUS) not in statuses:
                statuses.append(texts.get(STATUS))
        # Besides the stages, a look may find the template's text before the first
        # one, or no controls or texts while the dialog is being made or destroyed. The stages come in their
        # order; any of them may pass between two looks.
        shown = [s for s in statuses if s in STATUS_LINES]
        self.assertTrue(shown, statuses)
        self.assertEqual(shown, sorted(shown, key=STATUS_LINES.index), statuses)
        whole = [r for r in reports if len(r["children"]) == 3]
        self.assertTrue(whole, reports)
        classes = {c["id"]: c["class"].lower() for c in whole[0]["children"]}
        self.assertEqual(classes, {STATUS: "static", STAGE_BAR: "msctls_progress32",
                                   OVERALL_BAR: "msctls_progress32"})
        # Gone before the game window shows.
        self.game.main_window()
        self.assertFalse(self.game.windows(DIALOG_CLASS, LOADING_CAPTION, exe=self.game.exe))

    def test_the_first_frames_show_both_fighters_on_the_floor_with_50_hit_points(self):
        self.game.start(DATA_FILES)
        area = self.game.main_window()["client"]
        shot = wait_settled(self.game, area)
        left, top, right, bottom = area

        for side in (0, 1):
            box = standing_box(area, side)
            # The hero stands on the floor row, his feet in the bottom rows.
            self.assertTrue(lit(shot, (box[0], bottom - 4, box[2], bottom)),
                            f"player {side + 1} is not standing at his edge")
            self.assertGreater(colour_count(shot, hp_box(area, side), WHITE), 10,
                               f"player {side + 1}'s 50 is not written in white")
        # The same number over both: player 1's is the same text with its first four
        # columns outside the play area (it is written 4 pixels left of his frame).
        def white_mask(box, skip=0):
            l, t, r, b = box
            return [[shot.pixel(x, y) == WHITE for x in range(l + skip, r)] for y in range(t, b)]
        p1_box, p2_box = hp_box(area, 0), hp_box(area, 1)
        width = p1_box[2] - p1_box[0]
        self.assertEqual(white_mask(p1_box), [row[:width] for row in white_mask(p2_box, 4)])

        # Nothing but the fighters: everything above them is black.
        self.assertFalse(lit(shot, (left, top, right, bottom - FRAME_HEIGHT - 20), step=3))
        between = (left + 60, bottom - FRAME_HEIGHT - 20, right - 80, bottom)
        self.assertFalse(lit(shot, between, step=2), "something stands between the fighters")


if __name__ == "__main__":
    unittest.main()
