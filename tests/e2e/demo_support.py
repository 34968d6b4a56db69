"""Demos in the end-to-end tests: the native tree's brawlex-demo tool, which makes
demos of random play and verifies them, and the line TIMEDEMO prints.

The tool is found through BRAWLEX_DEMO_TOOL, else in the native tree beside the tree
under test (<build root>/native/brawlex-demo), as scripts/test builds them."""

import os
import re
import subprocess

TIMEDEMO_LINE = re.compile(r"(\d+) frames, ([0-9.]+) s, ([0-9.]+) fps, checksum ([0-9a-f]{16})")
VERIFY_LINE = re.compile(r"(\d+) frames, checksum ([0-9a-f]{16}), (in step|out of step at second \d+)")


def demo_tool(tree_dir):
    """The brawlex-demo program; tree_dir is the build folder of the tree under test."""
    tool = os.environ.get("BRAWLEX_DEMO_TOOL") or os.path.join(
        os.path.dirname(os.path.abspath(tree_dir)), "native", "brawlex-demo")
    if not os.path.exists(tool):
        raise AssertionError(f"no {tool}: build the native tree (cmake --preset native)")
    return tool


def make_demo(tool, path, seconds, seed, timeout=600):
    """Makes a demo of random play; returns its bytes."""
    folder = os.path.dirname(os.path.abspath(path))
    result = subprocess.run([tool, "make", os.path.basename(path), str(seconds), str(seed)],
                            cwd=folder, capture_output=True, timeout=timeout)
    if result.returncode != 0:
        raise AssertionError(f"brawlex-demo make failed ({result.returncode}): "
                             f"{result.stderr.decode(errors='replace')}")
    with open(path, "rb") as f:
        return f.read()


def verify_demo(tool, path, timeout=600):
    """Replays a demo headless: (frames, checksum, verdict, exit code)."""
    result = subprocess.run([tool, "verify", path], capture_output=True, timeout=timeout)
    out = result.stdout.decode(errors="replace").strip()
    match = VERIFY_LINE.fullmatch(out)
    if not match:
        raise AssertionError(f"brawlex-demo verify printed {out!r} "
                             f"({result.stderr.decode(errors='replace').strip()})")
    return int(match.group(1)), match.group(2), match.group(3), result.returncode


def parse_timedemo(line):
    """(frames, seconds, frames per second, checksum) of a TIMEDEMO line, or None."""
    match = TIMEDEMO_LINE.fullmatch(line.strip())
    if not match:
        return None
    return int(match.group(1)), float(match.group(2)), float(match.group(3)), match.group(4)
