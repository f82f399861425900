#!/usr/bin/env python3
"""Writes res/icons/*.ico: the game icon, the platform icon and the application
icon, each at 16, 32 and 48 pixels in 32-bit colour with alpha. Deterministic;
standard library only. Run from anywhere: python3 tools/icons/make_icons.py"""
import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "res", "icons")
SS = 4  # supersampling per axis for smooth edges


def coverage(size, inside):
    """Alpha 0..255 of each pixel for a shape given as inside(x, y) in 0..1 units."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = 0
            for sy in range(SS):
                for sx in range(SS):
                    u = (x + (sx + 0.5) / SS) / size
                    v = (y + (sy + 0.5) / SS) / size
                    hits += inside(u, v)
            row.append(round(255 * hits / (SS * SS)))
        rows.append(row)
    return rows


def rounded_square(u, v, r=0.18, m=0.04):
    x = min(max(u, m + r), 1 - m - r)
    y = min(max(v, m + r), 1 - m - r)
    return (u - x) ** 2 + (v - y) ** 2 <= r * r and m <= u <= 1 - m and m <= v <= 1 - m


def ring_q(u, v):
    # A "Q": a ring with a tail.
    d = math.hypot(u - 0.5, v - 0.47)
    ring = 0.18 <= d <= 0.30
    tail = abs((u - 0.5) - (v - 0.5)) < 0.07 and 0.62 <= u <= 0.80 and 0.62 <= v <= 0.80
    return ring or tail


def letter_v(u, v):
    # A bold "V".
    if not (0.22 <= v <= 0.78):
        return False
    t = (v - 0.22) / 0.56
    centre_l = 0.22 + 0.26 * t
    centre_r = 0.78 - 0.26 * t
    return abs(u - centre_l) < 0.08 or abs(u - centre_r) < 0.08


def render(size, top, bottom, glyph):
    body = coverage(size, rounded_square)
    mark = coverage(size, glyph)
    pixels = []
    for y in range(size):
        t = y / max(size - 1, 1)
        base = tuple(round(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
        for x in range(size):
            a = body[y][x]
            g = mark[y][x] / 255
            r, gg, b = (round(base[i] + (255 - base[i]) * g) for i in range(3))
            pixels.append((r, gg, b, a))
    return pixels


def bmp_entry(size, pixels):
    """One icon image in the classic DIB form: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if pixels[y * size + x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_ico(path, top, bottom, glyph):
    images = [(s, bmp_entry(s, render(s, top, bottom, glyph))) for s in (16, 32, 48)]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_ico(os.path.join(OUT, "game.ico"), (40, 120, 220), (10, 50, 130), ring_q)
    write_ico(os.path.join(OUT, "platform.ico"), (250, 150, 40), (200, 70, 10), letter_v)
    write_ico(os.path.join(OUT, "app.ico"), (30, 100, 200), (12, 40, 110), ring_q)


if __name__ == "__main__":
    main()
