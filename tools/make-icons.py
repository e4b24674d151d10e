#!/usr/bin/env python3
"""Draws the programs' icons (a watchful eye on a coloured disc) as .ico files with 16, 32 and
48 pixel images. The icons are committed; run this again only to change them."""
import math
import os
import struct
import sys

# Icon id -> (disc colour, pupil colour). The tray states differ in colour only.
ICONS = {
    101: ((30, 110, 200), (20, 40, 80)),     # program and idle tray icon
    159: ((120, 120, 120), (40, 40, 40)),    # the older tray icon
    157: ((40, 170, 110), (20, 60, 40)),     # patrolling the startup half
    158: ((40, 150, 230), (20, 40, 80)),     # reviewing
    161: ((230, 140, 20), (90, 40, 0)),      # alert in progress
    162: ((200, 170, 40), (80, 60, 10)),     # the ActiveX alert (the ActiveX tab's colours)
    115: ((170, 170, 170), (200, 30, 30)),   # file not found
    167: ((200, 60, 160), (60, 20, 50)),
    173: ((90, 90, 200), (30, 30, 80)),
    174: ((30, 110, 200), (20, 40, 80)),
    175: ((60, 170, 120), (20, 60, 40)),
    176: ((200, 80, 60), (70, 20, 10)),
    179: ((150, 110, 60), (60, 40, 10)),
    180: ((60, 140, 200), (10, 50, 80)),
    181: ((110, 110, 110), (30, 30, 30)),
    182: ((140, 90, 200), (50, 20, 80)),
    183: ((180, 140, 70), (70, 50, 20)),
    198: ((100, 100, 160), (30, 30, 60)),
    200: ((70, 160, 160), (20, 60, 60)),
    212: ((200, 170, 40), (80, 60, 10)),
}


def pixel(size, x, y, disc, pupil):
    """RGBA of one pixel: disc, white eye, coloured iris and dark pupil, anti-aliased edges."""
    c = (size - 1) / 2.0
    dx, dy = (x - c) / (size / 2.0), (y - c) / (size / 2.0)
    r = math.hypot(dx, dy)
    alpha = max(0.0, min(1.0, (0.98 - r) * size / 2.0))
    if alpha <= 0:
        return (0, 0, 0, 0)
    colour = disc
    # Almond-shaped eye: inside two arcs.
    if abs(dx) < 0.78 and abs(dy) < 0.46 * math.cos(dx / 0.78 * math.pi / 2):
        colour = (250, 250, 250)
        ri = math.hypot(dx, dy)
        if ri < 0.30:
            colour = tuple(min(255, int(v * 0.6 + 60)) for v in disc)
        if ri < 0.15:
            colour = pupil
    return colour + (int(alpha * 255),)


def image(size, disc, pupil):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(size):
            r, g, b, a = pixel(size, x, y, disc, pupil)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\x00" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask),
                         0, 0, 0, 0)
    return header + xor + and_mask


def write_icon(path, disc, pupil):
    sizes = (16, 32, 48)
    images = [image(s, disc, pupil) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "icons")
    os.makedirs(folder, exist_ok=True)
    for icon_id, (disc, pupil) in ICONS.items():
        write_icon(os.path.join(folder, "icon%d.ico" % icon_id), disc, pupil)


if __name__ == "__main__":
    main()
