"""Demos in the desktop program: a demo made by brawlex-demo replays in step and
TIMEDEMO ends on the checksum brawlex-demo verify prints; a match recorded with
RECORD while real keys are pressed verifies in step with brawlex-demo and plays back
with PLAYDEMO to the same death box."""

import os
import tempfile
import unittest

from desktop_harness import DesktopTestCase, game_dir, poll  # first: it finds the shared harness
from demo_support import demo_tool, make_demo, parse_timedemo, verify_demo
from scenario_support import P1_KEYS, wait_settled

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))
with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()
TREE_DIR = os.path.dirname(os.path.abspath(game_dir()))  # <build root>/desktop


class DemoTest(DesktopTestCase):
    def start(self, extra=None):
        self.game.start(config=SHIPPED_CONFIG, autoexec="", extra=extra)
        self.area = self.game.main_window()["area"]
        wait_settled(self.game, self.area)

    def console_line(self, line, timeout=20):
        """Opens the console, enters a line and returns the first line it printed (the
        row below the echo of the typed line); the console is closed again."""
        self.game.open_console()
        self.game.type_text(line)
        poll(lambda: self.game.console().input() == line, 10, what=f"{line!r} typed")
        self.game.press("Return")
        rows = poll(lambda: (lambda r: r if r[0] == line else None)(
            self.game.console().output_rows(2)), timeout, what=f"{line!r} to run")
        self.game.press("Escape")
        poll(lambda: not self.game.console_open(), 10, what="the console to close")
        return rows[1]

    def test_a_demo_made_natively_replays_in_step(self):
        tool = demo_tool(TREE_DIR)
        with tempfile.TemporaryDirectory() as scratch:
            demo = make_demo(tool, os.path.join(scratch, "made.dem"), 30, 1717)
            frames, checksum, verdict, _ = verify_demo(tool, os.path.join(scratch, "made.dem"))
        self.assertEqual((frames, verdict), (3000, "in step"))
        self.start(extra={"made.dem": demo})
        line = self.console_line("timedemo made", timeout=300)
        timed = parse_timedemo(line)
        self.assertIsNotNone(timed, line)
        self.assertEqual(timed[0::3], (3000, checksum), line)

    def test_a_match_recorded_with_real_keys_verifies_and_plays_back_to_the_same_death(self):
        self.start()
        self.assertEqual(self.console_line("record real"), "Recording REAL.DEM")
        self.game.focus()
        self.game.hold(P1_KEYS["attack"])
        try:
            recorded = self.game.message_box(timeout=60)
        finally:
            self.game.release(P1_KEYS["attack"])
        self.game.dismiss(recorded)
        stopped = self.console_line("stop")
        self.assertRegex(stopped, r"^Recorded REAL\.DEM: \d+ frames$")

        frames, _, verdict, code = verify_demo(demo_tool(TREE_DIR),
                                               os.path.join(self.game.folder, "REAL.DEM"))
        self.assertEqual((verdict, code), ("in step", 0))
        self.assertEqual(stopped, f"Recorded REAL.DEM: {frames} frames")

        self.assertEqual(self.console_line("playdemo real"), "Playing REAL.DEM")
        replayed = self.game.message_box(timeout=60)
        self.assertEqual((replayed["caption"], replayed["text"]),
                         (recorded["caption"], recorded["text"]))
        self.game.dismiss(replayed)
        self.assertTrue(self.game.running())


if __name__ == "__main__":
    unittest.main()
