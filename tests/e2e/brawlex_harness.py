"""Runs the real brawlex.exe under Wine on a private virtual X display.

A test makes a Game, starts it in a fresh temporary folder with the data files it
chooses, and looks at it the way a player would: the windows on the desktop (read by
the probe program), key presses (xdotool), screenshots (ImageMagick). Every wait polls
with a deadline, and stop() ends everything the Game started, also after a failure.

    with Game() as game:
        game.start(config="BIND 1 JUMP W\\n")
        main = game.wait_for_window(cls=MAIN_CLASS, visible=True)
        game.hold("w"); ...; game.release("w")
        shot = game.screenshot()
        game.close()
        assert game.wait_exit() == 0

The paths come from the environment that CTest sets (see cmake/EndToEnd.cmake):
BRAWLEX_GAME_DIR, BRAWLEX_PROBE, BRAWLEX_WINEPREFIX, BRAWLEX_E2E_ARTIFACTS. Run as
`python3 brawlex_harness.py prepare` it makes the Wine prefix.
"""

import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

MAIN_CLASS = "Dorvo's Class"
MAIN_TITLE = "Brawlex!"
DIALOG_CLASS = "#32770"
SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768

# Window styles, for checking the probe's reports.
WS_VISIBLE = 0x10000000
WS_CLIPSIBLINGS = 0x04000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_EX_APPWINDOW = 0x00040000

# The data files the build puts beside the program.
DATA_FILES = ("hero.bmp", "gun.bmp", "sword.bmp", "config.cfg", "autoexec.cfg",
              "cmdlist.txt", "varlist.txt")
PICTURES = ("hero.bmp", "gun.bmp", "sword.bmp")

_HERE = os.path.dirname(os.path.abspath(__file__))
_SOURCE_DIR = os.path.dirname(os.path.dirname(_HERE))
_DEFAULT_BUILD = os.path.join(_SOURCE_DIR, "build", "windows")


class HarnessError(AssertionError):
    """A wait ran out or a tool failed; reported as a test failure."""


def _setting(name, default):
    return os.environ.get(name) or default


def game_dir():
    return _setting("BRAWLEX_GAME_DIR", os.path.join(_DEFAULT_BUILD, "game"))


def probe_path():
    return _setting("BRAWLEX_PROBE", os.path.join(_DEFAULT_BUILD, "e2e", "brawlex_probe.exe"))


def wine_prefix():
    return _setting("BRAWLEX_WINEPREFIX", os.path.join(_DEFAULT_BUILD, "wineprefix"))


def artifacts_dir():
    return _setting("BRAWLEX_E2E_ARTIFACTS", os.path.join(_DEFAULT_BUILD, "e2e", "artifacts"))


def poll(condition, timeout, interval=0.2, what="condition"):
    """Calls condition() until it returns something truthy, which is returned.

    Raises HarnessError when timeout seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def _kill_group(process, timeout=5.0):
    """Ends a process started in its own session, and its children."""
    if process is None or process.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except (ProcessLookupError, PermissionError):
            pass
        try:
            process.wait(timeout)
            return
        except subprocess.TimeoutExpired:
            continue


class VirtualDisplay:
    """An Xvfb server on a free display number, chosen by the server itself."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT, timeout=20.0):
        self.width, self.height = width, height
        self.process = None
        self.name = None
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{width}x{height}x24", "-nolisten", "tcp",
                 # A white root: the black of the game stands out from the screen.
                 "-wr",
                 # No server reset when the last client leaves (a screenshot, xdotool):
                 # while it resets it refuses connections, and a program starting then
                 # finds no display.
                 "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + timeout
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_end], [], [], left)[0]:
                    raise HarnessError("Xvfb did not start")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise HarnessError("Xvfb exited at start")
                number += chunk
            self.name = ":" + number.decode().strip()
        except BaseException:
            self.stop()
            raise
        finally:
            if write_end is not None:
                os.close(write_end)
            os.close(read_end)

    def stop(self):
        _kill_group(self.process)
        self.process = None


