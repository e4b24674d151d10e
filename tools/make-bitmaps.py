#!/usr/bin/env python3
"""Draws the Explorer's bitmaps as 24-bit BMP files: the Help picture (a "?" on a disc) in its
normal, hover and pressed states, the Monitor (patrol) picture off, pressed, on and on in real
time, the page top pictures and the product picture. They use the eye of the programs' icons
(make-icons.py) on the pages' background, anti-aliased by supersampling. The bitmaps are
committed; run this again only to change them."""
import math
import os
import runpy
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


# The icons' drawing (its eye and colours), read from make-icons.py without running its main.
_ICONS = runpy.run_path(os.path.join(HERE, "make-icons.py"))
icon_pixel = _ICONS["pixel"]
ICON_COLOURS = _ICONS["ICONS"]

# The pages are themed (the programs carry a common-controls 6 manifest): their background is
# the tab body's white, not the button face.
BACKGROUND = (255, 255, 255)
SUPERSAMPLE = 4

BLUE, BLUE_PUPIL = ICON_COLOURS[101]          # the program's own colours
GREY, GREY_PUPIL = (150, 150, 150), (70, 70, 70)
PRESSED_BLUE = (20, 80, 160)
HOVER_BLUE = (70, 150, 235)
REAL_TIME = (40, 170, 70)                    # the accent of real-time watching
WHITE = (255, 255, 255)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def scale(colour, factor):
    return tuple(min(255.0, v * factor) for v in colour)


# ---- Shapes: each maps a point (normalised: the picture spans -1..1) to (r, g, b, alpha) or
# None where it does not paint. Later layers paint over earlier ones.

def eye_disc(disc, pupil, radius=1.0, cx=0.0, cy=0.0):
    """The icons' eye on a disc, scaled to `radius` around (cx, cy)."""
    size = 1000  # the icon drawing's own grid; only its proportions are used
    c = (size - 1) / 2.0

    def shape(x, y):
        dx, dy = (x - cx) / radius, (y - cy) / radius
        if math.hypot(dx, dy) > 1.0:
            return None
        r, g, b, _ = icon_pixel(size, c + dx * size / 2.0, c + dy * size / 2.0, disc, pupil)
        # Hard edge here: the supersampling does the smoothing at every size alike.
        return (r, g, b, 1.0) if math.hypot(dx, dy) <= 0.98 else None
    return shape


def disc(colour, radius, cx=0.0, cy=0.0, shade=0.0):
    """A plain disc; `shade` darkens it towards the lower right for a little depth."""
    def shape(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > radius:
            return None
        t = max(0.0, min(1.0, ((x - cx) + (y - cy)) / (2.0 * radius) + 0.5))
        return scale(colour, 1.0 + shade * (0.5 - t)) + (1.0,)
    return shape


def ring(colour, inner, outer, cx=0.0, cy=0.0):
    def shape(x, y):
        d = math.hypot(x - cx, y - cy)
        return colour + (1.0,) if inner <= d <= outer else None
    return shape


def _segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - ax - t * vx, py - ay - t * vy)


def question_mark(colour, size=1.0, cx=0.0, cy=0.0):
    """A "?" as strokes: a hook (most of a circle), a short stem and a dot."""
    stroke = 0.11 * size
    hook_r = 0.26 * size
    hx, hy = cx, cy - 0.22 * size
    stem_top = (cx, cy + 0.05 * size)
    stem_bottom = (cx, cy + 0.12 * size)
    dot = (cx, cy + 0.43 * size, 0.08 * size)

    def shape(x, y):
        # Hook: the arc from the left (180 degrees) over the top to the lower right (about 60).
        a = math.degrees(math.atan2(y - hy, x - hx)) % 360  # y grows downwards
        if (a >= 180 or a <= 60) and abs(math.hypot(x - hx, y - hy) - hook_r) <= stroke:
            return colour + (1.0,)
        end = (hx + hook_r * math.cos(math.radians(60)), hy + hook_r * math.sin(math.radians(60)))
        if _segment_distance(x, y, end[0], end[1], *stem_top) <= stroke:
            return colour + (1.0,)
        if _segment_distance(x, y, *stem_top, *stem_bottom) <= stroke:
            return colour + (1.0,)
        if math.hypot(x - dot[0], y - dot[1]) <= dot[2] + stroke * 0.4:
            return colour + (1.0,)
        return None
    return shape


def letter_i(colour, size, cx, cy):
    """A small "i": a dot over a stem, for the information badge."""
    def shape(x, y):
        if math.hypot(x - cx, y - cy + 0.55 * size) <= 0.16 * size:
            return colour + (1.0,)
        if abs(x - cx) <= 0.13 * size and -0.25 * size <= y - cy <= 0.6 * size:
            return colour + (1.0,)
        return None
    return shape


