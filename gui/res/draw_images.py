#!/usr/bin/env python3
"""Draws the sheet's 16-pixel images as PNG files from the pixel maps below.

Pure red is the mask colour: those pixels are transparent once the image list is built.
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


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, rows in (("bitmap250.png", STATION), ("bitmap251.png", BLOCK)):
        assert all(len(row) == 16 for row in rows) and len(rows) == 16
        with open(os.path.join(here, name), "wb") as out:
            out.write(png(rows))


if __name__ == "__main__":
    main()