class Image:
    """A screenshot: width, height and 8-bit RGB pixels."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @classmethod
    def from_ppm(cls, blob):
        # P6 header: magic, width, height, maxval, each separated by whitespace.
        fields = []
        position = 0
        while len(fields) < 4:
            while blob[position:position + 1].isspace():
                position += 1
            if blob[position:position + 1] == b"#":
                position = blob.index(b"\n", position)
                continue
            start = position
            while not blob[position:position + 1].isspace():
                position += 1
            fields.append(blob[start:position])
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise HarnessError("screenshot is not an 8-bit PPM")
        width, height = int(fields[1]), int(fields[2])
        data = blob[position + 1:position + 1 + width * height * 3]
        if len(data) != width * height * 3:
            raise HarnessError("screenshot is truncated")
        return cls(width, height, data)

    def pixel(self, x, y):
        """(r, g, b) at screen position x, y."""
        offset = (y * self.width + x) * 3
        return tuple(self.data[offset:offset + 3])

    def region(self, left, top, right, bottom, step=1):
        """Pixels of the rectangle [left, right) x [top, bottom), sampled every step."""
        for y in range(max(top, 0), min(bottom, self.height), step):
            for x in range(max(left, 0), min(right, self.width), step):
                yield x, y, self.pixel(x, y)

    def count(self, predicate, left, top, right, bottom, step=1):
        return sum(1 for _, _, p in self.region(left, top, right, bottom, step) if predicate(p))


class XKeysAndScreen:
    """Key presses (xdotool) and screenshots (ImageMagick) on a game's virtual X
    display, shared by the harnesses of the Windows and the desktop program. The class
    that mixes it in gives xdotool(*args) and environment(), and may override
    artifacts_folder()."""

    def artifacts_folder(self):
        return artifacts_dir()

    def hold(self, *keys):
        """Presses keys down (X key names: a, w, Left, space, Return, grave...)."""
        self.xdotool("keydown", *keys)

    def release(self, *keys):
        self.xdotool("keyup", *keys)

    def press(self, *keys, seconds=0.1):
        """Holds keys for a while (long enough for several frames), then lets go."""
        self.hold(*keys)
        time.sleep(seconds)
        self.release(*keys)

    def type_text(self, text, delay_ms=20):
        self.xdotool("type", "--delay", delay_ms, text)

    def screenshot(self, save_as=None):
        """The whole virtual screen as an Image; save_as also writes a PNG of it to the
        artifacts folder and returns the Image with its .path set."""
        try:
            result = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                                    env=self.environment(), stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=30)
        except subprocess.TimeoutExpired:
            raise HarnessError("screenshot timed out") from None
        if result.returncode != 0:
            raise HarnessError(f"screenshot failed: {result.stderr.decode().strip()}")
        image = Image.from_ppm(result.stdout)
        image.path = None
        if save_as:
            os.makedirs(self.artifacts_folder(), exist_ok=True)
            image.path = os.path.join(self.artifacts_folder(), save_as)
            subprocess.run(["convert", "ppm:-", image.path], input=result.stdout,
                           timeout=30, check=False)
        return image


class Game(XKeysAndScreen):
    """One run of brawlex.exe under Wine on its own virtual display.

    start() makes a fresh folder, fills it, starts Xvfb and the game; stop() (also run
    by the context manager and on failed starts) ends the game, every Wine process of
    the prefix, and Xvfb, and removes the folder."""

    def __init__(self, program=None, source_dir=None, keep_folder=False):
        """program: the .exe to run (default: brawlex.exe of the build's game folder);
        source_dir: where the data files are copied from (default: that folder)."""
        self.source_dir = source_dir or game_dir()
        self.program = program or os.path.join(self.source_dir, "brawlex.exe")
        self.exe = os.path.basename(self.program)
        self.keep_folder = keep_folder
        self.folder = None
        self.display = None
        self.process = None
        self.exit_code = None
        self._log = None
        self._other = None

    # ----- lifetime -------------------------------------------------------------
    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def prepare_folder(self, files=DATA_FILES, config=None, autoexec=None, extra=None):
        """Makes the working folder: the named files copied from the build's game folder
        (plus the program itself), then config.cfg / autoexec.cfg / extra {name: text or
        bytes} written over them. config=None or autoexec=None leaves those files out
        unless they are named in files."""
        self.folder = tempfile.mkdtemp(prefix="brawlex-e2e-")
        shutil.copy(self.program, os.path.join(self.folder, self.exe))
        for name in files:
            source = os.path.join(self.source_dir, name)
            if name in ("config.cfg", "autoexec.cfg") and not os.path.exists(source):
                continue
            shutil.copy(source, os.path.join(self.folder, name))
        written = dict(extra or {})
        if config is not None:
            written["config.cfg"] = config
        if autoexec is not None:
            written["autoexec.cfg"] = autoexec
        for name, content in written.items():
            if isinstance(content, str):
                content = content.replace("\r\n", "\n").replace("\n", "\r\n").encode("latin-1")
            with open(os.path.join(self.folder, name), "wb") as out:
                out.write(content)
        return self.folder

    def start(self, files=DATA_FILES, config=None, autoexec=None, extra=None):
        """Starts the game in a fresh folder (see prepare_folder) and returns at once."""
        try:
            if self.folder is None:
                self.prepare_folder(files, config, autoexec, extra)
            ensure_prefix()
            self.display = VirtualDisplay()
            self._log = open(os.path.join(self.folder, ".wine.log"), "wb")
            self.process = subprocess.Popen(
                ["wine", self.exe], cwd=self.folder, env=self.environment(),
                stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
                start_new_session=True)
        except BaseException:
            self.stop()
            raise
        return self

    def environment(self):
        env = wine_environment()
        env["DISPLAY"] = self.display.name
        return env

    def stop(self):
        """Ends everything this Game started. Safe to call more than once."""
        if self._other is not None:
            if self._other.poll() is None:
                _kill_group(self._other)
            self._other = None
        if self.process is not None:
            if self.process.poll() is None:
                self._wineserver("-k")
                try:
                    self.process.wait(10)
                except subprocess.TimeoutExpired:
                    _kill_group(self.process)
            if self.exit_code is None:
                self.exit_code = self.process.returncode
        if self.display is not None:
            # Wine's own helper processes (explorer, services) end with the server.
            self._wineserver("-k")
            self._wineserver("-w", timeout=20)
            self.display.stop()
            self.display = None
        if self._log is not None:
            self._log.close()
            self._log = None
        if self.folder is not None and not self.keep_folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    def _wineserver(self, flag, timeout=10):
        try:
            subprocess.run(["wineserver", flag], env=wine_environment(), timeout=timeout,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
            return True
        except subprocess.TimeoutExpired:
            return False

    # ----- the process ----------------------------------------------------------
    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout=20.0):
        """Waits for the game to end by itself and returns its exit code."""
        try:
            self.exit_code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"the game did not exit within {timeout:g} s") from None
        return self.exit_code

    def wait_prefix_idle(self, timeout=20.0):
        """Waits until no Wine process of the prefix is left (the server has ended).
        Returns True when that happened within the deadline."""
        return self._wineserver("-w", timeout=timeout)

    def log(self):
        """What Wine and the game printed so far."""
        if self.folder is None:
            return ""
        try:
            with open(os.path.join(self.folder, ".wine.log"), "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return ""

    def read_file(self, name):
        """The bytes of a file in the game's working folder, or None when it is not
        there (the folder is removed by stop())."""
        try:
            with open(os.path.join(self.folder, name), "rb") as f:
                return f.read()
        except (OSError, TypeError):
            return None

    # ----- the probe ------------------------------------------------------------
    def probe(self, *args, timeout=30.0, check=True):
        """Runs the probe with args on the game's display; returns its JSON lines."""
        # Output goes through files, not pipes: a Wine process may start the Wine
        # server, which would hold a pipe open long after the probe has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.Popen(["wine", probe_path()] + [str(a) for a in args],
                                       env=self.environment(), stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=err)
            try:
                returncode = process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise HarnessError(f"probe {args} did not answer within {timeout:g} s") from None
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read(), err.read()
        if check and returncode != 0:
            raise HarnessError(f"probe {args} failed ({returncode}): "
                               f"{stderr.decode('latin-1').strip()}")
        lines = stdout.decode("latin-1").splitlines()
        return [json.loads(line) for line in lines if line.startswith("{")]

    def windows(self, cls=None, title=None, visible=None, exe=None):
        """Top-level windows on the desktop (not the probe's own), optionally only those
        of a class, title, visibility or program file name (e.g. "brawlex.exe").

        Each is a dict: hwnd, class, title, style, exstyle, rect [l, t, r, b] and client
        [l, t, r, b] in screen coordinates, visible, owner, pid, exe, children (each:
        hwnd, class, id, text, style, visible)."""
        found = []
        for window in self.probe("windows"):
            if cls is not None and window["class"] != cls:
                continue
            if title is not None and window["title"] != title:
                continue
            if visible is not None and window["visible"] != visible:
                continue
            if exe is not None and window["exe"].lower() != exe.lower():
                continue
            found.append(window)
        return found

    def wait_for_window(self, cls=None, title=None, visible=True, exe=None, timeout=30.0):
        """Waits for a matching top-level window and returns it. Fails early when the
        game ends first."""
        def look():
            found = self.windows(cls, title, visible, exe)
            if not found and not self.running():
                raise HarnessError(f"the game exited (code {self.process.returncode}) "
                                   f"before a window class={cls!r} title={title!r} showed")
            return found[0] if found else None
        return poll(look, timeout, what=f"a window class={cls!r} title={title!r}")

    def wait_for_no_window(self, cls=None, title=None, visible=True, exe=None, timeout=30.0):
        poll(lambda: not self.windows(cls, title, visible, exe), timeout,
             what=f"no window class={cls!r} title={title!r}")

    def main_window(self, timeout=60.0):
        """Waits for the visible game window (start-up is done once it shows)."""
        return self.wait_for_window(MAIN_CLASS, MAIN_TITLE, visible=True, timeout=timeout)

    def workarea(self):
        """The desktop work area [left, top, right, bottom]."""
        return self.probe("workarea")[0]["workarea"]

    def message_box(self, caption=None, timeout=30.0):
        """Waits for a visible message box (or any dialog) of the game and returns
        {hwnd, caption, text, buttons: {id: text}, window}."""
        window = self.wait_for_window(DIALOG_CLASS, caption, visible=True, exe=self.exe,
                                      timeout=timeout)
        return describe_dialog(window)

    def dialog_texts(self, window):
        """{control id: text} of a dialog's controls, read again now."""
        for current in self.windows():
            if current["hwnd"] == window["hwnd"]:
                return {c["id"]: c["text"] for c in current["children"]}
        raise HarnessError(f"window {window['hwnd']:#x} is gone")

    def click(self, window, control_id):
        """Presses the button control_id of a dialog (BM_CLICK)."""
        self.probe("click", _hwnd(window), control_id)

    def command(self, window, control_id):
        """Sends a dialog the WM_COMMAND its button control_id would send."""
        self.probe("command", _hwnd(window), control_id)

    def set_text(self, window, control_id, text):
        self.probe("settext", _hwnd(window), control_id, text)

    def close(self, window=None):
        """Asks the game window (or the given window) to close, as its close box does."""
        if window is None:
            window = self.main_window()
        self.probe("close", _hwnd(window))

    def foreground(self):
        """The handle of the foreground window."""
        return self.probe("foreground")[0]["hwnd"]

    def activate(self, window):
        self.probe("activate", _hwnd(window))

    def show_other_window(self, title="Another program"):
        """Starts a small window of another program (the probe) on the game's display,
        in the bottom-right corner of the work area, as the foreground window; waits for
        it and returns it. It is closed by close_other_window, and in any case when the
        game stops (with every Wine process of the prefix)."""
        self._other = subprocess.Popen(
            ["wine", probe_path(), "other", title], env=self.environment(),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        return self.wait_for_window(title=title, timeout=30)

    def close_other_window(self, window):
        self.close(window)
        try:
            self._other.wait(10)
        except subprocess.TimeoutExpired:
            _kill_group(self._other)

    # ----- keyboard -------------------------------------------------------------
    def xdotool(self, *args, timeout=10.0):
        try:
            result = subprocess.run(["xdotool"] + [str(a) for a in args],
                                    env=self.environment(), stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"xdotool {args} did not return") from None
        if result.returncode != 0:
            raise HarnessError(f"xdotool {args} failed: {result.stderr.decode().strip()}")
        return result.stdout.decode()

    def focus(self, title=MAIN_TITLE, timeout=20.0):
        """Gives the keyboard focus to the X window of the given title (the game by
        default), so that the key presses that follow go to it."""
        def find():
            try:
                ids = self.xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()
            except HarnessError:
                return None
            return ids[0] if ids else None
        x_window = poll(find, timeout, what=f"an X window named {title!r}")
        # --sync waits until the X server reports the focus there, so the keys that
        # follow cannot reach the window that had it before.
        self.xdotool("windowfocus", "--sync", x_window, timeout=timeout)
        return x_window

    def open_console(self, timeout=20.0):
        """Presses the backtick key in the game window, holds it until the console
        dialog shows and lets go; returns the dialog with the keyboard focus on it.
        (The key's repeats while it is held neither close the console nor open it
        again, so no tap has to beat the keyboard's repeat delay.)"""
        self.focus()
        self.hold("grave")
        try:
            console = self.wait_for_window(DIALOG_CLASS, "Console", exe=self.exe,
                                           timeout=timeout)
        finally:
            self.release("grave")
        self.focus("Console")
        return console


def _hwnd(window):
    return window["hwnd"] if isinstance(window, dict) else int(window)


def describe_dialog(window):
    """A message box or dialog as {hwnd, caption, text, buttons, window}: text joins
    its static controls, buttons maps button ids to their texts."""
    statics = [c["text"] for c in window["children"] if c["class"].lower() == "static"
               and c["text"]]
    buttons = {c["id"]: c["text"] for c in window["children"] if c["class"].lower() == "button"}
    return {"hwnd": window["hwnd"], "caption": window["title"], "text": "\n".join(statics),
            "buttons": buttons, "window": window}


def wine_environment():
    env = dict(os.environ)
    env.pop("WAYLAND_DISPLAY", None)
    env["WINEPREFIX"] = wine_prefix()
    env["WINEDEBUG"] = "-all"
    # No prompts to install Mono or Gecko: the game needs neither.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    return env


# What ensure_prefix sets in the prefix after wineboot; raise PREFIX_VERSION whenever
# this list changes, so that prefixes made before get the new settings too.
PREFIX_VERSION = 2
PREFIX_SETTINGS = (
    # A crash ends the program with a report on stderr instead of a dialog that would
    # wait for a click.
    ["wine", "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
     "/t", "REG_DWORD", "/d", "0", "/f"],
    # Xvfb has no window manager: with managed windows Wine waits for one (about 2 s)
    # whenever a shown window is destroyed, as the loading dialog is at every start.
    ["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
     "/d", "N", "/f"],
)


def _prefix_version(marker):
    """The settings version a prefix was made or brought up to; 1 for the marker of
    the first harness ("ok"), 0 when there is no marker."""
    try:
        with open(marker) as f:
            text = f.read().strip()
    except OSError:
        return 0
    return int(text) if text.isdigit() else 1


def ensure_prefix(timeout=300.0):
    """Makes the private Wine prefix once, or brings an older one up to the current
    settings; later calls return at once."""
    prefix = wine_prefix()
    ready = os.path.join(prefix, ".brawlex-ready")
    version = _prefix_version(ready)
    if version >= PREFIX_VERSION:
        return prefix
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    env = wine_environment()
    display = VirtualDisplay()
    try:
        env["DISPLAY"] = display.name
        # An existing prefix keeps what wineboot made; the settings are all re-applied
        # (each "reg add /f" overwrites, so that is harmless).
        steps = ([] if version else [["wineboot", "-i"]]) + list(PREFIX_SETTINGS)
        deadline = time.monotonic() + timeout
        for step in steps:
            subprocess.run(step, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=True,
                           timeout=max(deadline - time.monotonic(), 1))
        # The registry is written to disk when the server ends.
        subprocess.run(["wineserver", "-w"], env=env, check=False,
                       timeout=max(deadline - time.monotonic(), 1))
    except subprocess.TimeoutExpired:
        raise HarnessError("making the Wine prefix timed out") from None
    finally:
        subprocess.run(["wineserver", "-k"], env=env, check=False, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        display.stop()
    with open(ready, "w") as marker:
        marker.write(f"{PREFIX_VERSION}\n")
    return prefix


class GameTestCase(unittest.TestCase):
    """A test case with self.game, stopped after each test whatever happened. On a
    failure the screen is saved to the artifacts folder and the program's output
    printed. A harness of another program sets game_class (and output_name)."""

    game_class = Game
    output_name = "wine output"

    def setUp(self):
        self.game = self.game_class()
        self.addCleanup(self._finish)

    def _finish(self):
        result = getattr(getattr(self, "_outcome", None), "result", None)
        problems = getattr(result, "failures", []) + getattr(result, "errors", [])
        failed = any(test is self for test, _ in problems)
        if failed and self.game.display is not None:
            try:
                shot = self.game.screenshot(save_as=f"{self.id()}.png")
                print(f"\nscreen saved: {shot.path}", file=sys.stderr)
            except Exception as error:  # the report must not hide the real failure
                print(f"\nno screenshot: {error}", file=sys.stderr)
            print(f"{self.output_name}:\n{self.game.log()}", file=sys.stderr)
        self.game.stop()


def _main(argv):
    if argv[1:] == ["prepare"]:
        started = time.monotonic()
        print(f"Wine prefix: {ensure_prefix()} ({time.monotonic() - started:.1f} s)")
        return 0
    print("usage: brawlex_harness.py prepare", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(_main(sys.argv))
