"""Gamepads in the desktop program. With none plugged in: the program plays on the
keyboard and ends cleanly, also with a broken mapping in SDL_GAMECONTROLLERCONFIG, and
pad key names bound in config.cfg leave the keyboard's players alone. With SDL virtual
controllers plugged in (virtual_pads_preload.cpp, loaded with LD_PRELOAD, as this
machine offers no virtual input device; the layer's reading of the pads is driven
through them by the native tests): the waiting game uses no processor time, and a pad
plugged in while it waits plays once it goes on."""

import errno
import os
import time
import unittest

from desktop_harness import DesktopTestCase, poll  # first: it finds the shared harness
from scenario_support import P1_KEYS, P2_KEYS, assert_walks, half, mean_x, wait_settled

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))
with open(os.path.join(_SOURCE_DIR, "data", "config.cfg"), encoding="latin-1") as shipped:
    SHIPPED_CONFIG = shipped.read()


class DesktopGamepadsTest(DesktopTestCase):
    def close_and_wait(self):
        self.game.close()
        self.assertEqual(self.game.wait_exit(), 0)
        poll(self.game.group_gone, 20, what="every process of the game to end")

    def test_without_a_pad_the_keyboard_plays_and_the_game_ends_cleanly(self):
        # A mapping SDL cannot read is ignored like any other.
        self.game.start(config=SHIPPED_CONFIG, autoexec="",
                        env={"SDL_GAMECONTROLLERCONFIG": "not a mapping,\n,,,"})
        area = self.game.main_window()["area"]
        wait_settled(self.game, area)
        assert_walks(self.game, area, 0, P1_KEYS["right"], +1)
        assert_walks(self.game, area, 1, P2_KEYS["left"], -1)
        self.close_and_wait()

    def test_pad_names_bound_beside_keys_leave_the_keyboard_players_alone(self):
        # Player 1 on pad 1 (none plugged in: he stands still), player 2's jump on pad 2
        # and the rest of his keys on the keyboard.
        config = SHIPPED_CONFIG.replace("// BIND 1 ", "BIND 1 ") + "BIND 2 JUMP PAD2A\n"
        self.game.start(config=config, autoexec="")
        area = self.game.main_window()["area"]
        before = wait_settled(self.game, area)
        self.game.focus()
        self.game.press(P1_KEYS["right"], seconds=0.5)  # his old key: nothing
        after = wait_settled(self.game, area)
        left, top, right, bottom = area
        middle = (left + right) // 2
        self.assertEqual(list(before.region(left, top, middle, bottom, step=2)),
                         list(after.region(left, top, middle, bottom, step=2)))
        assert_walks(self.game, area, 1, P2_KEYS["left"], -1)
        self.close_and_wait()


class PadsWhileWaitingTest(DesktopTestCase):
    # Time waited for each measurement, and the processor time allowed in it: a game
    # that blocks until an event uses next to none; one that polls uses some every
    # millisecond.
    WAIT_SECONDS = 3.0
    ALLOWED_MS = 40

    def waiting_cpu_ms(self):
        ticks = self.game.cpu_ticks()
        time.sleep(self.WAIT_SECONDS)
        return (self.game.cpu_ticks() - ticks) * 1000 // os.sysconf("SC_CLK_TCK")

    def signal_second_pad(self, fifo):
        """Writes the byte that plugs pad 2 in, once the game's end of the pipe is open."""
        def written():
            try:
                fd = os.open(fifo, os.O_WRONLY | os.O_NONBLOCK)
            except OSError as error:
                if error.errno == errno.ENXIO:  # no reader yet
                    return False
                raise
            try:
                return os.write(fd, b"2") == 1
            finally:
                os.close(fd)
        poll(written, 10, interval=0.1, what="the pad plug's pipe to be open")

    def test_with_a_pad_the_waiting_game_sleeps_and_a_pad_plugged_in_meanwhile_plays(self):
        preload = os.environ.get("BRAWLEX_VIRTUAL_PADS")
        self.assertTrue(preload and os.path.exists(preload),
                        "BRAWLEX_VIRTUAL_PADS names the virtual pads library")
        # Player 2 walks left on pad 2's d-pad only.
        folder = self.game.prepare_folder(config=SHIPPED_CONFIG + "BIND 2 LEFT PAD2LEFT\n",
                                          autoexec="")
        fifo = os.path.join(folder, ".second-pad")
        os.mkfifo(fifo)
        self.game.start(env={"LD_PRELOAD": preload, "BRAWLEX_TEST_PAD_FIFO": fifo,
                             # in a sanitized tree the library comes before the runtime
                             "ASAN_OPTIONS": "verify_asan_link_order=0"})
        area = self.game.main_window()["area"]
        wait_settled(self.game, area)
        poll(lambda: "virtual pad 1 plugged in" in self.game.log(), 10, what="pad 1")

        used = {}
        # The console waits for the next key.
        self.game.open_console()
        used["console"] = self.waiting_cpu_ms()
        self.game.press("Escape", seconds=0.05)
        poll(lambda: not self.game.console_open(), 10, what="the console to close")
        # Without the focus the game waits for it to come back; pad 2 comes meanwhile.
        self.game.unfocus()
        time.sleep(0.3)  # the focus change reaches the game
        used["no focus"] = self.waiting_cpu_ms()
        start = mean_x(self.game.screenshot(), half(area, 1))
        self.signal_second_pad(fifo)
        poll(lambda: "virtual pad 2 plugged in" in self.game.log(), 10, what="pad 2")
        print(f"\nprocessor time in {self.WAIT_SECONDS:g} s of waiting with a pad plugged "
              f"in: {used}", flush=True)
        for wait, milliseconds in used.items():
            self.assertLess(milliseconds, self.ALLOWED_MS, f"processor time waiting ({wait})")

        self.game.focus()
        poll(lambda: start - mean_x(self.game.screenshot(), half(area, 1)) > 40, 15,
             what="player 2 to walk left on the pad plugged in while the game waited")


if __name__ == "__main__":
    unittest.main()
