"""Online play on the web page through the relay: two pages meet in a room (HOST RELAY
in one, JOIN with its code in the other); the joiner's keys move the second fighter on
the host's page, and DISCONNECT or a closed page ends the match on the other page with a message box.
The relay (brawlex-server of a native tree; BRAWLEX_RELAY_SERVER names another) runs on
a port of its own on 127.0.0.1 and is stopped by its pid."""

import glob
import os
import re
import socket
import subprocess
import time
import unittest

from selenium.webdriver.common.keys import Keys

from web_harness import _SOURCE_DIR, CONSOLE_KEY, P1_KEYS, Page, poll


def relay_server():
    named = os.environ.get("BRAWLEX_RELAY_SERVER")
    if named:
        return named
    build = os.path.join(_SOURCE_DIR, "build")
    found = sorted(glob.glob(os.path.join(build, "*", "brawlex-server")) +
                   glob.glob(os.path.join(build, "*", "*", "brawlex-server")), key=os.path.getmtime)
    if not found:
        raise AssertionError("no brawlex-server: build a native tree first")
    return found[-1]


def free_port():
    with socket.socket() as t, socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as u:
        t.bind(("127.0.0.1", 0))
        port = t.getsockname()[1]
        u.bind(("127.0.0.1", port))
        return port


class OnlineTest(unittest.TestCase):
    def setUp(self):
        self.port = free_port()
        self.relay = subprocess.Popen([relay_server(), "--port", str(self.port)],
                                      stderr=subprocess.DEVNULL)
        self.addCleanup(self.stop_relay)
        self.pages = [Page(), Page()]
        for page in self.pages:
            self.addCleanup(page.stop)
            page.start()
            page.open()
            page.wait_settled()

    def stop_relay(self):
        self.relay.terminate()
        try:
            self.relay.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.relay.kill()
            self.relay.wait()

    def console(self, page):
        return page.script("return BrawlexPage.console.state")

    def enter(self, page, line):
        page.hold(CONSOLE_KEY)
        poll(lambda: self.console(page)["open"], 10, what="the console to open")
        page.release(CONSOLE_KEY)
        page.type_text(line)
        poll(lambda: self.console(page)["input"] == line, 10, what=f"{line!r} typed")
        page.press(Keys.ENTER)
        poll(lambda: self.console(page)["input"] == "", 10, what=f"{line!r} entered")
        page.press(Keys.ESCAPE)
        poll(lambda: not self.console(page)["open"], 10, what="the console to close")

    def room_code(self, page):
        page.hold(CONSOLE_KEY)
        poll(lambda: self.console(page)["open"], 10, what="the console to open")
        page.release(CONSOLE_KEY)
        output = self.console(page)["output"]
        page.press(Keys.ESCAPE)
        poll(lambda: not self.console(page)["open"], 10, what="the console to close")
        found = re.search(r"Room ([2-9A-Z]{8})", output)
        return found.group(1) if found else None

    def meet(self):
        host, joiner = self.pages
        relay = f"127.0.0.1:{self.port}"
        self.enter(host, f"host relay {relay}")
        code = poll(lambda: self.room_code(host), 20, interval=1, what="the room code")
        self.enter(joiner, f"join {relay} {code}")
        # The match starts as a new game on both: the fighters fall and stand again.
        time.sleep(1)
        host.wait_settled()
        # The joiner plays the second fighter with his first row of keys.
        joiner.hold(P1_KEYS["left"])
        try:
            poll(lambda: host.canvas(host.standing_box(1))["lit"] < 100, 20,
                 what="the second fighter to walk away on the host's page")
        finally:
            joiner.release(P1_KEYS["left"])

    def test_the_joiners_keys_move_his_fighter_and_disconnect_ends_the_match(self):
        host, joiner = self.pages
        self.meet()
        self.enter(joiner, "disconnect")
        box = host.wait_for_message_box(timeout=30)
        self.assertEqual(box["caption"], "Online match")
        self.assertIn("left the match", box["text"])
        host.click_ok()

    def test_a_closed_page_ends_the_match_on_the_other(self):
        host, joiner = self.pages
        self.meet()
        joiner.stop()  # the browser is gone without a word
        box = host.wait_for_message_box(timeout=40)
        self.assertEqual(box["caption"], "Online match")
        host.click_ok()


if __name__ == "__main__":
    unittest.main()
