"""Two desktop programs in an online match over loopback, through the project's
impairment proxy (tools/udp_impair.py: 20 ms each way, 5 ms of jitter, 2 % loss): the
joiner's keys move his fighter on both machines, so his shots kill the host's fighter
and the death box shows on both, with the next game after OK on both; a SET in the
joiner's console shows on both machines once it closes; DISCONNECT there, the
window's close box, or a killed program ends the match on the other side with a
message box while its game goes on."""

import os
import signal
import subprocess
import sys
import time
import unittest

from desktop_harness import DesktopGame, DesktopTestCase  # first: it finds the harness
from scenario_support import (P1_KEYS, assert_console_change_on_both, joiner_area,
                              wait_settled)

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))
PROXY = os.path.join(_SOURCE_DIR, "tools", "udp_impair.py")

# Ports of this test's own.
HOST_PORT = 27961
PROXY_PORT = 27962
# Short games: one shot's worth of hit points.
HOST_CONFIG = "ECHOOFF\nSET MAXHP 1 1\nSET MAXHP 2 1\n"


def below_status_line(area):
    left, top, right, bottom = area
    return [left, top + 16, right, bottom]


class OnlineMatchTest(DesktopTestCase):
    def setUp(self):
        super().setUp()
        self.proxy = subprocess.Popen(
            [sys.executable, PROXY, "--listen", str(PROXY_PORT), "--target",
             f"127.0.0.1:{HOST_PORT}", "--delay", "20", "--jitter", "5", "--loss", "2",
             "--seconds", "300"])
        self.joiner = DesktopGame(window_manager=True)

    def tearDown(self):
        self.joiner.stop()
        self.proxy.terminate()
        self.proxy.wait(timeout=10)
        super().tearDown()

    def start_match(self):
        self.game.start(config=HOST_CONFIG, autoexec=f"HOST {HOST_PORT}\n")
        host_area = self.game.main_window()["area"]
        self.joiner.start(autoexec=f"CONNECT 127.0.0.1:{PROXY_PORT}\n")
        join_area = self.joiner.main_window()["area"]
        # Below the match's status line, whose round trip changes as packets come.
        wait_settled(self.game, below_status_line(host_area))
        wait_settled(self.joiner, below_status_line(join_area))
        return host_area, join_area

    def test_the_joiners_shots_kill_on_both_machines_and_disconnect_ends_it(self):
        self.start_match()
        # The joiner plays player 2 with the first row of his keys.
        self.joiner.focus()
        self.joiner.hold(P1_KEYS["attack"])
        try:
            host_box = self.game.message_box(timeout=60)
            join_box = self.joiner.message_box(timeout=30)
        finally:
            self.joiner.release(P1_KEYS["attack"])
        self.assertIn("Player 1", host_box["text"])
        self.assertEqual((join_box["caption"], join_box["text"]),
                         (host_box["caption"], host_box["text"]))
        self.game.dismiss(host_box)
        self.joiner.dismiss(join_box)

        host_area = self.game.main_window()["area"]
        join_area = joiner_area(host_area, self.joiner.main_window()["area"])
        assert_console_change_on_both(self.joiner, ((self.game, host_area),
                                                    (self.joiner, join_area)))

        # DISCONNECT there ends the host's match.
        self.joiner.open_console()
        self.joiner.type_text("disconnect")
        self.joiner.press("Return")
        box = self.game.message_box(timeout=30)
        self.assertEqual(box["text"], "The other player left the match.")
        self.game.dismiss(box)
        self.assertTrue(self.game.running())

    def test_the_window_close_box_tells_the_other_player_at_once(self):
        self.start_match()
        self.joiner.close()  # the window manager's close message, as its close box sends
        self.joiner.wait_exit()
        # The program's quit says so: not the ten seconds of silence.
        box = self.game.message_box(timeout=20)
        self.assertEqual(box["text"], "The other player quit the game.")
        self.game.dismiss(box)
        self.assertTrue(self.game.running())

    def test_a_killed_peer_ends_the_match_after_ten_seconds(self):
        self.start_match()
        time.sleep(1)
        # Killed outright: a program asked to end (SIGTERM) quits and says so.
        os.killpg(self.joiner.process.pid, signal.SIGKILL)
        self.joiner.process.wait(10)
        box = self.game.message_box(timeout=40)
        self.assertIn("ten seconds", box["text"])
        self.game.dismiss(box)
        self.assertTrue(self.game.running())


if __name__ == "__main__":
    unittest.main()
