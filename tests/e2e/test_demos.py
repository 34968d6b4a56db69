"""Demos in the Windows program: its trigonometry tables agree with its own C library;
a demo made by brawlex-demo (native GCC and glibc) replays in step under Wine and
TIMEDEMO ends on the checksum brawlex-demo verify prints; and a match recorded with
RECORD while real keys are pressed verifies in step with brawlex-demo and plays back
with PLAYDEMO to the same death box."""

import os
import subprocess
import tempfile
import unittest

from brawlex_harness import (_SOURCE_DIR, DATA_FILES, DIALOG_CLASS, GameTestCase, game_dir,
                             poll, probe_path, wine_environment)
from demo_support import demo_tool, make_demo, parse_timedemo, verify_demo
from scenario_support import P1_KEYS, wait_settled

INPUT, OUTPUT = 1001, 1000
TREE_DIR = os.path.dirname(os.path.dirname(probe_path()))  # <build root>/windows

with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()


class DemoTestCase(GameTestCase):
    def start(self, extra=None):
        self.game.start(DATA_FILES, config=SHIPPED_CONFIG, autoexec="", extra=extra)
        self.area = self.game.main_window()["client"]
        wait_settled(self.game, self.area)

    def console_line(self, line):
        """Opens the console, enters a line and returns the first line it printed; the
        console is left open."""
        console = self.game.open_console()
        self.game.type_text(line)
        poll(lambda: self.game.dialog_texts(console)[INPUT] == line, 10, what=f"{line!r} typed")
        self.game.press("Return")
        # The typed line is echoed above what it printed.
        texts = poll(lambda: (lambda t: t if t[INPUT] == "" and t[OUTPUT].startswith(
            line + "\r\n") else None)(self.game.dialog_texts(console)), 300,
            what=f"{line!r} to run")
        return console, texts[OUTPUT].split("\r\n")[1]

    def close_console(self):
        self.game.press("Escape")
        self.game.wait_for_no_window(DIALOG_CLASS, "Console", exe=self.game.exe, timeout=20)

    def dismiss(self, box):
        self.game.click(box, 1)
        self.game.wait_for_no_window(DIALOG_CLASS, box["caption"], exe=self.game.exe)


class DemoTest(DemoTestCase):
    def test_the_trigonometry_tables_agree_with_the_windows_c_library(self):
        program = os.path.join(os.path.dirname(probe_path()), "trig_agreement.exe")
        with tempfile.TemporaryFile() as out:
            result = subprocess.run(["wine", program], env=wine_environment(), stdout=out,
                                    stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                    timeout=120)
            out.seek(0)
            report = out.read().decode("latin-1")
        # The Wine server of that run (started with no display) must be gone before the
        # next program starts under this prefix: one that joined it would find no
        # display and end before its window showed.
        for flag in ("-k", "-w"):
            subprocess.run(["wineserver", flag], env=wine_environment(), timeout=30,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
        self.assertEqual(result.returncode, 0, report)
        self.assertIn("0 differences", report)

    def test_a_demo_made_natively_replays_in_step_under_wine(self):
        tool = demo_tool(TREE_DIR)
        with tempfile.TemporaryDirectory() as scratch:
            demo = make_demo(tool, os.path.join(scratch, "made.dem"), 30, 1717)
            frames, checksum, verdict, _ = verify_demo(tool, os.path.join(scratch, "made.dem"))
        self.assertEqual((frames, verdict), (3000, "in step"))
        self.start(extra={"MADE.DEM": demo})
        _, line = self.console_line("TIMEDEMO MADE")
        timed = parse_timedemo(line)
        self.assertIsNotNone(timed, line)
        self.assertEqual(timed[0::3], (3000, checksum), line)

    def test_a_match_recorded_with_real_keys_verifies_and_plays_back_to_the_same_death(self):
        self.start()
        _, line = self.console_line("RECORD REAL")
        self.assertEqual(line, "Recording REAL.DEM")
        self.close_console()
        self.game.focus()
        self.game.hold(P1_KEYS["attack"])
        try:
            recorded = self.game.message_box(timeout=60)
        finally:
            self.game.release(P1_KEYS["attack"])
        self.dismiss(recorded)
        _, line = self.console_line("STOP")
        self.assertRegex(line, r"^Recorded REAL\.DEM: \d+ frames$")
        self.close_console()

        # The Windows program's demo, replayed by the native tool: in step.
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, "real.dem")
            with open(path, "wb") as f:
                f.write(self.game.read_file("REAL.DEM"))
            frames, _, verdict, code = verify_demo(demo_tool(TREE_DIR), path)
        self.assertEqual((verdict, code), ("in step", 0))
        self.assertEqual(line, f"Recorded REAL.DEM: {frames} frames")

        # Played back in the window: the same death box, then the game as it was.
        _, line = self.console_line("PLAYDEMO REAL")
        self.assertEqual(line, "Playing REAL.DEM")
        self.close_console()
        replayed = self.game.message_box(timeout=60)
        self.assertEqual((replayed["caption"], replayed["text"]),
                         (recorded["caption"], recorded["text"]))
        self.dismiss(replayed)
        self.assertTrue(self.game.running())


if __name__ == "__main__":
    unittest.main()
