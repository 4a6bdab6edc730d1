#!/usr/bin/env python3
"""Draws the control module's pictures as 16-colour files:
toolbox.bmp (16 by 15, the toolbox picture) and about.ico (48, 32, 24 and
16 pixel images, the About box icon): a small tree of three nodes joined by
lines, drawn from one 16-pixel outline at each size.
Run it from this folder; the outputs are committed next to it."""
import struct

# The standard 16-colour palette (B, G, R, 0).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0),
    (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255), (255, 0, 0),
    (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, GREY, YELLOW, BLUE, WHITE = 0, 8, 11, 12, 15


def tree_picture(w, h, bg):
    """Rows top to bottom of palette indexes: a root box with two children."""
    px = [[bg] * w for _ in range(h)]
    s = max(1.0, w / 16)  # scale of the 16-pixel drawing

    def at(v):
        return int(round(v * s))

    def box(x, y, colour):
        side = at(4)
        for dy in range(side):
            for dx in range(side):
                edge = dy in (0, side - 1) or dx in (0, side - 1)
                px[at(y) + dy][at(x) + dx] = BLACK if edge else colour

    def vline(x, y0, y1):
        for y in range(at(y0), at(y1) + 1):
            px[y][at(x)] = GREY

    def hline(y, x0, x1):
        for x in range(at(x0), at(x1)):
            px[at(y)][x] = GREY

    box(1, 1, YELLOW)
    vline(3, 5, 12)
    hline(7, 3, 8)
    hline(12, 3, 8)
    box(8, 5, BLUE)
    box(8, 10, BLUE)
    return px


def dib_4bpp(px, with_mask):
    h, w = len(px), len(px[0])
    header_h = h * 2 if with_mask else h
    out = struct.pack('<IiiHHIIiiII', 40, w, header_h, 1, 4, 0, 0, 0, 0, 16, 0)
    out += b''.join(bytes((b, g, r, 0)) for (b, g, r) in PALETTE)
    row_bytes = ((w * 4 + 31) // 32) * 4
    for row in reversed(px):
        data = bytearray(row_bytes)
        for x, c in enumerate(row):
            data[x // 2] |= c << (4 if x % 2 == 0 else 0)
        out += bytes(data)
    if with_mask:  # all opaque
        mask_bytes = ((w + 31) // 32) * 4
        out += bytes(mask_bytes * h)
    return out


def write_bmp(path, px):
    dib = dib_4bpp(px, False)
    offset = 14 + 40 + 64
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(dib), 0, 0, offset) + dib)


def write_ico(path, pictures):
    dibs = [dib_4bpp(p, True) for p in pictures]
    out = struct.pack('<HHH', 0, 1, len(dibs))
    offset = 6 + 16 * len(dibs)
    for p, d in zip(pictures, dibs):
        w, h = len(p[0]), len(p)
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 16, 0, 1, 4, len(d), offset)
        offset += len(d)
    with open(path, 'wb') as f:
        f.write(out + b''.join(dibs))


if __name__ == '__main__':
    write_bmp('toolbox.bmp', tree_picture(16, 15, 7))
    write_ico('about.ico', [tree_picture(n, n, WHITE) for n in (48, 32, 24, 16)])