def gear(colour, inner, outer, teeth):
    """Gear teeth around a disc: the rim between `inner` and `outer`, cut into `teeth`."""
    def shape(x, y):
        d = math.hypot(x, y)
        if d > outer:
            return None
        if d <= inner:
            return colour + (1.0,)
        a = (math.atan2(y, x) / (2 * math.pi) * teeth) % 1.0
        return colour + (1.0,) if 0.25 <= a <= 0.75 else None
    return shape


def shadow(radius, cx, cy, strength=0.25):
    """A soft round shadow, blended with the background below it."""
    def shape(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > radius:
            return None
        return (0.0, 0.0, 0.0, strength * (1.0 - d / radius))
    return shape


# ---- Rendering ---------------------------------------------------------------------------------

def render(width, height, layers, offset=(0.0, 0.0)):
    """Rows of RGB pixels, top row first. `offset` moves the drawing by whole pixels."""
    rows = []
    n = SUPERSAMPLE
    half = min(width, height) / 2.0
    for py in range(height):
        row = []
        for px in range(width):
            total = [0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px - offset[0] + (sx + 0.5) / n - width / 2.0) / half
                    y = (py - offset[1] + (sy + 0.5) / n - height / 2.0) / half
                    colour = BACKGROUND
                    for layer in layers:
                        painted = layer(x, y)
                        if painted is not None:
                            colour = mix(colour, painted[:3], painted[3])
                    for i in range(3):
                        total[i] += colour[i]
            row.append(tuple(int(round(v / (n * n))) for v in total))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = b""
    for row in reversed(rows):  # bottom-up
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        pixels += line + b"\x00" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


# ---- The bitmaps -------------------------------------------------------------------------------

CORNER = 40   # Help and Monitor pictures: 28 x 28 dialog units at 96 dpi hold about 42 pixels
TOP = 48      # the page top pictures: 32 dialog units wide
PRODUCT = 96

EDGE = (60, 60, 60)


def help_picture(disc_colour, pressed=False):
    layers = [shadow(0.95, 0.08, 0.1)] if not pressed else []
    layers += [disc(scale(disc_colour, 0.7), 0.9), disc(disc_colour, 0.82, shade=0.35),
               question_mark(WHITE, 1.3, 0.0, -0.04)]
    return layers


def patrol_picture(colour, pupil, accent=None, pressed=False):
    layers = [shadow(0.95, 0.08, 0.1)] if not pressed else []
    if accent:
        layers += [ring(accent, 0.8, 0.92), ring(scale(accent, 0.6), 0.92, 0.96)]
        layers += [disc(scale(colour, 0.7), 0.76), eye_disc(colour, pupil, 0.72)]
    else:
        layers += [disc(scale(colour, 0.7), 0.9), eye_disc(colour, pupil, 0.85)]
    return layers


def top_picture(kind):
    layers = [shadow(0.98, 0.07, 0.09)]
    if kind == "options":
        layers += [gear(scale(GREY, 0.75), 0.78, 0.95, 12), eye_disc(BLUE, BLUE_PUPIL, 0.74)]
    else:
        layers += [disc(scale(BLUE, 0.7), 0.92), eye_disc(BLUE, BLUE_PUPIL, 0.86)]
    if kind == "information":
        layers += [disc(WHITE, 0.36, 0.58, 0.58), ring(scale(BLUE, 0.8), 0.30, 0.36, 0.58, 0.58),
                   letter_i(scale(BLUE, 0.8), 0.3, 0.58, 0.62)]
    return layers


def product_picture():
    return [shadow(0.99, 0.06, 0.08, 0.3), ring((190, 190, 200), 0.86, 0.96),
            ring((120, 120, 135), 0.83, 0.86), disc(BLUE, 0.83, shade=0.4),
            eye_disc(BLUE, BLUE_PUPIL, 0.76), ring(REAL_TIME, 0.96, 0.99)]


# id -> (size, layers, offset); pressed states sink by one pixel.
BITMAPS = {
    133: (CORNER, help_picture(BLUE), (0, 0)),
    134: (CORNER, help_picture(HOVER_BLUE), (0, 0)),
    135: (CORNER, help_picture(PRESSED_BLUE, pressed=True), (1, 1)),
    154: (CORNER, patrol_picture(GREY, GREY_PUPIL), (0, 0)),
    155: (CORNER, patrol_picture(PRESSED_BLUE, BLUE_PUPIL, pressed=True), (1, 1)),
    156: (CORNER, patrol_picture(BLUE, BLUE_PUPIL), (0, 0)),
    193: (CORNER, patrol_picture(BLUE, BLUE_PUPIL, accent=REAL_TIME), (0, 0)),
    158: (TOP, top_picture("page"), (0, 0)),
    159: (TOP, top_picture("options"), (0, 0)),
    160: (TOP, top_picture("information"), (0, 0)),
    117: (PRODUCT, product_picture(), (0, 0)),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "resources", "bitmaps")
    os.makedirs(folder, exist_ok=True)
    for bitmap_id, (size, layers, offset) in BITMAPS.items():
        write_bmp(os.path.join(folder, "bitmap%d.bmp" % bitmap_id), render(size, size, layers, offset))


if __name__ == "__main__":
    main()
