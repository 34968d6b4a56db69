"""The Windows program's sound under Wine. Wine plays waveOut through ALSA; this
machine has no sound card, so an ALSA configuration of the test's own (in a HOME of
its own) gives Wine one device that writes what it plays to a file. There a shot
must be heard, with nothing before it, and the death that follows must play out
while its message box waits, with nothing new after it. Without that configuration
Wine has no audio device at all, as in every other end-to-end test, which all run
the game silently as before."""

import array
import os
import shutil
import tempfile

from brawlex_harness import Game, GameTestCase, poll

RATE = 44100
FRAME_BYTES = 4  # 16-bit stereo, the format the game opens
ASOUNDRC = """pcm.!default {{
    type file
    slave.pcm "null"
    file "{recording}"
    format "raw"
}}
"""


class RecordingGame(Game):
    def __init__(self, home):
        super().__init__()
        self.home = home

    def environment(self):
        env = super().environment()
        env["HOME"] = self.home  # ALSA reads ~/.asoundrc
        return env


def bursts(samples, quiet_ms=200, loud=500):
    """(start, end) in seconds of the stretches of sound, 10 ms at a time."""
    step = RATE // 100 * 2
    found, start, last = [], None, None
    for i in range(0, len(samples), step):
        if max(abs(s) for s in samples[i:i + step]) > loud:
            t = i / 2 / RATE
            if start is None or t - last > quiet_ms / 1000:
                if start is not None:
                    found.append((start, last))
                start = t
            last = t + 0.01
    if start is not None:
        found.append((start, last))
    return found


class SoundTest(GameTestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="brawlex-sound-home-")
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        self.recording = os.path.join(self.home, "played.raw")
        with open(os.path.join(self.home, ".asoundrc"), "w") as rc:
            rc.write(ASOUNDRC.format(recording=self.recording))
        super().setUp()  # the report and the stop after the test
        self.game = RecordingGame(self.home)

    def recorded(self):
        return os.path.getsize(self.recording) if os.path.exists(self.recording) else 0

    def test_a_shot_is_heard_and_the_death_plays_out_under_its_box(self):
        # Player 2 dies of one body shot.
        self.game.start(autoexec="SET MAXHP 2 2\n")
        self.game.main_window()
        self.game.focus()
        poll(lambda: self.recorded() > RATE * FRAME_BYTES, 30, what="a second recorded")
        before = self.recorded()

        self.game.press("g", seconds=0.1)  # one shot (the next would come 18 frames later)
        box = self.game.message_box(caption="Game Over", timeout=30)
        at_box = self.recorded()
        # The device is fed while the box waits: a second and more, without a gap.
        poll(lambda: self.recorded() > at_box + int(1.5 * RATE) * FRAME_BYTES, 30,
             what="sound recorded while the box is open")
        self.game.click(box, 1)
        poll(lambda: len(self.game.windows(visible=True, exe=self.game.exe)) == 1, 20,
             what="the box to close")
        self.assertTrue(self.game.running())

        samples = array.array("h")
        with open(self.recording, "rb") as played:
            data = played.read()
        samples.frombytes(data[:len(data) // 2 * 2])
        quiet = samples[:before // 2]
        self.assertEqual(max(map(abs, quiet), default=0), 0, "sound before the shot")
        heard = bursts(samples[before // 2:at_box // 2 + int(1.5 * RATE) * 2])
        # The shot, then (the bullet crosses the screen) the hit with the death after it.
        self.assertEqual(len(heard), 2, heard)
        shot, death = heard
        self.assertLess(shot[1] - shot[0], 0.3)
        self.assertGreater(death[1] - death[0], 0.3)
        after_shot = samples[before // 2:]
        self.assertLess(max(map(abs, after_shot)), 32767)
        # Player 1's shot sounds louder on the left.
        start = before // 2 + int(shot[0] * RATE) * 2
        end = before // 2 + int(shot[1] * RATE) * 2
        self.assertGreater(max(map(abs, samples[start:end:2])),
                           max(map(abs, samples[start + 1:end:2])))
