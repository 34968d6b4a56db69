"""The web page in Chromium against the desktop program (SDL2, on its own virtual
display under openbox) through the relay: the page hosts with HOST RELAY and the
desktop program joins its room with JOIN. Each player's keys move his fighter on the
other machine (the desktop player walks on the page, the page player's shot kills on
the desktop), a console change made on the page shows on both, the kill shows the same
death box on both, the next game starts after OK on both, and DISCONNECT on the page,
or a killed desktop program, ends the match on the other side with a message box while
its game goes on.

The desktop program is the one of the desktop tree beside the page's (see
online_support.py; BRAWLEX_DESKTOP_PROGRAM names another), run with the desktop tests'
harness; every process is stopped by its own id."""

import os
import signal
import sys
import time
import unittest

from online_support import Relay, desktop_program, enter, hit_points_red, host_room
from web_harness import P1_KEYS as PAGE_KEYS
from web_harness import Page, poll

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "desktop"))
from desktop_harness import DesktopGame  # noqa: E402 (it finds the shared harness)
from scenario_support import P1_KEYS, RED, colour_count, half, wait_settled  # noqa: E402


class PageAgainstDesktopTest(unittest.TestCase):
    def setUp(self):
        program = desktop_program()
        tree = os.path.dirname(os.path.dirname(program))
        os.environ.setdefault("BRAWLEX_GAME_DIR", os.path.dirname(program))
        os.environ.setdefault("BRAWLEX_E2E_ARTIFACTS", os.path.join(tree, "e2e", "artifacts"))
        self.relay = Relay()
        self.addCleanup(self.relay.stop)
        self.page = Page()
        self.addCleanup(self.page.stop)
        self.page.start()
        self.page.open()
        self.page.wait_settled()
        self.desktop = DesktopGame(program=program, window_manager=True)
        self.addCleanup(self.desktop.stop)

    def meet(self):
        """The page hosts, the desktop program joins; returns its play area."""
        code, _ = host_room(self.page, self.relay)
        self.desktop.start(autoexec=f"JOIN {self.relay.address} {code}\n")
        area = self.desktop.main_window()["area"]
        wait_settled(self.desktop, area, timeout=40)
        time.sleep(1)  # the match's new game: the fighters fall and stand again
        self.page.wait_settled()
        # The desktop player plays the second fighter with his first row of keys.
        self.desktop.focus()
        self.desktop.hold(P1_KEYS["left"])
        try:
            poll(lambda: self.page.canvas(self.page.standing_box(1))["lit"] < 100, 20,
                 what="the second fighter to walk away on the page")
        finally:
            self.desktop.release(P1_KEYS["left"])
        return area

    def test_keys_console_change_and_kill_reach_both_and_disconnect_ends_it(self):
        page, desktop = self.page, self.desktop
        area = self.meet()

        # Entered on the page, in force on both once its console closes: the desktop
        # player's fighter is left with one hit point, written in red.
        enter(page, "set hp 2 1")
        poll(lambda: hit_points_red(page, 1), 20, what="one red hit point on the page")
        poll(lambda: colour_count(desktop.screenshot(), half(area, 1), RED) > 0, 20,
             interval=0.3, what="one red hit point on the desktop")

        # The page player's shot kills him on both machines.
        page.hold(PAGE_KEYS["attack"])
        try:
            page_box = page.wait_for_message_box(timeout=40)
            desktop_box = desktop.message_box(timeout=30)
        finally:
            page.release(PAGE_KEYS["attack"])
        self.assertIn("Player 2", page_box["text"])
        self.assertEqual((desktop_box["caption"], desktop_box["text"]),
                         (page_box["caption"], page_box["text"]))
        desktop.dismiss(desktop_box)
        page.click_ok()
        page.wait_settled()  # the next game, once both said OK

        enter(page, "disconnect")
        box = desktop.message_box(timeout=30)
        self.assertEqual((box["caption"], box["text"]),
                         ("Online match", "The other player left the match."))
        desktop.dismiss(box)
        self.assertTrue(desktop.running())

    def test_a_killed_desktop_program_ends_the_match_on_the_page(self):
        page = self.page
        self.meet()
        # Killed outright, it says no goodbye: the page hears nothing more from it.
        os.kill(self.desktop.process.pid, signal.SIGKILL)
        self.desktop.process.wait(timeout=10)
        box = page.wait_for_message_box(timeout=40)
        self.assertEqual(box["caption"], "Online match")
        self.assertIn("ten seconds", box["text"])
        page.click_ok()
        frames = page.frames()
        poll(lambda: page.frames() > frames + 50, 10, what="the page's game to go on")


if __name__ == "__main__":
    unittest.main()
