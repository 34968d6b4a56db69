"""Demos on the web page: a demo made by brawlex-demo (native GCC and glibc) is given to
the page and replays in step under Emscripten, TIMEDEMO ending on the checksum that
brawlex-demo verify prints; a match recorded with RECORD while real keys are pressed
is offered as a download by STOP, verifies in step with brawlex-demo, and plays back
with PLAYDEMO to the same death box."""

import base64
import os
import sys
import tempfile
import unittest

from selenium.webdriver.common.keys import Keys

from web_harness import CONSOLE_KEY, P1_KEYS, PageTestCase, poll, site_dir

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from demo_support import demo_tool, make_demo, parse_timedemo, verify_demo  # noqa: E402

TREE_DIR = os.path.dirname(os.path.abspath(site_dir()))  # <build root>/web


class DemoTest(PageTestCase):
    def console(self):
        return self.page.script("return BrawlexPage.console.state")

    def console_line(self, line, timeout=10):
        """Opens the console, enters a line and returns the first line it printed (below
        the echo of the typed line); the console is closed again."""
        self.page.hold(CONSOLE_KEY)
        try:
            poll(lambda: self.console()["open"], 10, what="the console to open")
        finally:
            self.page.release(CONSOLE_KEY)
        self.page.type_text(line)
        poll(lambda: self.console()["input"] == line, 10, what=f"{line!r} typed")
        self.page.press(Keys.ENTER)
        # The typed line is echoed above what it printed.
        output = poll(lambda: (lambda s: s["output"] if s["input"] == "" and s["output"]
                               .splitlines()[:1] == [line] else None)(self.console()),
                      timeout, what=f"{line!r} to run")
        self.page.press(Keys.ESCAPE)
        poll(lambda: not self.console()["open"], 10, what="the console to close")
        return output.splitlines()[1]

    def give(self, name, data):
        """Hands the page a file as a drop or the file chooser would."""
        self.page.script("BrawlexDemos.take(arguments[0], Uint8Array.from(atob(arguments[1]),"
                         " c => c.charCodeAt(0)))", name, base64.b64encode(data).decode())
        return poll(lambda: self.page.script(
            "return BrawlexDemos.log.filter(e => e.taken === arguments[0]).pop()", name), 10,
            what=f"{name} taken")["as"]

    def test_a_demo_made_natively_replays_in_step_on_the_page(self):
        tool = demo_tool(TREE_DIR)
        with tempfile.TemporaryDirectory() as scratch:
            demo = make_demo(tool, os.path.join(scratch, "made.dem"), 30, 1717)
            frames, checksum, verdict, _ = verify_demo(tool, os.path.join(scratch, "made.dem"))
        self.assertEqual((frames, verdict), (3000, "in step"))
        self.page.open()
        self.page.wait_settled()
        self.assertEqual(self.give("made.dem", demo), "made.dem")
        self.assertEqual(self.give("config.cfg", b"BIND 1 JUMP Q"), "", "only demo files")
        line = self.console_line("TIMEDEMO MADE.DEM", timeout=300)
        timed = parse_timedemo(line)
        self.assertIsNotNone(timed, line)
        self.assertEqual(timed[0::3], (3000, checksum), line)

    def test_a_match_recorded_with_real_keys_is_offered_verifies_and_plays_back(self):
        self.page.open()
        self.page.wait_settled()
        self.assertEqual(self.console_line("RECORD REAL"), "Recording REAL.DEM")
        self.page.hold(P1_KEYS["attack"])
        try:
            recorded = self.page.wait_for_message_box(timeout=60)
        finally:
            self.page.release(P1_KEYS["attack"])
        self.page.click_ok()
        stopped = self.console_line("STOP")
        self.assertRegex(stopped, r"^Recorded REAL\.DEM: \d+ frames$")

        offered = poll(lambda: self.page.script(
            "return BrawlexDemos.log.filter(e => e.offered).pop()"), 10, what="the download")
        self.assertEqual(offered["offered"], "REAL.DEM")
        data = base64.b64decode(self.page.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            fetch(arguments[0]).then(r => r.arrayBuffer()).then(b => {
                let s = ''; for (const c of new Uint8Array(b)) s += String.fromCharCode(c);
                done(btoa(s));
            });""", offered["url"]))
        self.assertEqual(len(data), offered["size"])
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, "real.dem")
            with open(path, "wb") as f:
                f.write(data)
            frames, _, verdict, code = verify_demo(demo_tool(TREE_DIR), path)
        self.assertEqual((verdict, code), ("in step", 0))
        self.assertEqual(stopped, f"Recorded REAL.DEM: {frames} frames")

        self.assertEqual(self.console_line("PLAYDEMO REAL"), "Playing REAL.DEM")
        replayed = self.page.wait_for_message_box(timeout=60)
        self.assertEqual(replayed, recorded)
        self.page.click_ok()


if __name__ == "__main__":
    unittest.main()
