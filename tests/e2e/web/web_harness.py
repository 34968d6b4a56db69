"""Plays the web page in a real headless Chromium.

A test makes a Page, which serves a copy of the site folder on 127.0.0.1 with a plain
static server (python3 -m http.server) and opens it in Chromium through chromedriver
(Selenium). It looks at the page the way a player would: what the canvas shows (its
pixels, read in the page), the page's own boxes, real key presses. Every wait polls
with a deadline, and stop() ends the browser, the driver and the server, also after
a failure.

    with Page() as page:
        page.open()
        page.hold("d"); ...; page.release("d")
        box = page.wait_for_message_box()

The site folder comes from BRAWLEX_SITE_DIR (set by CTest, see cmake/WebTests.cmake),
by default build/web/site of the source tree.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

_HERE = os.path.dirname(os.path.abspath(__file__))
_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(_HERE)))

CHROMIUM = os.environ.get("BRAWLEX_CHROMIUM") or "/usr/bin/chromium"
CHROMEDRIVER = os.environ.get("BRAWLEX_CHROMEDRIVER") or "/usr/bin/chromedriver"
CHROMIUM_FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--force-color-profile=srgb",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync")
WINDOW_SIZE = (1024, 768)

WHITE = (255, 255, 255)
# The hero bitmap's frame, and where the hit points are written above it.
FRAME_WIDTH, FRAME_HEIGHT = 30, 40
HP_ABOVE = 20

# The keys of the shipped config.cfg, as Selenium sends them.
P1_KEYS = {"jump": Keys.SPACE, "left": "a", "right": "d", "aimup": "w", "aimdown": "s",
           "attack": "g", "sword": "j", "grapple": "h"}
P2_KEYS = {"jump": Keys.NUMPAD0, "left": Keys.LEFT, "right": Keys.RIGHT, "aimup": Keys.UP,
           "aimdown": Keys.DOWN, "attack": Keys.NUMPAD4, "sword": Keys.NUMPAD6,
           "grapple": Keys.NUMPAD5}
CONSOLE_KEY = "`"


class HarnessError(AssertionError):
    """A wait ran out or a tool failed; reported as a test failure."""


def site_dir():
    return os.environ.get("BRAWLEX_SITE_DIR") or os.path.join(_SOURCE_DIR, "build", "web", "site")


def poll(check, timeout, interval=0.1, what="a condition"):
    """Calls check() until it returns something true, and returns that; fails after
    timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() > deadline:
            raise HarnessError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


# Reads the canvas in the page and sums it up, so that only a few numbers cross over:
# for a box [left, top, right, bottom], the lit (not black) pixels, the white ones,
# the pure red ones (low hit points), the mean x of the lit ones and the top row holding
# at least three lit pixels.
_CANVAS_SUMMARY = """
const [left, top, right, bottom] = arguments[0];
const canvas = document.getElementById("canvas");
const width = Math.max(0, Math.min(right, canvas.width) - left);
const height = Math.max(0, Math.min(bottom, canvas.height) - top);
if (!width || !height) return {lit: 0, white: 0, red: 0, meanX: null, topRow: null};
const data = canvas.getContext("2d").getImageData(left, top, width, height).data;
let lit = 0, white = 0, red = 0, sumX = 0, topRow = null;
for (let y = 0; y < height; ++y) {
  let row = 0;
  for (let x = 0; x < width; ++x) {
    const i = (y * width + x) * 4;
    const r = data[i], g = data[i + 1], b = data[i + 2];
    if (r || g || b) { ++lit; ++row; sumX += left + x; }
    if (r === 255 && g === 255 && b === 255) ++white;
    if (r === 255 && !g && !b) ++red;
  }
  if (row >= 3 && topRow === null) topRow = top + y;
}
return {lit: lit, white: white, red: red, meanX: lit ? sumX / lit : null, topRow: topRow};
"""


# Compares what the screen shows of the canvas with the canvas's own pixels. Takes a
# screenshot (PNG, device pixels) and the canvas's box on the page; each game pixel must
# fill a square of `scale` x `scale` device pixels of its own colour, for every game
# pixel of the play area: the whole picture is seen, every game pixel the same size.
_SCREEN_AGAINST_CANVAS = """
const [png, done] = [arguments[0], arguments[arguments.length - 1]];
const canvas = document.getElementById("canvas");
const box = canvas.getBoundingClientRect();
const ratio = devicePixelRatio;
const scale = Math.round(box.width * ratio / canvas.width);
const image = new Image();
image.onload = () => {
  const shot = new OffscreenCanvas(image.width, image.height).getContext("2d");
  shot.drawImage(image, 0, 0);
  const screen = shot.getImageData(0, 0, image.width, image.height).data;
  const game = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
  const left = Math.round(box.left * ratio), top = Math.round(box.top * ratio);
  let wrong = 0, outside = 0, first = null;
  for (let y = 0; y < canvas.height; ++y) {
    for (let x = 0; x < canvas.width; ++x) {
      const g = (y * canvas.width + x) * 4;
      for (let dy = 0; dy < scale; ++dy) {
        for (let dx = 0; dx < scale; ++dx) {
          const sx = left + x * scale + dx, sy = top + y * scale + dy;
          if (sx >= image.width || sy >= image.height) { ++outside; continue; }
          const s = (sy * image.width + sx) * 4;
          if (Math.abs(screen[s] - game[g]) > 2 || Math.abs(screen[s + 1] - game[g + 1]) > 2 ||
              Math.abs(screen[s + 2] - game[g + 2]) > 2) {
            if (first === null) first = [x, y, dx, dy, [...game.slice(g, g + 3)], [...screen.slice(s, s + 3)]];
            ++wrong;
          }
        }
      }
    }
  }
  done({wrong: wrong, outside: outside, first: first, scale: scale,
        exactScale: box.width * ratio / canvas.width, shot: [image.width, image.height]});
};
image.onerror = () => done({error: "the screenshot could not be decoded"});
image.src = "data:image/png;base64," + png;
"""


