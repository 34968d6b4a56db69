"""The desktop program's sound, end to end: the real program on a private Xvfb
display, driven by real key presses. SDL's disk audio driver stands in for a sound
card and writes what the program plays to a file, where a shot must be heard (and
nothing before it); a device that fails (its file refusing every write, as a device
pulled out does) is replaced by a new one at the next sound; with no audio driver at
all the program plays silently, as before, with no message.

The program and its data come from BRAWLEX_DESKTOP_PROGRAM and BRAWLEX_GAME_DIR
(set by CTest, see cmake/DesktopEndToEnd.cmake).
"""

import array
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from brawlex_harness import DATA_FILES, HarnessError, VirtualDisplay, _kill_group, poll  # noqa: E402

_BUILD = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "build",
                      "desktop", "game")
GAME_DIR = os.environ.get("BRAWLEX_GAME_DIR") or _BUILD
PROGRAM = os.environ.get("BRAWLEX_DESKTOP_PROGRAM") or os.path.join(GAME_DIR, "brawlex")
RATE = 44100
FRAME_BYTES = 4  # 16-bit stereo
ATTACK_1 = "g"   # player 1's ATTACK in the shipped config.cfg


def peak(samples):
    return max((abs(s) for s in samples), default=0)


class DesktopSoundTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="brawlex-sound-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        for name in DATA_FILES:
            shutil.copy2(os.path.join(GAME_DIR, name), self.folder)
        shutil.copy2(PROGRAM, os.path.join(self.folder, "brawlex"))
        self.display = VirtualDisplay()
        self.addCleanup(self.display.stop)
        self.game = None
        self.log = open(os.path.join(self.folder, "program.log"), "wb")
        self.addCleanup(self.log.close)
        self.addCleanup(lambda: _kill_group(self.game))

    def poll(self, check, timeout, what):
        """poll(), printing what the program printed when the wait runs out."""
        try:
            return poll(check, timeout, what=what)
        except HarnessError:
            self.log.flush()
            with open(self.log.name, "rb") as printed:
                sys.stderr.write(printed.read().decode(errors="replace"))
            raise

    def start(self, **audio_environment):
        env = dict(os.environ, DISPLAY=self.display.name, **audio_environment)
        self.env = env
        self.game = subprocess.Popen([os.path.join(self.folder, "brawlex")], cwd=self.folder,
                                     env=env, stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT, start_new_session=True)

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=20)
        if result.returncode != 0:
            raise HarnessError(f"xdotool {args}: {result.stderr.decode().strip()}")
        return result.stdout.decode().split()

    def windows(self):
        try:
            return self.xdotool("search", "--onlyvisible", "--pid", str(self.game.pid), "--name", ".")
        except HarnessError:  # none yet
            return []

    def focus_game(self):
        # The loading window may carry the same title and go away under us: look
        # again until the focus holds.
        def focused():
            try:
                found = self.xdotool("search", "--onlyvisible", "--name", "^Brawlex!$")
                if not found:
                    return None
                self.xdotool("windowfocus", "--sync", found[-1])
                return found[-1]
            except HarnessError:
                return None
        return self.poll(focused, 60, what="the game window, focused")

    def shoot(self):
        self.xdotool("keydown", ATTACK_1)
        time.sleep(0.1)  # a few frames: one shot (the next comes 18 frames later)
        self.xdotool("keyup", ATTACK_1)

    def close_game(self):
        # SDL turns SIGTERM into its quit event: the program shuts down as from its
        # close box (stopping the sound on the way) and exits with 0.
        self.game.send_signal(signal.SIGTERM)
        self.assertEqual(self.game.wait(20), 0)

    def test_a_shot_is_heard_and_nothing_before_it(self):
        recording = os.path.join(self.folder, "played.raw")
        self.start(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=recording)
        self.focus_game()
        self.poll(lambda: os.path.exists(recording) and os.path.getsize(recording) > RATE * FRAME_BYTES,
                  60, what="a second of recorded sound")
        before = os.path.getsize(recording)
        self.shoot()
        self.poll(lambda: os.path.getsize(recording) > before + RATE * FRAME_BYTES, 60,
                  what="a second recorded after the shot")
        self.close_game()

        samples = array.array("h")
        with open(recording, "rb") as played:
            samples.frombytes(played.read())
        quiet, after = samples[:before // 2], samples[before // 2:]
        self.assertEqual(peak(quiet), 0, "sound before anything happened")
        # The shot at volume 70: well above the noise floor, below full scale.
        self.assertGreater(peak(after), 2000)
        self.assertLess(peak(after), 32767)
        # Player 1 is heard more on the left.
        self.assertGreater(peak(after[0::2]), peak(after[1::2]))

    def test_a_device_that_goes_away_is_replaced_at_the_next_sound(self):
        # The disk driver's file is first /dev/full: its first writes fail and SDL
        # drops the device as gone. Then the name is freed, so that the device
        # opened in its place writes a file of its own, where the shot must be.
        recording = os.path.join(self.folder, "played.raw")
        os.symlink("/dev/full", recording)
        self.start(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=recording)
        self.focus_game()
        time.sleep(1)  # the lost device's few writes
        os.unlink(recording)
        self.shoot()
        self.poll(lambda: os.path.exists(recording) and os.path.getsize(recording) > RATE * FRAME_BYTES,
                  60, what="a second recorded by the new device")
        self.close_game()
        samples = array.array("h")
        with open(recording, "rb") as played:
            samples.frombytes(played.read())
        self.assertGreater(peak(samples), 2000, "the shot heard on the new device")

    def test_without_an_audio_device_the_game_plays_silently(self):
        self.start(SDL_AUDIODRIVER="no-such-driver")
        window = self.focus_game()
        self.shoot()
        self.xdotool("keydown", "d")  # walk, then look again
        time.sleep(0.5)
        self.xdotool("keyup", "d")
        self.assertIsNone(self.game.poll(), "the game ended")
        self.assertEqual(self.windows(), [window], "a window besides the game's (a message?)")
        self.close_game()


if __name__ == "__main__":
    unittest.main()
