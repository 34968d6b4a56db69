"""No GDI object leaks while the game is played: brawlex_bench.exe (the game with
frame statistics) counts the live GDI objects of its process after its first frame,
once a second and after its last frame, and writes the counts to frame-stats.txt.
Player 1 walks both ways, aims up and down, shoots all along and keeps charging and
striking with the sword and throwing the hook, so every kind of drawing runs.

scripts/bench-gdi runs the same play for longer and prints the counts."""

import os
import time
import unittest

from brawlex_harness import DIALOG_CLASS, Game, HarnessError, GameTestCase, game_dir

# Nobody dies: a death's message box would stop the play until someone answers it.
UNDYING = "SET MAXHP 1 100000\nSET MAXHP 2 100000\n"
PLAY_SECONDS = 20


def bench_program():
    """brawlex_bench.exe of the same build as the game folder."""
    return os.environ.get("BRAWLEX_BENCH_PROGRAM") or os.path.join(
        os.path.dirname(game_dir()), "bench", "brawlex_bench.exe")


def play(game, seconds):
    """Plays player 1 with the default keys for about seconds: G (gun) held all
    along; in turns D or A (walk) with W or S (aim) held while J (sword) and then H
    (hook) are each held and let go of."""
    game.focus()
    game.hold("g")
    try:
        deadline = time.monotonic() + seconds
        turn = 0
        while time.monotonic() < deadline:
            walk = "d" if turn % 2 == 0 else "a"
            aim = "w" if turn % 4 < 2 else "s"
            game.hold(walk, aim)
            try:
                game.press("j", seconds=0.4)  # charge the sword, strike on letting go
                game.press("h", seconds=0.4)  # charge the hook, throw on letting go
                time.sleep(0.4)
            finally:
                game.release(walk, aim)
            if game.windows(DIALOG_CLASS, exe=game.exe):
                raise HarnessError("a dialog of the game showed during play")
            turn += 1
    finally:
        game.release("g")


def frame_stats(game):
    """Closes the game as its close box does and returns frame-stats.txt as
    {name: value text}."""
    game.close()
    code = game.wait_exit(timeout=30)
    text = game.read_file("frame-stats.txt")
    if code != 0 or text is None:
        raise HarnessError(f"no frame statistics (exit code {code})")
    return dict(line.split(" ", 1) for line in text.decode().splitlines() if " " in line)


def run(seconds, game=None):
    """Starts brawlex_bench.exe, plays for seconds and returns its statistics."""
    owned = game is None
    game = game or Game(program=bench_program(), source_dir=game_dir())
    try:
        game.start(autoexec=UNDYING)
        game.main_window(timeout=120)
        play(game, seconds)
        return frame_stats(game)
    finally:
        if owned:
            game.stop()


class GdiObjectsTest(GameTestCase):
    def setUp(self):
        self.assertTrue(os.path.exists(bench_program()), f"{bench_program()} is not built")
        super().setUp()
        self.game = Game(program=bench_program(), source_dir=game_dir())

    def test_the_count_of_gdi_objects_stays_flat_through_play(self):
        stats = run(PLAY_SECONDS, self.game)
        # Windows counts with GetGuiResources, Wine (where that call is a stub) through
        # its handle table; no count means the counter no longer understands the
        # platform, and that is a fault of the test tool, not a reason to pass.
        self.assertNotEqual(stats.get("gdi_count_source", "none"), "none",
                            f"the GDI objects could not be counted: {stats}")
        counts = {name: int(stats[name]) for name in (
            "frames", "gdi_objects_first_frame", "gdi_objects_min", "gdi_objects_max",
            "gdi_objects_end", "gdi_objects_samples")}
        # Played for a while: many frames, a count taken about once a second.
        self.assertGreater(counts["frames"], 100 * 5, stats)
        self.assertGreater(counts["gdi_objects_samples"], 5, stats)
        # Between frames the game holds the same objects from the first frame to
        # the last; a leak of one object per frame or per draw would add thousands.
        for name in ("gdi_objects_min", "gdi_objects_max", "gdi_objects_end"):
            self.assertEqual(counts[name], counts["gdi_objects_first_frame"],
                             f"{name}: {stats}")


if __name__ == "__main__":
    unittest.main()
