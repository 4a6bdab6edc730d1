#!/usr/bin/env python3
"""Draws the program's icon (OrraWebServer.ico): a globe on a server box,
as 48, 32, 24 and 16 pixel images in the 16 standard colours, with a transparency
mask. Standard library only; writes next to this script."""
import math
import os
import struct

# The 16 standard VGA colours, in the usual order (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GREY, LIME, BLUE, CYAN, WHITE = 0, 4, 6, 7, 8, 10, 12, 14, 15
CLEAR = None


def pixel(x, y, size):
    """Colour index at (x, y), or CLEAR; y grows downwards."""
    s = size / 32.0
    # server box along the bottom
    top, bottom = 23 * s, 31 * s
    if top <= y < bottom and 2 * s <= x < 30 * s:
        if y < top + 1 or y >= bottom - 1 or x < 3 * s or x >= 29 * s:
            return BLACK
        if abs(y - (top + bottom) / 2) < 1.0 * s and 22 * s <= x < 26 * s:
            return LIME
        return SILVER if y < (top + bottom) / 2 else GREY
    # globe above it
    cx, cy, r = 15.5 * s, 12 * s, 11.5 * s
    dx, dy = x + 0.5 - cx - 0.5 * s, y + 0.5 - cy
    d = math.hypot(dx, dy)
    if d > r:
        return CLEAR
    if d > r - 1.2:
        return NAVY
    for k in (0.4,):
        e = (dx / (r * k)) ** 2 + (dy / r) ** 2
        if abs(e - 1) < 0.12 * (32 / size) ** 0.5:
            return WHITE
    if abs(dy) < 0.6 or abs(dx) < 0.6:
        return WHITE
    return CYAN if dx + dy < -r * 0.3 else (BLUE if d < r * 0.8 else TEAL)


def image(size):
    rows = [[pixel(x, y, size) for x in range(size)] for y in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(rows):                      # bottom-up
        nibbles = [0 if c is CLEAR else c for c in row]
        data = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(data + b"\0" * (-len(data) % 4))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        mask = bits.to_bytes(size // 8, "big")
        and_rows.append(mask + b"\0" * (-len(mask) % 4))
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def main():
    sizes = (48, 32, 24, 16)
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "OrraWebServer.ico"), "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
