"""Gamepads on the web page. No real pad can be plugged in here, so a stand-in for the
browser's Gamepad API (navigator.getGamepads), installed before the page loads, plays
the pads: the page's own reading of them runs as it would with real ones. Pads bound
in the console drive the fighters beside the keyboard; a pad pulled out lets go; a
gamepad the browser does not lay out in its standard mapping is not read."""

import time
import unittest

from selenium.webdriver.common.keys import Keys

from web_harness import CONSOLE_KEY, P2_KEYS, PageTestCase, poll

# Up to four gamepads in the browser's slots, each a plain object shaped like a
# Gamepad: 17 buttons and 4 axes in the standard layout.
FAKE_GAMEPADS = """
(() => {
  const slots = [null, null, null, null];
  const released = () => ({pressed: false, touched: false, value: 0});
  window.testGamepads = {
    plug(index, mapping) {
      slots[index] = {id: "Brawlex test pad", index: index, connected: true,
                      mapping: mapping === undefined ? "standard" : mapping,
                      timestamp: performance.now(), axes: [0, 0, 0, 0],
                      buttons: Array.from({length: 17}, released)};
    },
    unplug(index) { slots[index] = null; },
    button(index, button, value) {
      slots[index].buttons[button] = {pressed: value > 0, touched: value > 0, value: value};
    },
    axis(index, axis, value) { slots[index].axes[axis] = value; },
  };
  Object.defineProperty(Navigator.prototype, "getGamepads",
                        {value: () => slots.slice(), configurable: true});
})();
"""

# getGamepads as it answers in a frame not allowed to read gamepads.
REFUSED_GAMEPADS = """
Object.defineProperty(Navigator.prototype, "getGamepads", {configurable: true, value: () => {
  throw new DOMException("gamepads are not allowed here", "SecurityError");
}});
"""

A, DPAD_LEFT = 0, 14


class GamepadPageTest(PageTestCase):
    def pads(self, call, *args):
        self.page.script(f"testGamepads.{call}(...arguments)", *args)

    def console_line(self, line):
        self.page.hold(CONSOLE_KEY)
        poll(lambda: self.page.script("return BrawlexPage.console.state.open"), 10,
             what="the console to open")
        self.page.release(CONSOLE_KEY)
        self.page.type_text(line)
        self.page.press(Keys.ENTER)
        self.page.press(Keys.ESCAPE)
        poll(lambda: not self.page.script("return BrawlexPage.console.state.open"), 10,
             what="the console to close")

    def mean_x(self, side):
        return self.page.canvas(self.page.half(side))["meanX"]

    def walks_while(self, side, direction, what):
        start = self.mean_x(side)
        poll(lambda: (self.mean_x(side) - start) * direction > 40, 15,
             what=f"player {side + 1} to walk while {what}")

    def stands_still(self, side, seconds=0.5):
        before = self.mean_x(side)
        time.sleep(seconds)  # a span of frames in which nothing may move him
        return self.mean_x(side) == before

    def test_pads_bound_in_the_console_play_beside_the_keyboard(self):
        self.page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                         {"source": FAKE_GAMEPADS})
        self.page.open()
        self.page.wait_settled()
        self.console_line("bind 1 jump pad1a;bind 1 right pad1stickright;bind 2 left pad2left")

        # A gamepad the browser cannot lay out takes no pad: the stick does nothing.
        self.pads("plug", 0, "")
        self.pads("axis", 0, 0, 0.9)
        self.assertTrue(self.stands_still(0))

        # Laid out as standard, it is pad 1 from the next frame; the second is pad 2.
        self.pads("plug", 0)
        self.pads("plug", 1)
        self.pads("axis", 0, 0, 0.9)
        self.walks_while(0, +1, "pad 1's stick is pushed right")
        self.pads("unplug", 0)  # pulled out while pushed: he stops
        poll(lambda: self.stands_still(0, 0.3), 10, what="player 1 to stop")

        self.pads("button", 1, DPAD_LEFT, 1.0)
        self.walks_while(1, -1, "pad 2's d-pad left is held")
        self.pads("button", 1, DPAD_LEFT, 0.0)
        poll(lambda: self.stands_still(1, 0.3), 10, what="player 2 to stop")
        # His keyboard key for walking right works beside the pad.
        self.page.hold(P2_KEYS["right"])
        try:
            self.walks_while(1, +1, "his keyboard key is held")
        finally:
            self.page.release(P2_KEYS["right"])

        # Plugged in again, the first gamepad is pad 1 again: A jumps.
        self.pads("plug", 0)
        box = self.page.half(0)
        standing = self.page.canvas(box)["topRow"]
        self.pads("button", 0, A, 1.0)
        poll(lambda: standing - (self.page.canvas(box)["topRow"] or standing) > 30, 10,
             what="player 1 to jump while pad 1's A is held")
        self.pads("button", 0, A, 0.0)

    def test_a_page_refused_the_gamepads_plays_on_the_keyboard(self):
        self.page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                         {"source": REFUSED_GAMEPADS})
        self.page.open()
        self.page.wait_settled()
        self.page.hold(P2_KEYS["left"])
        try:
            self.walks_while(1, -1, "his keyboard key is held")
        finally:
            self.page.release(P2_KEYS["left"])
        stats = self.page.stats()
        self.assertTrue(stats["running"])
        self.assertFalse(stats["failed"])
        self.assertIsNone(self.page.notice())


if __name__ == "__main__":
    unittest.main()
