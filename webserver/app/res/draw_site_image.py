#!/usr/bin/env python3
"""Draws the sample site's picture (examples/site/orra.png): a 96x96 globe
with two meridians, as a plain RGBA PNG. Standard library only."""
import math
import os
import struct
import sys
import zlib

SIZE = 96


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    r = SIZE / 2 - 4
    dx, dy = x - cx, y - cy
    d = math.hypot(dx, dy)
    if d > r + 1:
        return (0, 0, 0, 0)
    if d > r - 2:                      # rim
        return (20, 60, 120, 255)
    # meridians (ellipses) and the equator
    for k in (0.35, 0.75):
        e = (dx / (r * k)) ** 2 + (dy / r) ** 2
        if abs(e - 1) < 0.06:
            return (240, 240, 255, 255)
    if abs(dy) < 1.2:
        return (240, 240, 255, 255)
    shade = int(150 + 80 * (1 - d / r))
    return (30, shade // 2 + 40, shade, 255)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "../../../examples/site/orra.png")
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    with open(out, "wb") as f:
        f.write(png(SIZE, SIZE, rows))


if __name__ == "__main__":
    main()
