#!/usr/bin/env python3
"""Draws the program's 32 x 32 icon (a rounded tile with three rising signal
bars and a latency pulse) and writes it as quorix-net-check.png beside this
script. Standard library only; run it again after changing the drawing."""
import os
import struct
import zlib

SIZE = 32
SUPERSAMPLE = 4


def inside_rounded_square(x, y, size, radius):
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    qx, qy = ax + t * dx, ay + t * dy
    return ((px - qx) ** 2 + (py - qy) ** 2) ** 0.5


BARS = [(7.0, 20.0), (13.0, 15.0), (19.0, 10.0)]  # left edge, top; bars end at y = 26
BAR_WIDTH = 4.5
PULSE = [(4.0, 9.0), (9.0, 9.0), (11.5, 4.5), (14.5, 12.5), (16.5, 7.5), (28.0, 7.5)]


def sample(x, y):
    """Colour (r, g, b, a) of the point (x, y) in icon pixels."""
    if not inside_rounded_square(x, y, SIZE, 6.0):
        return (0, 0, 0, 0)
    t = y / SIZE  # top-to-bottom gradient, deep blue to teal
    base = (int(21 + (0 - 21) * t), int(101 + (137 - 101) * t), int(192 + (123 - 192) * t), 255)
    for left, top in BARS:
        if left <= x <= left + BAR_WIDTH and top <= y <= 26.0:
            return (255, 255, 255, 255)
    for (ax, ay), (bx, by) in zip(PULSE, PULSE[1:]):
        if distance_to_segment(x, y, ax, ay, bx, by) <= 1.1:
            return (255, 213, 79, 255)
    return base


def render():
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter type: none
        for px in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    r, g, b, a = sample(px + (sx + 0.5) / SUPERSAMPLE, py + (sy + 0.5) / SUPERSAMPLE)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (SUPERSAMPLE * SUPERSAMPLE)
            if acc[3]:
                row += bytes([round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3])])
            else:
                row += bytes([0, 0, 0])
            row.append(round(alpha))
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(render(), 9)) + chunk(b"IEND", b"")
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "quorix-net-check.png")
    with open(target, "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main()
