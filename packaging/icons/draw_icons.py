#!/usr/bin/env python3
"""Draws the Vexal icon: a controller module with three status LEDs on a blue tile.

One list of shapes gives both files: vexal.svg (scalable) and vexal-48.png (48 px, drawn
here with 4x4 supersampling, no imaging library needed). Run it after changing a shape:
    python3 packaging/icons/draw_icons.py
"""
import os
import struct
import zlib

SIZE = 48
HERE = os.path.dirname(os.path.abspath(__file__))

# (kind, geometry, colour); coordinates on a 48 x 48 canvas, painted in order.
SHAPES = [
    ("rect", (2, 2, 44, 44, 9), "#1d4f7c"),      # tile
    ("rect", (11, 7, 26, 34, 3), "#e9edf1"),      # module housing
    ("rect", (11, 7, 26, 6, 3), "#54606b"),       # upper terminal strip
    ("rect", (11, 35, 26, 6, 3), "#54606b"),      # lower terminal strip
    ("rect", (14, 9, 3, 2, 0), "#c9d1d8"),        # terminals
    ("rect", (19, 9, 3, 2, 0), "#c9d1d8"),
    ("rect", (24, 9, 3, 2, 0), "#c9d1d8"),
    ("rect", (29, 9, 3, 2, 0), "#c9d1d8"),
    ("rect", (14, 37, 3, 2, 0), "#c9d1d8"),
    ("rect", (19, 37, 3, 2, 0), "#c9d1d8"),
    ("rect", (24, 37, 3, 2, 0), "#c9d1d8"),
    ("rect", (29, 37, 3, 2, 0), "#c9d1d8"),
    ("circle", (17, 18, 2.6), "#2fb344"),         # RUN
    ("circle", (17, 24, 2.6), "#f2b01e"),         # STOP / maintenance
    ("circle", (17, 30, 2.6), "#d63b2f"),         # fault
    ("rect", (23, 16, 11, 2, 1), "#9aa6b1"),      # label lines
    ("rect", (23, 22, 8, 2, 1), "#9aa6b1"),
    ("rect", (23, 28, 10, 2, 1), "#9aa6b1"),
]


def svg():
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" '
             'viewBox="0 0 48 48">']
    for kind, g, colour in SHAPES:
        if kind == "rect":
            x, y, w, h, r = g
            parts.append(f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" '
                         f'fill="{colour}"/>')
        else:
            cx, cy, r = g
            parts.append(f'  <circle cx="{cx}" cy="{cy}" r="{r}" fill="{colour}"/>')
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def inside(kind, g, x, y):
    if kind == "circle":
        cx, cy, r = g
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    rx, ry, w, h, r = g
    if not (rx <= x <= rx + w and ry <= y <= ry + h):
        return False
    # Rounded corners: the point must lie within r of the inner rectangle.
    nx = min(max(x, rx + r), rx + w - r)
    ny = min(max(y, ry + r), ry + h - r)
    return (x - nx) ** 2 + (y - ny) ** 2 <= r * r


def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def pixel(px, py, samples=4):
    total = [0.0, 0.0, 0.0, 0.0]
    for sy in range(samples):
        for sx in range(samples):
            x = px + (sx + 0.5) / samples
            y = py + (sy + 0.5) / samples
            colour = None
            for kind, g, c in SHAPES:
                if inside(kind, g, x, y):
                    colour = c
            if colour:
                r, gr, b = rgb(colour)
                total[0] += r
                total[1] += gr
                total[2] += b
                total[3] += 1
    n = samples * samples
    if total[3] == 0:
        return (0, 0, 0, 0)
    # Straight (not premultiplied) alpha: average the covered samples' colour.
    return (round(total[0] / total[3]), round(total[1] / total[3]), round(total[2] / total[3]),
            round(255 * total[3] / n))


def png():
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(SIZE))
                    for y in range(SIZE))

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    with open(os.path.join(HERE, "vexal.svg"), "w") as f:
        f.write(svg())
    with open(os.path.join(HERE, "vexal-48.png"), "wb") as f:
        f.write(png())