class Page:
    """One served site and one browser on it."""

    def __init__(self, site=None, chromium_flags=(), window_size=WINDOW_SIZE, load_strategy=None):
        self.site_source = site or site_dir()
        # "none": the driver's get() returns without waiting for the page to load.
        self.load_strategy = load_strategy
        self.window_size = window_size
        self.extra_flags = tuple(chromium_flags)
        self.scratch = None
        self.server = None
        self.port = None
        self.driver = None
        self.service = None
        self.size = None  # the canvas's [width, height]

    # ---- life cycle -----------------------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        if not os.path.isfile(os.path.join(self.site_source, "index.html")):
            raise HarnessError(f"no site in {self.site_source}: build the web preset first")
        self.scratch = tempfile.mkdtemp(prefix="brawlex-web-")
        self.site = os.path.join(self.scratch, "site")
        shutil.copytree(self.site_source, self.site)
        self._start_server()
        self._start_browser()

    def stop(self):
        """Ends the browser, its driver and the server; safe to call more than once."""
        if self.driver is not None:
            try:
                self.driver.quit()
            except Exception:
                pass
            self.driver = None
        if self.service is not None:
            group = self.service.process.pid if self.service.process else None
            try:
                self.service.stop()
            except Exception:
                pass
            if group is not None:
                try:
                    os.killpg(group, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            self.service = None
        if self.server is not None:
            _end_process(self.server)
            self.server = None
        if self.scratch is not None:
            shutil.rmtree(self.scratch, ignore_errors=True)
            self.scratch = None

    def _start_server(self):
        # Port 0: the server takes a free port and says which on its first line.
        self.server = subprocess.Popen(
            [sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1", "0",
             "--directory", self.site],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
            start_new_session=True)
        line = self.server.stdout.readline()
        match = re.search(r"port (\d+)", line)
        if not match:
            raise HarnessError(f"the web server did not start: {line!r}")
        self.port = int(match.group(1))
        # Its further output is not read; it goes nowhere rather than filling a pipe.
        self.server.stdout.close()

    def _start_browser(self):
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        if self.load_strategy:
            options.page_load_strategy = self.load_strategy
        for flag in CHROMIUM_FLAGS + self.extra_flags:
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={os.path.join(self.scratch, 'profile')}")
        options.add_argument(f"--window-size={self.window_size[0]},{self.window_size[1]}")
        # The driver leads a process group of its own, which the browser it starts
        # joins: stop() ends the whole group, so no browser process outlives a test
        # even when the driver could not close it.
        self.service = Service(CHROMEDRIVER, log_path=os.devnull,
                               popen_kw={"start_new_session": True})
        self.driver = webdriver.Chrome(service=self.service, options=options)
        self.driver.set_script_timeout(60)

    @property
    def url(self):
        return f"http://127.0.0.1:{self.port}/"

    # ---- the page ---------------------------------------------------------------------

    def open(self, timeout=60, address=None):
        """Loads the page (its own, or another address such as a room link) and waits
        until the game runs and its first frame is drawn."""
        self.driver.get(address or self.url)
        poll(lambda: (self.stats() or {}).get("firstFrameAt") is not None, timeout,
             what="the first frame on the canvas")
        self.size = self.script("return [BrawlexPage.canvasWidth(), BrawlexPage.canvasHeight()]")
        return self.stats()

    def script(self, source, *args):
        return self.driver.execute_script(source, *args)

    def stats(self):
        return self.script("return window.BrawlexPage ? BrawlexPage.stats() : null")

    def frames(self):
        return self.stats()["frames"]

    def notice(self):
        """The page's plain message, or None while it shows none."""
        return self.script("const n = document.getElementById('notice');"
                           "return n.hidden ? null : n.textContent")

    def canvas(self, box):
        return self.script(_CANVAS_SUMMARY, list(box))

    def screen_against_canvas(self):
        """How the screen shows the canvas: {wrong, outside, scale, exactScale, ...}, the
        device pixels that differ from their game pixel and those beyond the screen."""
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png"})
        return self.driver.execute_async_script(_SCREEN_AGAINST_CANVAS, shot["data"])

    def canvas_box(self):
        """The canvas's box on the page (CSS pixels) and the room the window has."""
        return self.script("""
            const r = document.getElementById('canvas').getBoundingClientRect();
            return {left: r.left, top: r.top, right: r.right, bottom: r.bottom,
                    innerWidth: innerWidth, innerHeight: innerHeight, ratio: devicePixelRatio,
                    keysTop: document.getElementById('keys').getBoundingClientRect().top};
        """)

    def mouse(self, kind, x, y, **more):
        """A real mouse event at (x, y) of the page's CSS pixels ("mousePressed",
        "mouseReleased", "mouseWheel" with deltaX and deltaY...)."""
        event = {"type": kind, "x": x, "y": y}
        if kind in ("mousePressed", "mouseReleased"):
            event.update(button="left", clickCount=1)
        event.update(more)
        self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", event)

    def standing_box(self, side):
        """Where a fighter standing on the floor at his start edge is drawn: his frame
        and the hit points above it."""
        width, height = self.size
        x = 0 if side == 0 else width - FRAME_WIDTH
        return (max(x - 4, 0), height - FRAME_HEIGHT - HP_ABOVE, min(x + FRAME_WIDTH, width),
                height)

    def hp_box(self, side):
        left, top, right, _ = self.standing_box(side)
        return (left, top, right, top + 16)

    def half(self, side):
        width, height = self.size
        return (0, 0, width // 2, height) if side == 0 else (width // 2, 0, width, height)

    def wait_settled(self, timeout=20):
        """Waits until both fighters stand on the floor with their hit points above them."""
        def standing():
            for side in (0, 1):
                body = self.canvas(self.standing_box(side))
                if body["lit"] < 200 or self.canvas(self.hp_box(side))["white"] < 10:
                    return False
            return True
        poll(standing, timeout, what="both fighters on the floor with white hit points")

    # ---- keys ---------------------------------------------------------------------------

    def hold(self, *keys):
        actions = ActionChains(self.driver)
        for key in keys:
            actions.key_down(key)
        actions.perform()

    def release(self, *keys):
        actions = ActionChains(self.driver)
        for key in keys:
            actions.key_up(key)
        actions.perform()

    def press(self, key):
        ActionChains(self.driver).key_down(key).key_up(key).perform()

    def type_text(self, text):
        ActionChains(self.driver).send_keys(text).perform()

    # ---- the message box ---------------------------------------------------------------

    def message_box(self):
        """The open message box as {caption, text, buttons}, or None."""
        return self.script("""
            const modal = document.getElementById('modal');
            if (modal.hidden) return null;
            return {caption: document.getElementById('message-caption').textContent,
                    text: document.getElementById('message-text').textContent,
                    buttons: [...modal.querySelectorAll('button')].map(b => b.textContent)};
        """)

    def wait_for_message_box(self, timeout=60):
        return poll(self.message_box, timeout, what="a message box")

    def click_ok(self):
        self.driver.find_element("id", "message-ok").click()
        poll(lambda: self.message_box() is None, 10, what="the message box to close")


def _end_process(process):
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait(timeout=10)


class PageTestCase(unittest.TestCase):
    """A test with a fresh Page in self.page, stopped after the test whatever happens."""

    chromium_flags = ()

    def setUp(self):
        self.page = Page(chromium_flags=self.chromium_flags)
        self.addCleanup(self.page.stop)
        self.page.start()


def readme_picture(path):
    """Saves the README's picture of the page: the whole browser window, both fighters
    close together, player 1 shooting while player 2 charges his sword."""
    with Page() as page:
        page.open()
        page.wait_settled()
        page.hold(CONSOLE_KEY)
        poll(lambda: page.script("return BrawlexPage.console.state.open"), 10,
             what="the console to open")
        page.release(CONSOLE_KEY)
        # Several commands on one line, ";" with no blank after it.
        page.type_text("set pos 1 430 0;set pos 2 560 0;set aimangle 2 12")
        page.press(Keys.ENTER)
        page.press(Keys.ESCAPE)
        poll(lambda: not page.script("return BrawlexPage.console.state.open"), 10,
             what="the console to close")
        time.sleep(2)  # they fall to the floor: a picture, not a wait for a condition
        page.hold(P1_KEYS["attack"], P2_KEYS["sword"])
        time.sleep(0.6)
        page.driver.save_screenshot(path)
        page.release(P1_KEYS["attack"], P2_KEYS["sword"])
    print(f"wrote {path}")


if __name__ == "__main__":
    # python3 web_harness.py picture docs/images/web.png
    if len(sys.argv) == 3 and sys.argv[1] == "picture":
        readme_picture(os.path.abspath(sys.argv[2]))
    else:
        sys.exit("usage: web_harness.py picture <file.png>")
