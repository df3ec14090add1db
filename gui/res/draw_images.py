#!/usr/bin/env python3
"""Draws the program's images as PNG files: the sheet's 16-pixel images from the pixel maps
below, the 32-pixel operation mode icons and the 10-pixel module LEDs from shapes.

In the 16-pixel images pure red is the mask colour: those pixels are transparent once the
image list is built. The icons and LEDs carry their own transparency.
Run it from any folder; it writes next to itself. Only the standard library is used.
"""
import os
import struct
import zlib

PALETTE = {
    "r": (255, 0, 0),      # mask
    "k": (32, 32, 40),     # outline
    "g": (150, 156, 168),  # housing
    "l": (208, 212, 220),  # housing light
    "d": (96, 100, 112),   # housing dark
    "G": (40, 200, 70),    # run lamp
    "Y": (250, 200, 40),   # lamp
    "b": (40, 90, 190),    # block header
    "B": (120, 160, 230),  # block header light
    "w": (250, 250, 250),  # paper
    "s": (170, 175, 185),  # text lines
}

# Image 0 of the sheet list: a station, a controller rack with a lamp and a cable.
STATION = [
    "rrrrrrrrrrrrrrrr",
    "rkkkkkkkkkkkkkrr",
    "rklllllllllllkrr",
    "rklGGlYYlddddkrr",
    "rklGGlYYlddddkrr",
    "rkgggggggggggkrr",
    "rkgdgdgdgdgdgkrr",
    "rkgdgdgdgdgdgkrr",
    "rkgdgdgdgdgdgkrr",
    "rkgggggggggggkrr",
    "rkgllllllllllkrr",
    "rkkkkkkkkkkkkkrr",
    "rrrrrrkkkrrrrrrr",
    "rrrrrrrkrrrrrrrr",
    "rrkkkkkkkkkkkrrr",
    "rrrrrrrrrrrrrrrr",
]

# Image 1: a program block, a sheet with a coloured header and code lines.
BLOCK = [
    "rrrrrrrrrrrrrrrr",
    "rrkkkkkkkkkkkrrr",
    "rrkbbbbbbbbbkrrr",
    "rrkbBBBBBBBbkrrr",
    "rrkbbbbbbbbbkrrr",
    "rrkwwwwwwwwwkrrr",
    "rrkwssssswwwkrrr",
    "rrkwwwwwwwwwkrrr",
    "rrkwsssssssskrrr",
    "rrkwwwwwwwwwkrrr",
    "rrkwssswwwwwkrrr",
    "rrkwwwwwwwwwkrrr",
    "rrkwsssssswwkrrr",
    "rrkwwwwwwwwwkrrr",
    "rrkkkkkkkkkkkrrr",
    "rrrrrrrrrrrrrrrr",
]


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(rows):
    width, height = len(rows[0]), len(rows)
    raw = b"".join(b"\x00" + b"".join(bytes(PALETTE[c]) for c in row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def png_rgba(pixels):
    """A PNG with alpha from rows of (r, g, b, a) tuples."""
    width, height = len(pixels[0]), len(pixels)
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour)


def lamp(size, colour, symbol=None):
    """A round lamp of `size` pixels: a dark rim, the colour lighter towards the top left,
    and an optional white symbol drawn by symbol(x, y) in the unit square."""
    centre = (size - 1) / 2.0
    radius = size / 2.0 - 0.3
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - centre, y - centre
            distance = (dx * dx + dy * dy) ** 0.5
            if distance > radius:
                row.append((0, 0, 0, 0))
                continue
            alpha = 255 if distance < radius - 0.7 else 160
            if distance > radius - max(1.0, size / 16.0):
                row.append(shade(colour, 0.45) + (alpha,))
                continue
            light = 1.25 - 0.35 * ((dx + dy) / (2 * radius) + 0.5)
            pixel = shade(colour, light)
            if symbol is not None and symbol((x + 0.5) / size, (y + 0.5) / size):
                pixel = (250, 250, 250)
            row.append(pixel + (255,))
        rows.append(row)
    return rows


def play(x, y):
    """A triangle pointing right: running."""
    return 0.36 <= x <= 0.72 and abs(y - 0.5) <= (0.72 - x) * 0.62


def square(x, y):
    """A filled square: stopped."""
    return 0.32 <= x <= 0.68 and 0.32 <= y <= 0.68


def pause(x, y):
    """Two bars: halted."""
    return 0.30 <= y <= 0.70 and (0.31 <= x <= 0.44 or 0.56 <= x <= 0.69)


def question(x, y):
    """A question mark: mode unknown."""
    ring = ((x - 0.5) ** 2 + (y - 0.38) ** 2) ** 0.5
    hook = 0.09 <= ring - 0.07 <= 0.11 and not (x < 0.5 and y > 0.38)
    stem = 0.45 <= x <= 0.55 and 0.50 <= y <= 0.62
    dot = 0.45 <= x <= 0.55 and 0.68 <= y <= 0.77
    return hook or stem or dot


GREEN = (40, 190, 70)
YELLOW = (245, 200, 30)
RED = (225, 40, 40)
ORANGE = (240, 130, 20)
GREY = (150, 154, 162)

# The operation mode icons: 200 STOP (and FAULT), 201 RUN, 202 unknown, 203 HALT.
ICONS = {
    "icon200.png": (YELLOW, square),
    "icon201.png": (GREEN, play),
    "icon202.png": (GREY, question),
    "icon203.png": (ORANGE, pause),
}

# The module LEDs: 254 off, 255 red, 256 green, 257 yellow.
LEDS = {
    "bitmap254.png": (110, 112, 118),
    "bitmap255.png": RED,
    "bitmap256.png": GREEN,
    "bitmap257.png": YELLOW,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    images = [("bitmap250.png", png(STATION)), ("bitmap251.png", png(BLOCK))]
    assert all(len(row) == 16 for row in STATION + BLOCK)
    images += [(name, png_rgba(lamp(32, colour, symbol)))
               for name, (colour, symbol) in ICONS.items()]
    images += [(name, png_rgba(lamp(10, colour))) for name, colour in LEDS.items()]
    for name, data in images:
        with open(os.path.join(here, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
