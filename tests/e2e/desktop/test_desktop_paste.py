"""Pasting into the desktop program's console: Ctrl+V and Shift+Insert put the first
line of the clipboard (the X CLIPBOARD selection, served by xclip) into the input line,
as the Windows program's edit box takes it."""

import subprocess
import unittest

from desktop_harness import DesktopTestCase, poll


class PasteTest(DesktopTestCase):
    def set_clipboard(self, text):
        """Owns the CLIPBOARD selection with `text` until the test ends."""
        xclip = subprocess.Popen(["xclip", "-selection", "clipboard", "-quiet", "-i"],
                                 env=self.game.environment(), stdin=subprocess.PIPE,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self._stop, xclip)
        xclip.stdin.write(text.encode("utf-8"))
        xclip.stdin.close()

    @staticmethod
    def _stop(process):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def input_shows(self, expected, what):
        seen = []

        def shows():
            seen[:] = [self.game.console().input()]
            return seen[0] == expected
        try:
            poll(shows, 10, what=f"{what}: {expected!r}")
        except AssertionError as error:
            raise AssertionError(f"{error}; the input shows {seen[0]!r}") from None

    def test_ctrl_v_and_shift_insert_paste_the_first_line_of_the_clipboard(self):
        self.game.start(autoexec="ECHO ready\n")
        self.set_clipboard("echo pasted\r\nECHO second line\n")
        self.game.open_console()
        self.game.xdotool("key", "ctrl+v")
        self.input_shows("echo pasted", "after Ctrl+V")
        self.game.press("Return", seconds=0.05)
        poll(lambda: self.game.console().output_rows(1) == ["'PASTED"], 10,
             what="the pasted line run")
        self.game.type_text("x ")
        self.game.xdotool("key", "shift+Insert")
        self.input_shows("x echo pasted", "after Shift+Insert")


if __name__ == "__main__":
    unittest.main()
