"""Keys on the web page that must not stay held: a key let go while Command (Meta) is
held, for which macOS browsers send no release, and keys pressed and released just as
the console closes. Also pasting into the console's input line."""

import unittest

from web_harness import CONSOLE_KEY, PageTestCase, poll

# CDP key events: Chromium sends the page exactly these, and nothing else (no release
# that was not asked for), as a macOS browser does under Command.
META = {"key": "Meta", "code": "MetaLeft", "windowsVirtualKeyCode": 91}
D_KEY = {"key": "d", "code": "KeyD", "windowsVirtualKeyCode": 68}
META_HELD = 4  # CDP's modifier bit of Meta

# Dispatches keyboard events on the window in one go, before the program can take any
# of them: [type, key, code] each.
_DISPATCH = """
for (const [type, key, code] of arguments[0])
  dispatchEvent(new KeyboardEvent(type, {key: key, code: code, bubbles: true}));
"""


class KeysTest(PageTestCase):
    def key(self, kind, key, modifiers=0):
        event = dict(key, type=kind, modifiers=modifiers)
        self.page.driver.execute_cdp_cmd("Input.dispatchKeyEvent", event)

    def player1_x(self):
        return self.page.canvas(self.page.half(0))["meanX"]

    def walks(self, since):
        poll(lambda: self.player1_x() > since + 20, 20, what="player 1 to walk right")

    def after_frames(self, count):
        frames = self.page.frames()
        poll(lambda: self.page.frames() > frames + count, 20, what=f"{count} frames")

    def stands_still(self, what):
        """Player 1 comes to rest (a walk slides on for a few frames) and then stays
        where he is for 100 frames, a second of the game."""
        self.after_frames(50)
        x = self.player1_x()
        self.after_frames(100)
        self.assertAlmostEqual(self.player1_x(), x, delta=3, msg=what)

    def console(self):
        return self.page.script("return BrawlexPage.console.state")

    def open_console(self):
        self.page.hold(CONSOLE_KEY)
        try:
            poll(lambda: self.console()["open"], 10, what="the console to open")
        finally:
            self.page.release(CONSOLE_KEY)

    def close_console_with(self, *events):
        self.page.script(_DISPATCH, [["keydown", "Escape", "Escape"]] + list(events))
        poll(lambda: not self.console()["open"], 10, what="the console to close")

    def test_keys_let_go_while_command_is_held_do_not_stay_held(self):
        self.page.open()
        self.page.wait_settled()
        start = self.player1_x()
        # Cmd+D: D goes down with Command held; only Command's release follows.
        self.key("rawKeyDown", META, META_HELD)
        self.key("rawKeyDown", D_KEY, META_HELD)
        self.key("keyUp", META)
        self.stands_still("Cmd+D left player 1 walking")
        self.assertAlmostEqual(self.player1_x(), start, delta=3)

        # D held down to walk, then let go while Command is held: its release is lost.
        self.key("rawKeyDown", D_KEY)
        self.walks(start)
        self.key("rawKeyDown", META, META_HELD)
        self.key("keyUp", META)
        self.stands_still("D let go under Command stayed held")

    def test_keys_queued_as_the_console_closes_reach_the_game_with_their_releases(self):
        self.page.open()
        self.page.wait_settled()
        start = self.player1_x()
        # Escape, then D pressed and released, all taken by the page before the console
        # reads any of them: the console closes, and D is pressed and released again.
        self.open_console()
        self.close_console_with(["keydown", "d", "KeyD"], ["keyup", "d", "KeyD"])
        self.stands_still("a key pressed and released as the console closed stayed held")
        self.assertAlmostEqual(self.player1_x(), start, delta=3)

        # A key pressed as the console closes and still held is the game's.
        self.open_console()
        self.close_console_with(["keydown", "d", "KeyD"])
        self.walks(start)
        self.page.script(_DISPATCH, [["keyup", "d", "KeyD"]])
        self.stands_still("D still walking after its release")

    def test_paste_puts_the_clipboards_first_line_into_the_input(self):
        self.page.open()
        self.open_console()
        # Ctrl+V and Shift+Insert are left to the browser, whose paste event brings the
        # text; other keys typed in the console are the console's alone.
        prevented = self.page.script("""
            const kept = [];
            for (const init of arguments[0]) {
              const event = new KeyboardEvent("keydown", Object.assign({cancelable: true}, init));
              dispatchEvent(event);
              kept.push(event.defaultPrevented);
            }
            return kept;""", [{"key": "v", "code": "KeyV", "ctrlKey": True},
                              {"key": "Insert", "code": "Insert", "shiftKey": True},
                              {"key": "x", "code": "KeyX"}])
        self.assertEqual(prevented, [False, False, True])
        poll(lambda: self.console()["input"] == "x", 10, what="x typed")
        # The paste: its first line, without what the console cannot type (the euro
        # sign is not an 8-bit character; ü is), at the caret.
        self.page.script("""
            const data = new DataTransfer();
            data.setData("text/plain", arguments[0]);
            document.dispatchEvent(new ClipboardEvent("paste", {clipboardData: data,
                                                                bubbles: true}));
        """, "echo \u20acüber\tall\r\nECHO second")
        poll(lambda: self.console()["input"] == "xecho überall", 10,
             what="the pasted line, shown " + repr(self.console()["input"]))


if __name__ == "__main__":
    unittest.main()
