"""What the web page's online tests share: the relay (brawlex-server) on a port of its
own, the programs of the trees beside the page's, and the page's console as a player
uses it.

The programs are those of the build root the page comes from (BRAWLEX_SITE_DIR is
<root>/web/site, or BRAWLEX_BUILD_ROOT names the root), else the newest under build/;
BRAWLEX_RELAY_SERVER and BRAWLEX_DESKTOP_PROGRAM name others."""

import glob
import os
import re
import socket
import subprocess

from selenium.webdriver.common.keys import Keys

from web_harness import _SOURCE_DIR, CONSOLE_KEY, poll, site_dir


def _build_roots():
    """The build roots to look in, most likely first."""
    roots = []
    if os.environ.get("BRAWLEX_BUILD_ROOT"):
        roots.append(os.environ["BRAWLEX_BUILD_ROOT"])
    roots.append(os.path.dirname(os.path.dirname(os.path.abspath(site_dir()))))
    return roots


def _find(named_by, beside, anywhere, what):
    named = os.environ.get(named_by)
    if named:
        return named
    for root in _build_roots():
        found = [path for pattern in beside for path in glob.glob(os.path.join(root, pattern))
                 if os.access(path, os.X_OK)]
        if found:
            return max(found, key=os.path.getmtime)
    build = os.path.join(_SOURCE_DIR, "build")
    found = [path for pattern in anywhere for path in glob.glob(os.path.join(build, pattern))
             if os.access(path, os.X_OK)]
    if not found:
        raise AssertionError(f"no {what}: build it first, or name it with {named_by}")
    return max(found, key=os.path.getmtime)


def relay_server():
    return _find("BRAWLEX_RELAY_SERVER", ["*/brawlex-server"],
                 ["*/brawlex-server", "*/*/brawlex-server"], "brawlex-server (a native tree)")


def desktop_program():
    return _find("BRAWLEX_DESKTOP_PROGRAM", ["desktop/game/brawlex"],
                 ["desktop/game/brawlex", "*/desktop/game/brawlex"],
                 "desktop program (the desktop preset)")


def free_port():
    """A port free on 127.0.0.1 for both TCP (the page's WebSocket) and UDP."""
    with socket.socket() as t, socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as u:
        t.bind(("127.0.0.1", 0))
        port = t.getsockname()[1]
        u.bind(("127.0.0.1", port))
        return port


class Relay:
    """brawlex-server on a free port of 127.0.0.1 until stop(), which ends it by its pid."""

    def __init__(self):
        self.port = free_port()
        self.address = f"127.0.0.1:{self.port}"
        self.process = subprocess.Popen([relay_server(), "--port", str(self.port)],
                                        stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


# ---- the page's console -----------------------------------------------------------------

def console(page):
    return page.script("return BrawlexPage.console.state")


def open_console(page):
    page.hold(CONSOLE_KEY)
    poll(lambda: console(page)["open"], 10, what="the console to open")
    page.release(CONSOLE_KEY)


def close_console(page):
    page.press(Keys.ESCAPE)
    poll(lambda: not console(page)["open"], 10, what="the console to close")


def enter(page, line):
    """Types a line in the console and closes it again."""
    open_console(page)
    page.type_text(line)
    poll(lambda: console(page)["input"] == line, 10, what=f"{line!r} typed")
    page.press(Keys.ENTER)
    poll(lambda: console(page)["input"] == "", 10, what=f"{line!r} entered")
    close_console(page)


def console_output(page):
    """The console's output as the player reads it (opened and closed again)."""
    open_console(page)
    output = console(page)["output"]
    close_console(page)
    return output


def room_code(page):
    """The code of the room the page hosts, once it has printed it; else None."""
    found = re.search(r"Room ([2-9A-Z]{8})", console_output(page))
    return found.group(1) if found else None


def host_room(page, relay):
    """HOST RELAY on the page; returns the room's code and the link it printed."""
    enter(page, f"host relay {relay.address}")
    code = poll(lambda: room_code(page), 20, interval=1, what="the room code")
    link = re.search(r"or opens (\S+)", console_output(page))
    return code, (link.group(1) if link else None)


def hit_points_red(page, side):
    """True while the fighter of side (0 or 1) shows low hit points: his number, in red,
    is the only red in his half of the play area. (The first fighter's number sticks
    out of the play area at his start edge; the second's shows there.)"""
    return page.canvas(page.half(side))["red"] > 0
