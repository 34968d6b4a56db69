"""What the scenario tests read off the screen: where the fighters are, how high one
stands, whether his hit points are drawn and in which colour. All positions are screen
pixels; `area` is the game window's client rectangle [left, top, right, bottom] as the
probe reports it."""

import struct

from brawlex_harness import poll

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
RED = (255, 0, 0)

# The hero bitmap's frame, as the shipped hero.bmp draws it.
FRAME_WIDTH, FRAME_HEIGHT = 30, 40
# The hit points are written 20 pixels above the frame's top edge.
HP_ABOVE = 20

# The keys of the shipped config.cfg, as X key names.
P1_KEYS = {"jump": "space", "left": "a", "right": "d", "aimup": "w", "aimdown": "s",
           "attack": "g", "sword": "j", "grapple": "h"}
P2_KEYS = {"jump": "KP_0", "left": "Left", "right": "Right", "aimup": "Up", "aimdown": "Down",
           "attack": "KP_4", "sword": "KP_6", "grapple": "KP_5"}

HEADSHOT_PHRASES = (" with a bullet through his head!", " headless...", " of scrambled brains.")


def half(area, side):
    """The left (side 0) or right (side 1) half of the play area, where player 1 and
    player 2 stay unless they walk past the middle."""
    left, top, right, bottom = area
    middle = (left + right) // 2
    return (left, top, middle, bottom) if side == 0 else (middle, top, right, bottom)


def lit(shot, box, step=1):
    """(x, y) of the pixels in box that are not the black background."""
    left, top, right, bottom = box
    return [(x, y) for x, y, p in shot.region(left, top, right, bottom, step) if p != BLACK]


def mean_x(shot, box, step=2):
    points = lit(shot, box, step)
    return sum(x for x, _ in points) / len(points) if points else None


def top_row(shot, box, min_pixels=3):
    """The highest row of box holding at least min_pixels lit pixels (the top of the
    hit-point number of the fighter in it), or None. Single stray pixels do not count."""
    left, top, right, bottom = box
    for y in range(top, bottom):
        if sum(1 for x in range(left, right) if shot.pixel(x, y) != BLACK) >= min_pixels:
            return y
    return None


def colour_count(shot, box, colour):
    left, top, right, bottom = box
    return shot.count(lambda p: p == colour, left, top, right, bottom)


def standing_box(area, side):
    """Where a fighter standing on the floor at his start edge is drawn: his frame and
    the hit points above it (which may stick out of the play area on the left)."""
    left, top, right, bottom = area
    x = left if side == 0 else right - FRAME_WIDTH
    return (max(x - 4, left), bottom - FRAME_HEIGHT - HP_ABOVE, min(x + FRAME_WIDTH, right),
            bottom)


def hp_box(area, side):
    """The rows of the hit points of a fighter standing at his start edge."""
    left, top, right, bottom = standing_box(area, side)
    return (left, top, right, top + 16)


def wait_settled(game, area, timeout=20.0):
    """Waits until frames run (the middle of the play area is black, not the window's
    white) and two screenshots a moment apart are the same (the fighters have landed and
    nothing moves), and returns the last one."""
    previous = [None]
    middle = ((area[0] + area[2]) // 2, (area[1] + area[3]) // 2)

    def still():
        shot = game.screenshot()
        pixels = list(shot.region(*area, step=2))
        same = pixels == previous[0] and shot.pixel(*middle) == BLACK
        previous[0] = pixels
        return shot if same else None

    return poll(still, timeout, interval=0.3, what="the fighters to stand still")


def bitmap_24(width, height, pixel):
    """A bottom-up 24-bit BMP file of pixel(x, y) -> (r, g, b)."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + bytes(stride - len(row)))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def assert_walks(game, area, side, key, direction):
    """Holds key and waits until the fighter of side (0 or 1) has moved 40 pixels in
    direction (+1 right, -1 left) on screen."""
    box = half(area, side)
    start = poll(lambda: mean_x(game.screenshot(), box), 15,
                 what=f"player {side + 1} on screen")
    game.focus()
    game.hold(key)
    try:
        poll(lambda: (mean_x(game.screenshot(), box) - start) * direction > 40, 15,
             what=f"player {side + 1} to walk while {key} is held")
    finally:
        game.release(key)


def joiner_area(host_area, joiner_window_area):
    """Where a joiner's window draws an online match: the match plays the host's game,
    its play area's size placed at the window's top left corner (the window's own size
    may differ)."""
    left, top = joiner_window_area[:2]
    return [left, top, left + host_area[2] - host_area[0], top + host_area[3] - host_area[1]]


def assert_console_change_on_both(joiner, machines):
    """The joiner's console pauses the match; what he sets there holds on both machines
    once it closes: his fighter down to one hit point of eight, drawn in red on every
    (game, area) of `machines`."""
    joiner.open_console()
    joiner.type_text("set maxhp 2 8;set hp 2 1")
    joiner.press("Return")
    joiner.press("Escape", seconds=0.05)
    for game, area in machines:
        poll(lambda: colour_count(game.screenshot(), hp_box(area, 1), RED) > 5, 20,
             what="player 2's hit points in red")
