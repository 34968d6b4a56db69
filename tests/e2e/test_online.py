"""An online match between the Windows program under Wine (host) and the desktop
program (joiner) over loopback, through the project's impairment proxy
(tools/udp_impair.py: 20 ms each way, 5 ms of jitter, 2 % loss): the desktop player's
keys move his fighter on both machines, so his shots kill the Windows player's fighter
and the death box shows on both; after OK on both a SET in the desktop player's console
shows on both machines once it closes, and DISCONNECT there ends it on the Windows program with a message box;
the Windows program's close box ends it on the desktop program at once; a killed
desktop program ends it after ten seconds. The desktop program is the one of
the desktop tree beside this one (BRAWLEX_DESKTOP_PROGRAM names another)."""

import os
import signal
import subprocess
import sys
import time
import unittest

from brawlex_harness import _SOURCE_DIR, GameTestCase, probe_path
from scenario_support import (P1_KEYS, assert_console_change_on_both, joiner_area,
                              wait_settled)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "desktop"))
TREE_DIR = os.path.dirname(os.path.dirname(probe_path()))  # <build root>/windows
DESKTOP_PROGRAM = os.environ.get("BRAWLEX_DESKTOP_PROGRAM") or os.path.join(
    os.path.dirname(TREE_DIR), "desktop", "game", "brawlex")
PROXY = os.path.join(_SOURCE_DIR, "tools", "udp_impair.py")

# Ports of this test's own.
HOST_PORT = 27971
PROXY_PORT = 27972
HOST_CONFIG = "ECHOOFF\nSET MAXHP 1 1\nSET MAXHP 2 1\n"


class OnlineAgainstDesktopTest(GameTestCase):
    def setUp(self):
        if not os.path.exists(DESKTOP_PROGRAM):
            raise AssertionError(f"no {DESKTOP_PROGRAM}: build the desktop tree "
                                 "(cmake --preset desktop) beside this one")
        super().setUp()
        from desktop_harness import DesktopGame
        self.proxy = subprocess.Popen(
            [sys.executable, PROXY, "--listen", str(PROXY_PORT), "--target",
             f"127.0.0.1:{HOST_PORT}", "--delay", "20", "--jitter", "5", "--loss", "2",
             "--seconds", "300"])
        self.joiner = DesktopGame(program=DESKTOP_PROGRAM, window_manager=True)

    def tearDown(self):
        self.joiner.stop()
        self.proxy.terminate()
        self.proxy.wait(timeout=10)
        super().tearDown()

    def start_match(self):
        self.game.start(config=HOST_CONFIG, autoexec=f"HOST {HOST_PORT}\n")
        host_area = self.game.main_window()["client"]
        self.joiner.start(autoexec=f"CONNECT 127.0.0.1:{PROXY_PORT}\n")
        join_area = self.joiner.main_window()["area"]
        wait_settled(self.game, host_area)
        wait_settled(self.joiner, join_area)

    def test_the_desktop_players_shots_kill_on_both_and_disconnect_ends_it(self):
        self.start_match()
        self.joiner.focus()
        self.joiner.hold(P1_KEYS["attack"])
        try:
            host_box = self.game.message_box(timeout=90)
            join_box = self.joiner.message_box(timeout=30)
        finally:
            self.joiner.release(P1_KEYS["attack"])
        self.assertIn("Player 1", host_box["text"])
        self.assertEqual((join_box["caption"], join_box["text"]),
                         (host_box["caption"], host_box["text"]))
        self.game.click(host_box, 1)
        self.joiner.dismiss(join_box)

        host_area = self.game.main_window()["client"]
        join_area = joiner_area(host_area, self.joiner.main_window()["area"])
        assert_console_change_on_both(self.joiner, ((self.game, host_area),
                                                    (self.joiner, join_area)))

        self.joiner.open_console()
        self.joiner.type_text("disconnect")
        self.joiner.press("Return")
        box = self.game.message_box(caption="Online match", timeout=30)
        self.assertEqual(box["text"], "The other player left the match.")
        self.game.click(box, 1)
        self.assertTrue(self.game.running())

    def test_the_windows_close_box_tells_the_desktop_player_at_once(self):
        self.start_match()
        self.game.close()  # WM_CLOSE, as the close box sends
        self.game.wait_exit()
        box = self.joiner.message_box(timeout=20)
        self.assertEqual(box["text"], "The other player quit the game.")
        self.joiner.dismiss(box)
        self.assertTrue(self.joiner.running())

    def test_a_killed_desktop_program_ends_the_match_after_ten_seconds(self):
        self.start_match()
        time.sleep(1)
        # Killed outright: a program asked to end (SIGTERM) quits and says so.
        os.killpg(self.joiner.process.pid, signal.SIGKILL)
        self.joiner.process.wait(10)
        box = self.game.message_box(caption="Online match", timeout=40)
        self.assertIn("ten seconds", box["text"])
        self.game.click(box, 1)
        self.assertTrue(self.game.running())


if __name__ == "__main__":
    unittest.main()
