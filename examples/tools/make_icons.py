#!/usr/bin/env python3
"""Draws the sample tree's icons (16x16, 32-bit) with the standard library only.

Run from anywhere: writes the .ico files into examples/site/. It lives
outside the site so that the server never publishes it."""
import os
import struct

SIZE = 16


def shape_pixels(shape, colour):
    """Rows bottom-up as BGRA bytes; transparent outside the shape."""
    r, g, b = colour
    rows = []
    for y in range(SIZE - 1, -1, -1):
        row = bytearray()
        for x in range(SIZE):
            inside = {
                "square": 2 <= x <= 13 and 2 <= y <= 13,
                "circle": (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 36,
                "diamond": abs(x - 7.5) + abs(y - 7.5) <= 7,
                "bar": 1 <= x <= 14 and 5 <= y <= 10,
                "triangle": y >= 2 and abs(x - 7.5) <= (y - 1) / 2 and y <= 14,
            }[shape]
            edge = inside and (x in (0, SIZE - 1) or y in (0, SIZE - 1))
            if inside:
                shade = 0.6 if edge else 1.0
                row += bytes((int(b * shade), int(g * shade), int(r * shade), 255))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(bytes(row))
    return b"".join(rows)


def ico(shape, colour):
    xor = shape_pixels(shape, colour)
    and_mask = bytes(4 * SIZE)  # 16 bits a row padded to 32: alpha carries transparency
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


ICONS = {
    "Default": ("square", (128, 128, 128)),
    "plant": ("triangle", (34, 139, 34)),
    "line": ("bar", (30, 100, 200)),
    "pump": ("circle", (200, 60, 40)),
    "sensor": ("diamond", (220, 160, 20)),
}

if __name__ == "__main__":
    site = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "site")
    for name, (shape, colour) in ICONS.items():
        with open(os.path.join(site, name + ".ico"), "wb") as f:
            f.write(ico(shape, colour))
