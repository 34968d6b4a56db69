"""Runs the real desktop program (build/desktop/game/brawlex) natively on a private
virtual X display, for the tests under a real window manager (openbox, which frames the
window with a title bar and borders as a player's desktop does), in the style of the Windows
program's harness (../brawlex_harness.py, whose display, screenshots and waits it
shares): a fresh folder with the scenario's files, real key presses (xdotool),
screenshots, and the message boxes read from the line the program writes to standard
error for each one:

    brawlex: message box: caption=<caption> text=<text>

    with DesktopGame() as game:
        game.start(config="BIND 1 JUMP W\\n")
        window = game.main_window()
        ...
        game.close()
        assert game.wait_exit() == 0

The console is read off the screen: its rows are drawn with the game's 5 x 7 font at
twice its size at fixed places (ConsoleReader), so the tests read what a player reads.

Paths come from the environment CTest sets (cmake/DesktopEndToEnd.cmake):
BRAWLEX_DESKTOP_PROGRAM, BRAWLEX_GAME_DIR, BRAWLEX_E2E_ARTIFACTS.
"""

import functools
import os
import re
import shutil
import subprocess
import sys
import tempfile

_HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(_HERE))

from brawlex_harness import (DATA_FILES, GameTestCase, HarnessError,  # noqa: E402
                             VirtualDisplay, XKeysAndScreen, _kill_group, poll)
import x11_window  # noqa: E402

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(_HERE)))
_DEFAULT_BUILD = os.path.join(_SOURCE_DIR, "build", "desktop")
TITLE = "Brawlex!"
BOX_LINE = re.compile(r"^brawlex: message box: caption=(.*?) text=(.*)$")


