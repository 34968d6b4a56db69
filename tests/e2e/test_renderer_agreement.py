"""The GDI half of the renderer agreement check: renderer_agreement.exe draws the test
scene with the GDI renderer under Wine and writes the window's pixels. The picture is
kept in the build's renderer-agreement folder, and the native tree's
renderer_agreement_software compares it with the software renderer's drawing of the
same scene at once, so the comparison is always with the picture this run made."""

import os
import shutil
import struct
import subprocess
import unittest

from brawlex_harness import Game, game_dir

EXE = "renderer_agreement.exe"
SCENE_WIDTH, SCENE_HEIGHT = 160, 120


def agreement_dir():
    return os.path.join(os.path.dirname(os.path.abspath(game_dir())), "renderer-agreement")


def read_bmp_24(path):
    """(width, height, set of distinct pixel values) of a 24-bit bottom-up BMP."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    bits, = struct.unpack_from("<H", data, 28)
    assert bits == 24, bits
    row = (width * 3 + 3) & ~3
    colours = {data[offset + y * row + x * 3: offset + y * row + x * 3 + 3]
               for y in range(height) for x in range(width)}
    return width, height, colours


class RendererAgreementTest(unittest.TestCase):
    def test_gdi_renderer_draws_the_scene(self):
        folder = agreement_dir()
        output = os.path.join(folder, "gdi-scene.bmp")
        if os.path.exists(output):
            os.remove(output)
        game = Game(program=os.path.join(folder, EXE))
        self.addCleanup(game.stop)
        game.start(files=())
        self.assertEqual(game.wait_exit(timeout=60), 0, game.log())
        shutil.copy(os.path.join(game.folder, "gdi-scene.bmp"), output)

        width, height, colours = read_bmp_24(output)
        self.assertEqual((width, height), (SCENE_WIDTH, SCENE_HEIGHT))
        # Sprites, grey lines, coloured lines and white pixels on black: a window that
        # was never drawn into would be one or two colours.
        self.assertGreater(len(colours), 20)

        # The native half: the software renderer draws the same scene and must match
        # this picture pixel for pixel. The native tree sits beside the Windows tree
        # (scripts/test builds it first); without it the check fails.
        native_check = os.path.join(os.path.dirname(os.path.abspath(os.path.join(folder, ".."))),
                                    "native", "renderer_agreement_software")
        self.assertTrue(os.path.exists(native_check),
                        f"no {native_check}: build the native tree (cmake --preset native)")
        result = subprocess.run([native_check],
                                env=dict(os.environ, BRAWLEX_GDI_SCENE=output),
                                stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                timeout=300)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotIn("[  SKIPPED ]", result.stdout, result.stdout)


if __name__ == "__main__":
    unittest.main()
