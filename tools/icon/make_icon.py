#!/usr/bin/env python3
"""Draws the program icon (resources/tavrin.ico): a lens in a rounded square, at 16, 24, 32
and 48 pixels, as 32-bit DIB images. Deterministic: the same bytes on every run."""

import math
import struct
import sys

SIZES = (16, 24, 32, 48)
BACKGROUND = (0x2B, 0x31, 0x3A)  # graphite, as the panels
RING = (0x3B, 0x9C, 0xE0)        # the accent blue
LENS = (0x10, 0x14, 0x1A)
GLINT = (0xF2, 0xF5, 0xF8)


def coverage(inside, x, y, samples=4):
    """Share of pixel (x, y) for which inside(px, py) holds, for smooth edges."""
    hits = 0
    for i in range(samples):
        for j in range(samples):
            if inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples):
                hits += 1
    return hits / (samples * samples)


def blend(under, over, alpha):
    return tuple(round(u + (o - u) * alpha) for u, o in zip(under, over))


def draw(size):
    """Rows top to bottom of (r, g, b, a)."""
    c = size / 2.0
    radius = size * 0.22  # corner radius of the square

    def in_square(px, py):
        dx = max(abs(px - c) - (c - radius), 0)
        dy = max(abs(py - c) - (c - radius), 0)
        return dx * dx + dy * dy <= radius * radius

    def within(r):
        return lambda px, py: (px - c) ** 2 + (py - c) ** 2 <= r * r

    ring_outer, ring_inner, glint = size * 0.36, size * 0.26, size * 0.08
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            alpha = coverage(in_square, x, y)
            color = BACKGROUND
            color = blend(color, RING, coverage(within(ring_outer), x, y))
            color = blend(color, LENS, coverage(within(ring_inner), x, y))
            gx, gy = c - size * 0.09, c - size * 0.09
            color = blend(color, GLINT,
                          coverage(lambda px, py: (px - gx) ** 2 + (py - gy) ** 2 <= glint * glint, x, y))
            row.append(color + (round(alpha * 255),))
        rows.append(row)
    return rows


def dib(size, rows):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def icon():
    images = [dib(s, draw(s)) for s in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(SIZES)))
    offset = 6 + 16 * len(SIZES)
    for s, image in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


if __name__ == '__main__':
    target = sys.argv[1] if len(sys.argv) > 1 else 'resources/tavrin.ico'
    with open(target, 'wb') as f:
        f.write(icon())
