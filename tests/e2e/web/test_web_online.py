"""Online play on the web page through the relay: two pages meet in a room (HOST RELAY
in one, JOIN with its code in the other, or the room's link opened as a player opens
it); the joiner's keys move the second fighter on the host's page, a console change
made on one page shows on both and a kill shows its death box on both, and DISCONNECT
or a closed page ends the match on the other page with a message box. A malformed
room link is ignored. The relay (brawlex-server of a native tree, see
online_support.py) runs on a port of its own on 127.0.0.1 and is stopped by its pid."""

import time
import unittest

from online_support import Relay, console_output, enter, hit_points_red, host_room
from web_harness import P1_KEYS, Page, poll


class OnlineTest(unittest.TestCase):
    def setUp(self):
        self.relay = Relay()
        self.addCleanup(self.relay.stop)
        self.pages = [Page(), Page()]
        for page in self.pages:
            self.addCleanup(page.stop)
            page.start()
            page.open()
            page.wait_settled()

    def joiner_walks_on_the_hosts_page(self):
        host, joiner = self.pages
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

    def meet(self):
        host, joiner = self.pages
        code, _ = host_room(host, self.relay)
        enter(joiner, f"join {self.relay.address} {code}")
        self.joiner_walks_on_the_hosts_page()

    def test_keys_console_change_and_kill_reach_both_pages_and_disconnect_ends_it(self):
        host, joiner = self.pages
        self.meet()
        # Entered on the joiner's page, taking effect on both when his console closes.
        enter(joiner, "set hp 2 1")
        for page in self.pages:
            poll(lambda: hit_points_red(page, 1), 20,
                 what="the second fighter's one hit point, in red")
        # The host's shot kills the joiner's fighter on both pages.
        host.hold(P1_KEYS["attack"])
        try:
            boxes = [page.wait_for_message_box(timeout=40) for page in self.pages]
        finally:
            host.release(P1_KEYS["attack"])
        self.assertIn("Player 2", boxes[0]["text"])
        self.assertEqual(boxes[0], boxes[1])
        for page in self.pages:
            page.click_ok()

        enter(joiner, "disconnect")
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

    def test_the_rooms_link_opens_the_page_into_the_room_and_a_malformed_one_is_ignored(self):
        host, joiner = self.pages
        code, link = host_room(host, self.relay)
        self.assertEqual(link, f"{host.url}#join={code}@{self.relay.address}")
        # The host's page shows it too, the code standing for the link.
        shown = host.script("const a = document.getElementById('room-link-address');"
                            "return [a.textContent, a.href, a.offsetParent !== null]")
        self.assertEqual(shown, [code, link, True])

        # Mangled links leave the page alone: the first opens the page anew (another
        # path to it), the others are given to the open page.
        for fragment in (f"#join={code}X@{self.relay.address}",
                         f"#join={code}@{self.relay.address}%20{code}",
                         f"#join={code}@{self.relay.address};quit"):
            joiner.open(address=joiner.url + "index.html" + fragment)
        frames = joiner.frames()
        poll(lambda: joiner.frames() > frames + 50, 10, what="the game to go on")
        self.assertIsNone(joiner.message_box())
        self.assertNotIn("Room link", console_output(joiner))

        # The real one, opened as a player opens it: the page joins the room.
        joiner.open(address=link)
        self.joiner_walks_on_the_hosts_page()
        self.assertIn(f"Room link: Joined room {code}", console_output(joiner))
        # With the other player in, the link has done its work and leaves the picture.
        poll(lambda: host.script("return document.getElementById('room-link').hidden"), 10,
             what="the room's link to go")


if __name__ == "__main__":
    unittest.main()
