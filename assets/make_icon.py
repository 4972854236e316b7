#!/usr/bin/env python3
"""Draws the program icon: a white mouse on a teal tile with a red recording dot.

Writes vorlune.ico (16, 32 and 48 pixels, 32-bit). Run it again after changing the drawing:
    python3 assets/make_icon.py assets/vorlune.ico
"""
import struct
import sys

TILE = (0x2B, 0x6F, 0x77)
MOUSE = (0xF4, 0xF1, 0xE8)
LINE = (0x2B, 0x6F, 0x77)
DOT = (0xE0, 0x3A, 0x3E)


def colour_at(u, v):
    """The colour and coverage of the point (u, v) of the unit square, or None outside the tile."""
    r = 0.18
    cx, cy = min(max(u, r), 1 - r), min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return None
    if (u - 0.76) ** 2 + (v - 0.24) ** 2 < 0.13 ** 2:
        return DOT
    mx, my = (u - 0.45) / 0.24, (v - 0.58) / 0.33
    if mx * mx + my * my < 1:
        if (abs(u - 0.45) < 0.025 and v < 0.5) or (abs(v - 0.5) < 0.025):
            return LINE
        return MOUSE
    return TILE


def image(size):
    n = 4
    pixels = []
    for y in range(size - 1, -1, -1):
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    if c:
                        acc[0] += c[0]; acc[1] += c[1]; acc[2] += c[2]; acc[3] += 1
            a = acc[3]
            if a:
                pixels.append(bytes((acc[2] // a, acc[1] // a, acc[0] // a, a * 255 // (n * n))))
            else:
                pixels.append(b"\0\0\0\0")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask = b"\0" * (((size + 31) // 32) * 4 * size)
    return header + b"".join(pixels) + mask


def main(path):
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