def _unescape(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r"}.get(m.group(1), m.group(1)), text)


def game_dir():
    return os.environ.get("BRAWLEX_GAME_DIR") or os.path.join(_DEFAULT_BUILD, "game")


def program_path():
    return os.environ.get("BRAWLEX_DESKTOP_PROGRAM") or os.path.join(game_dir(), "brawlex")


def artifacts_dir():
    return os.environ.get("BRAWLEX_E2E_ARTIFACTS") or os.path.join(_DEFAULT_BUILD, "e2e",
                                                                   "artifacts")


class WindowManager:
    """openbox on a display, with the configuration it ships with (none of the user's),
    until stop(), which ends it by its own process id."""

    def __init__(self, display_name, timeout=20.0):
        self.display_name = display_name
        self._config = tempfile.mkdtemp(prefix="brawlex-desktop-wm-")
        env = dict(os.environ, DISPLAY=display_name, XDG_CONFIG_HOME=self._config,
                   XDG_CACHE_HOME=self._config)
        try:
            self.process = subprocess.Popen(
                ["openbox", "--sm-disable"], env=env, stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
            poll(self.managing, timeout, interval=0.1, what="openbox to manage the display")
        except BaseException:
            self.stop()
            raise

    def managing(self):
        """True once the window manager has started: it announces itself on the root
        window before it has looked at the windows already there, and a window mapped in
        between goes unmanaged; the work area it publishes last."""
        if self.process.poll() is not None:
            raise HarnessError(f"openbox exited with {self.process.returncode}")
        return ("window id #" in root_property(self.display_name, "_NET_SUPPORTING_WM_CHECK")
                and work_area(self.display_name) is not None)

    def stop(self):
        _kill_group(getattr(self, "process", None))
        self.process = None
        shutil.rmtree(self._config, ignore_errors=True)


def root_property(display_name, name):
    """xprop's line for a property of the root window ("" where it cannot be read)."""
    result = subprocess.run(["xprop", "-root", name], env=dict(os.environ, DISPLAY=display_name),
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=10)
    return result.stdout.decode("latin-1")


def work_area(display_name):
    """The work area the window manager publishes, [x, y, width, height], or None."""
    numbers = re.findall(r"\d+", root_property(display_name, "_NET_WORKAREA").split("=", 1)[-1])
    return [int(n) for n in numbers[:4]] if len(numbers) >= 4 else None


class DesktopGame(XKeysAndScreen):
    """One run of the desktop program on its own virtual display: a bare X server (the
    window has no frame), or with window_manager under openbox, and with a panel
    reserving the edges of the screen that panel names ({"bottom": 40, ...}, as
    x11_window.Panel takes them). stop() (also run by the context manager) ends the
    game, the panel, the window manager and Xvfb and removes the folder. The tests run
    under the window manager (DesktopTestCase); the scripts that measure or show the
    game (scripts/bench-desktop, scripts/play) on the bare server, like the Windows
    program's."""

    def __init__(self, program=None, screen=(1024, 768), window_manager=False, panel=None):
        self.program = program or program_path()
        self.screen = screen
        self.use_window_manager = window_manager
        self.panel_struts = panel
        self.folder = None
        self.display = None
        self.window_manager = None
        self.panel = None
        self._focus_sink = None
        self.process = None
        self.exit_code = None
        self._stderr = None
        self._boxes_seen = 0

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    # ----- lifetime -------------------------------------------------------------
    def prepare_folder(self, files=DATA_FILES, config=None, autoexec=None, extra=None):
        """The working folder: the named data files of the build, then config.cfg,
        autoexec.cfg and extra {name: text or bytes} written over them (None leaves a
        script out unless files names it)."""
        self.folder = tempfile.mkdtemp(prefix="brawlex-desktop-e2e-")
        for name in files:
            shutil.copy(os.path.join(game_dir(), name), os.path.join(self.folder, name))
        written = dict(extra or {})
        if config is not None:
            written["config.cfg"] = config
        if autoexec is not None:
            written["autoexec.cfg"] = autoexec
        for name, content in written.items():
            if isinstance(content, str):
                content = content.encode("latin-1")
            with open(os.path.join(self.folder, name), "wb") as out:
                out.write(content)
        return self.folder

    def start(self, files=DATA_FILES, config=None, autoexec=None, extra=None, display=True,
              env=None, before_game=None):
        """Starts the game in a fresh folder and returns at once. display=False runs it
        with no X server to talk to. before_game(display name) runs once the display,
        its window manager and panel are up, before the game starts."""
        try:
            if self.folder is None:
                self.prepare_folder(files, config, autoexec, extra)
            if display:
                self.display = VirtualDisplay(*self.screen)
                poll(self._display_answers, 20, interval=0.1, what="the X server to answer")
                if self.use_window_manager:
                    self.window_manager = WindowManager(self.display.name)
                if self.panel_struts:
                    self._add_panel()
                if before_game is not None:
                    before_game(self.display.name)
            self._stderr = open(os.path.join(self.folder, ".stderr"), "wb")
            environment = self.environment()
            environment.update(env or {})
            self.process = subprocess.Popen(
                [self.program], cwd=self.folder, env=environment, stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=self._stderr, start_new_session=True)
        except BaseException:
            self.stop()
            raise
        return self

    def _add_panel(self):
        struts = self.panel_struts
        self.panel = x11_window.Panel(self.display.name, self.screen, struts)
        width, height = self.screen
        left, right = struts.get("left", 0), struts.get("right", 0)
        top, bottom = struts.get("top", 0), struts.get("bottom", 0)
        expected = [left, top, width - left - right, height - top - bottom]
        # The window manager takes the panel out of the work area it publishes.
        poll(lambda: work_area(self.display.name) == expected, 20, interval=0.1,
             what=f"the work area {expected}")

    def _display_answers(self):
        """True once a client can connect to the virtual display and talk to it."""
        return subprocess.run(["xdpyinfo"], env=self.environment(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=10).returncode == 0

    def environment(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        if self.display is not None:
            env["DISPLAY"] = self.display.name
        # No sound device is needed, nor looked for on a test machine.
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        return env

    def stop(self):
        if self.process is not None:
            if self.process.poll() is None:
                _kill_group(self.process)
            else:
                # Anything the game left behind in its group goes too.
                try:
                    os.killpg(self.process.pid, 9)
                except (ProcessLookupError, PermissionError):
                    pass
            if self.exit_code is None:
                self.exit_code = self.process.returncode
        for connection in (self.panel, self._focus_sink):
            if connection is not None:
                connection.close()
        self.panel = self._focus_sink = None
        if self.window_manager is not None:
            self.window_manager.stop()
            self.window_manager = None
        if self.display is not None:
            self.display.stop()
            self.display = None
        if self._stderr is not None:
            self._stderr.close()
            self._stderr = None
        if self.folder is not None:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout=20.0):
        try:
            self.exit_code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"the game did not exit within {timeout:g} s") from None
        return self.exit_code

    def group_gone(self):
        """True when no process of the game's process group is left."""
        try:
            os.killpg(self.process.pid, 0)
            return False
        except ProcessLookupError:
            return True

    def log(self):
        if self.folder is None:
            return ""
        try:
            with open(os.path.join(self.folder, ".stderr"), "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return ""

    def cpu_ticks(self):
        """User plus system CPU time of the game so far, in clock ticks."""
        with open(f"/proc/{self.process.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    # ----- windows --------------------------------------------------------------
    def xdotool(self, *args, timeout=10.0, check=True):
        try:
            result = subprocess.run(["xdotool"] + [str(a) for a in args],
                                    env=self.environment(), stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"xdotool {args} did not return") from None
        if check and result.returncode != 0:
            raise HarnessError(f"xdotool {args} failed: {result.stderr.decode().strip()}")
        return result.stdout.decode()

    def find_windows(self, title, visible=True):
        args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", f"^{re.escape(title)}$"]
        return self.xdotool(*args, check=False).split()

    def windows_named(self, name):
        """Ids of the X windows named exactly name, as xwininfo lists them, at any depth
        (a window manager puts each top-level window in a frame of its own). (SDL names
        its message boxes in UTF-8, which this xdotool cannot search.)"""
        out = subprocess.run(["xwininfo", "-root", "-tree"], env=self.environment(),
                             capture_output=True, timeout=10).stdout.decode("utf-8", "replace")
        return [m.group(1) for m in re.finditer(r"^\s*(0x[0-9a-f]+) \"(.*)\":", out, re.M)
                if m.group(2) == name]

    def geometry(self, window):
        """{x, y, width, height} of an X window on the screen: its client area, without
        the frame a window manager gives it. (xwininfo's, as xdotool's counts the
        frame's offset twice for a window in a frame.)"""
        out = subprocess.run(["xwininfo", "-id", str(window)], env=self.environment(),
                             capture_output=True, timeout=10).stdout.decode("latin-1")
        fields = {"x": r"Absolute upper-left X:\s*(-?\d+)",
                  "y": r"Absolute upper-left Y:\s*(-?\d+)",
                  "width": r"Width:\s*(\d+)", "height": r"Height:\s*(\d+)"}
        found = {key: re.search(pattern, out) for key, pattern in fields.items()}
        if not all(found.values()):
            raise HarnessError(f"no geometry for the window {window}")
        return {key: int(match.group(1)) for key, match in found.items()}

    def main_window(self, timeout=60.0):
        """The game window once shown: {id, x, y, width, height, area}, area being the
        client rectangle on the screen [left, top, right, bottom]."""
        ids = poll(lambda: self.find_windows(TITLE), timeout, what="the game window shown")
        window = {"id": ids[0]}
        window.update(self.geometry(ids[0]))
        window["area"] = [window["x"], window["y"], window["x"] + window["width"],
                          window["y"] + window["height"]]
        return window

    def frame_extents(self, window):
        """[left, right, top, bottom] of the window's frame as the window manager says
        (_NET_FRAME_EXTENTS), or None without a frame."""
        line = subprocess.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"],
                              env=self.environment(), capture_output=True,
                              timeout=10).stdout.decode("latin-1")
        numbers = re.findall(r"\d+", line.split("=", 1)[-1]) if "=" in line else []
        return [int(n) for n in numbers] if len(numbers) == 4 else None

    def work_area(self):
        return work_area(self.display.name)

    def xprop(self, window):
        return subprocess.run(["xprop", "-id", str(window)], env=self.environment(),
                              capture_output=True, timeout=10).stdout.decode("latin-1")

    def message_box(self, timeout=30.0):
        """The next message box the game shows: {caption, text, window} once its line
        is written and its window is on the screen."""
        def next_line():
            lines = [m for m in (BOX_LINE.match(line) for line in self.log().splitlines()) if m]
            return lines[self._boxes_seen] if len(lines) > self._boxes_seen else None
        match = poll(next_line, timeout, what="a message box line on standard error")
        self._boxes_seen += 1
        caption, text = _unescape(match.group(1)), _unescape(match.group(2))
        window = poll(lambda: self.windows_named(caption), timeout,
                      what=f"the message box {caption!r} on the screen")[0]
        return {"caption": caption, "text": text, "window": window}

    def dismiss(self, box, key="Return"):
        """Presses Return (OK) in a message box and waits until it is gone."""
        self.xdotool("windowfocus", "--sync", box["window"])
        self.xdotool("key", key)
        poll(lambda: box["window"] not in self.windows_named(box["caption"]), 15,
             what=f"the message box {box['caption']!r} to close")

    def close(self, window=None):
        """The game window's close box."""
        window = window or self.main_window()["id"]
        if not x11_window.request_close(self.display.name, window):
            raise HarnessError("cannot open the display to close the window")

    # ----- keyboard -------------------------------------------------------------
    def focus(self, title=TITLE):
        window = poll(lambda: (self.find_windows(title) or [None])[0], 20,
                      what=f"an X window named {title!r}")
        self.xdotool("windowfocus", "--sync", window)
        return window

    def unfocus(self):
        """Gives the keyboard focus to another window: the game loses it. (Without a
        window manager, the screen's root window; with one, a window of the test's,
        as the manager hands focus given to the root straight back.)"""
        if self.window_manager is None:
            out = subprocess.run(["xwininfo", "-root"], env=self.environment(),
                                 capture_output=True, timeout=10).stdout.decode()
            root = re.search(r"Window id: (0x[0-9a-f]+)", out).group(1)
            self.xdotool("windowfocus", int(root, 16))
            return
        if self._focus_sink is None:
            self._focus_sink = x11_window.FocusSink(self.display.name)
        self.xdotool("windowfocus", "--sync", self._focus_sink.window)

    def artifacts_folder(self):
        return artifacts_dir()

    # ----- the console ----------------------------------------------------------
    def console_open(self, shot=None):
        shot = shot or self.screenshot()
        return ConsoleReader(shot, self.main_window()["area"]).is_open()

    def open_console(self, timeout=20.0):
        """Holds the console key in the game window until the console is drawn, then
        lets go; returns a ConsoleReader of it."""
        self.focus()
        self.hold("grave")
        try:
            poll(lambda: self.console_open(), timeout, interval=0.05, what="the console")
        finally:
            self.release("grave")
        return self.console()

    def console(self):
        return ConsoleReader(self.screenshot(), self.main_window()["area"])


def _read_glyphs():
    """The game's font, read from its source: {rows as a tuple of 7 strings: char}."""
    path = os.path.join(_SOURCE_DIR, "graphics", "bitmap_font.cpp")
    with open(path, encoding="latin-1") as f:
        source = f.read()
    glyphs = {}
    for match in re.finditer(r"\{'(\\.|.)', \{((?:\"[.#]{5}\",? ?){7})\}\}", source):
        char = match.group(1)[-1] if match.group(1).startswith("\\") else match.group(1)
        rows = tuple(re.findall(r"\"([.#]{5})\"", match.group(2)))
        glyphs.setdefault(rows, char)
    return glyphs


class ConsoleReader:
    """The console panel on a screenshot, read with the game's font. The places are
    those config/console_overlay.cpp lays out on a screen of 640 x 400 or more, where
    the font is drawn twice its size: cells of 12 x 16 pixels, the title bar 28 pixels
    high, the input text at (12, 40), output rows from (6, 68) down, 16 pixels apart."""

    SCALE = 2
    CELL_W, CELL_H = 12, 16
    TITLE_COLOUR = (0x28, 0x3C, 0x64)
    INPUT_COLOUR = (0xFF, 0xFF, 0xFF)
    OUTPUT_COLOUR = (0xD8, 0xD8, 0xD8)
    INPUT_AT = (12, 40)
    OUTPUT_AT = (6, 68)
    _glyphs = None

    def __init__(self, shot, area):
        self.shot, self.area = shot, area
        if ConsoleReader._glyphs is None:
            ConsoleReader._glyphs = _read_glyphs()

    def is_open(self):
        left, top = self.area[0], self.area[1]
        return self.shot.pixel(left + 200, top + 2) == self.TITLE_COLOUR

    def _read(self, x, y, colour, columns):
        text = ""
        for column in range(columns):
            cx = self.area[0] + x + column * self.CELL_W
            if cx + self.CELL_W > self.area[2]:
                break
            rows = tuple("".join("#" if self.shot.pixel(cx + c * self.SCALE, y + r * self.SCALE)
                                 == colour else "." for c in range(5)) for r in range(7))
            text += self._glyphs.get(rows, "?")
        return text.rstrip()

    def input(self):
        return self._read(self.INPUT_AT[0], self.area[1] + self.INPUT_AT[1], self.INPUT_COLOUR,
                          70)

    def output_rows(self, count=8):
        return [self._read(self.OUTPUT_AT[0], self.area[1] + self.OUTPUT_AT[1] + i * self.CELL_H,
                           self.OUTPUT_COLOUR, 80) for i in range(count)]


class DesktopTestCase(GameTestCase):
    """A test case with self.game, the desktop program under the window manager, stopped
    after each test whatever happened; on a failure the screen is saved to the artifacts
    folder and the game's output printed."""

    game_class = functools.partial(DesktopGame, window_manager=True)
    output_name = "game output"


def _picture(path):
    """Saves the README's picture of the in-game console: a fight with the console
    open over it, after a few lines typed."""
    with DesktopGame() as game:
        game.start()
        area = game.main_window()["area"]
        from scenario_support import wait_settled
        wait_settled(game, area)
        game.open_console()
        for line in ("set gravity 0.2", "echo Round two!", "help cmd"):
            game.type_text(line)
            game.press("Return")
        game.type_text("bind 1 jump space")
        poll(lambda: game.console().input() == "bind 1 jump space", 10, what="the line typed")
        shot = game.screenshot(save_as="console-desktop.png")
        shutil.copy(shot.path, path)
    print(f"saved {path}")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "picture":
        _picture(os.path.abspath(sys.argv[2]))
    else:
        print("usage: desktop_harness.py picture <out.png>", file=sys.stderr)
        sys.exit(1)
