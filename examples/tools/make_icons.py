#!/usr/bin/env python3
"""Draws the sample tree's icons with the standard library only: each file
holds 16, 24, 32 and 48 pixel images (32-bit, with transparency) of one
shape, drawn from the same outline at each size.

Run from anywhere: writes the .ico files into examples/site/. It lives
outside the site so that the server never publishes it."""
import os
import struct

SIZES = (16, 24, 32, 48)


def shape_pixels(shape, colour, size):
    """Rows bottom-up as BGRA bytes; transparent outside the shape. The
    outlines are given on a 16-pixel grid; (u, v) is a pixel's centre there."""
    r, g, b = colour
    rows = []
    for py in range(size - 1, -1, -1):
        row = bytearray()
        for px in range(size):
            x = (px + 0.5) * 16 / size - 0.5
            y = (py + 0.5) * 16 / size - 0.5
            inside = {
                "square": 1.5 <= x <= 13.5 and 1.5 <= y <= 13.5,
                "circle": (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 36,
                "diamond": abs(x - 7.5) + abs(y - 7.5) <= 7,
                "bar": 0.5 <= x <= 14.5 and 4.5 <= y <= 10.5,
                "triangle": y >= 1.5 and abs(x - 7.5) <= (y - 1) / 2 and y <= 14.5,
            }[shape]
            edge = inside and (px in (0, size - 1) or py in (0, size - 1))
            if inside:
                shade = 0.6 if edge else 1.0
                row += bytes((int(b * shade), int(g * shade), int(r * shade), 255))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(bytes(row))
    return b"".join(rows)


def image(shape, colour, size):
    xor = shape_pixels(shape, colour, size)
    # All clear: the alpha channel carries transparency. Rows padded to 32 bits.
    and_mask = bytes((size + 31) // 32 * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def ico(shape, colour):
    images = [image(shape, colour, size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + b"".join(images)


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
