#!/usr/bin/env python3
"""Draws the About box's 344 x 344 picture: a QR code (version 4, error
correction level M, byte mode) carrying the program's name and version, and
writes it as about-qr.png beside this script. Standard library only; run it
again after changing the text.

Layout: 33 x 33 modules of 8 x 8 pixels with a quiet zone of 5 modules on
every side (33 * 8 + 2 * 40 = 344)."""
import os
import struct
import zlib

TEXT = "QUORIX_NET_CHECK 1.0 网络质量检测"
VERSION = 4
SIZE = 17 + 4 * VERSION          # modules per side
DATA_CODEWORDS = 64              # version 4-M: two blocks of 32 data codewords
BLOCKS = 2
EC_PER_BLOCK = 18                # ... each with 18 error correction codewords
EC_LEVEL_BITS = 0                # level M in the format information
ALIGNMENT_CENTRES = [6, 26]
MODULE_PIXELS = 8
MARGIN_PIXELS = 40
IMAGE_PIXELS = SIZE * MODULE_PIXELS + 2 * MARGIN_PIXELS
DARK = (0x1B, 0x2A, 0x49)
LIGHT = (0xFF, 0xFF, 0xFF)


# --- Reed-Solomon over GF(256) with the polynomial 0x11D ---------------------

def gf_multiply(x, y):
    z = 0
    for i in reversed(range(8)):
        z = (z << 1) ^ ((z >> 7) * 0x11D)
        z ^= ((y >> i) & 1) * x
    return z


def rs_divisor(degree):
    """Coefficients of prod(x - 2^i), i < degree, highest power first (its leading 1 left out)."""
    result = [0] * (degree - 1) + [1]
    root = 1
    for _ in range(degree):
        for j in range(degree):
            result[j] = gf_multiply(result[j], root)
            if j + 1 < degree:
                result[j] ^= result[j + 1]
        root = gf_multiply(root, 0x02)
    return result


def rs_remainder(data, divisor):
    result = [0] * len(divisor)
    for byte in data:
        factor = byte ^ result.pop(0)
        result.append(0)
        for i, coefficient in enumerate(divisor):
            result[i] ^= gf_multiply(coefficient, factor)
    return result


# --- Codewords ----------------------------------------------------------------

def data_codewords(payload):
    capacity_bits = DATA_CODEWORDS * 8
    bits = []

    def append(value, length):
        bits.extend((value >> i) & 1 for i in reversed(range(length)))

    append(0b0100, 4)               # byte mode
    append(len(payload), 8)         # character count (versions 1 to 9)
    for byte in payload:
        append(byte, 8)
    if len(bits) > capacity_bits:
        raise SystemExit("text too long for version 4-M: %d bytes" % len(payload))
    append(0, min(4, capacity_bits - len(bits)))  # terminator
    append(0, (-len(bits)) % 8)
    codewords = [int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8)]
    pad = 0xEC
    while len(codewords) < DATA_CODEWORDS:
        codewords.append(pad)
        pad ^= 0xEC ^ 0x11
    return codewords


def interleaved_codewords(data):
    per_block = DATA_CODEWORDS // BLOCKS
    divisor = rs_divisor(EC_PER_BLOCK)
    blocks = [data[i * per_block:(i + 1) * per_block] for i in range(BLOCKS)]
    ec = [rs_remainder(block, divisor) for block in blocks]
    result = []
    for i in range(per_block):
        result.extend(block[i] for block in blocks)
    for i in range(EC_PER_BLOCK):
        result.extend(block[i] for block in ec)
    return result


# --- Module matrix ------------------------------------------------------------

class Matrix:
    def __init__(self):
        self.dark = [[False] * SIZE for _ in range(SIZE)]
        self.function = [[False] * SIZE for _ in range(SIZE)]

    def set_function(self, x, y, dark):
        self.dark[y][x] = dark
        self.function[y][x] = True

    def draw_function_patterns(self):
        for i in range(SIZE):
            self.set_function(6, i, i % 2 == 0)
            self.set_function(i, 6, i % 2 == 0)
        for cx, cy in ((3, 3), (SIZE - 4, 3), (3, SIZE - 4)):
            for dy in range(-4, 5):
                for dx in range(-4, 5):
                    x, y = cx + dx, cy + dy
                    if 0 <= x < SIZE and 0 <= y < SIZE:
                        self.set_function(x, y, max(abs(dx), abs(dy)) not in (2, 4))
        last = len(ALIGNMENT_CENTRES) - 1
        for i, cy in enumerate(ALIGNMENT_CENTRES):
            for j, cx in enumerate(ALIGNMENT_CENTRES):
                if (i, j) in ((0, 0), (0, last), (last, 0)):
                    continue  # under a finder pattern
                for dy in range(-2, 3):
                    for dx in range(-2, 3):
                        self.set_function(cx + dx, cy + dy, max(abs(dx), abs(dy)) != 1)
        self.draw_format_bits(0)  # reserves the format areas

    def draw_format_bits(self, mask):
        data = EC_LEVEL_BITS << 3 | mask
        remainder = data
        for _ in range(10):
            remainder = (remainder << 1) ^ ((remainder >> 9) * 0x537)
        bits = (data << 10 | remainder) ^ 0x5412

        def bit(i):
            return (bits >> i) & 1 == 1

        for i in range(6):
            self.set_function(8, i, bit(i))
        self.set_function(8, 7, bit(6))
        self.set_function(8, 8, bit(7))
        self.set_function(7, 8, bit(8))
        for i in range(9, 15):
            self.set_function(14 - i, 8, bit(i))
        for i in range(8):
            self.set_function(SIZE - 1 - i, 8, bit(i))
        for i in range(8, 15):
            self.set_function(8, SIZE - 15 + i, bit(i))
        self.set_function(8, SIZE - 8, True)  # the dark module

    def draw_codewords(self, codewords):
        total_bits = len(codewords) * 8
        i = 0
        right = SIZE - 1
        while right >= 1:
            if right == 6:
                right = 5  # the vertical timing pattern
            upward = ((right + 1) & 2) == 0
            for vertical in range(SIZE):
                y = SIZE - 1 - vertical if upward else vertical
                for x in (right, right - 1):
                    if not self.function[y][x] and i < total_bits:
                        self.dark[y][x] = (codewords[i >> 3] >> (7 - (i & 7))) & 1 == 1
                        i += 1
            right -= 2
        assert i == total_bits

    def apply_mask(self, mask):
        conditions = [
            lambda x, y: (x + y) % 2 == 0,
            lambda x, y: y % 2 == 0,
            lambda x, y: x % 3 == 0,
            lambda x, y: (x + y) % 3 == 0,
            lambda x, y: (x // 3 + y // 2) % 2 == 0,
            lambda x, y: x * y % 2 + x * y % 3 == 0,
            lambda x, y: (x * y % 2 + x * y % 3) % 2 == 0,
            lambda x, y: ((x + y) % 2 + x * y % 3) % 2 == 0,
        ]
        for y in range(SIZE):
            for x in range(SIZE):
                if not self.function[y][x] and conditions[mask](x, y):
                    self.dark[y][x] = not self.dark[y][x]

    def penalty(self):
        score = 0
        lines = [row[:] for row in self.dark] + [[self.dark[y][x] for y in range(SIZE)] for x in range(SIZE)]
        for line in lines:
            run = 1
            for i in range(1, SIZE + 1):
                if i < SIZE and line[i] == line[i - 1]:
                    run += 1
                    continue
                if run >= 5:
                    score += run - 2
                run = 1
            padded = [False] * 4 + line + [False] * 4
            for i in range(len(padded) - 10):
                window = padded[i:i + 11]
                if window in (FINDER_LIKE_BEFORE, FINDER_LIKE_AFTER):
                    score += 40
        for y in range(SIZE - 1):
            for x in range(SIZE - 1):
                colour = self.dark[y][x]
                if colour == self.dark[y][x + 1] == self.dark[y + 1][x] == self.dark[y + 1][x + 1]:
                    score += 3
        dark = sum(map(sum, self.dark))
        total = SIZE * SIZE
        score += max(0, (abs(dark * 20 - total * 10) + total - 1) // total - 1) * 10
        return score


_ = False
X = True
FINDER_LIKE_BEFORE = [X, _, X, X, X, _, X, _, _, _, _]
FINDER_LIKE_AFTER = [_, _, _, _, X, _, X, X, X, _, X]


def qr_matrix(payload):
    codewords = interleaved_codewords(data_codewords(payload))
    best = None
    for mask in range(8):
        matrix = Matrix()
        matrix.draw_function_patterns()
        matrix.draw_codewords(codewords)
        matrix.apply_mask(mask)
        matrix.draw_format_bits(mask)
        score = matrix.penalty()
        if best is None or score < best[0]:
            best = (score, matrix)
    return best[1]


# --- PNG ----------------------------------------------------------------------

def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def write_png(path, matrix):
    rows = []
    for py in range(IMAGE_PIXELS):
        row = bytearray([0])  # filter: none
        my = (py - MARGIN_PIXELS) // MODULE_PIXELS
        for px in range(IMAGE_PIXELS):
            mx = (px - MARGIN_PIXELS) // MODULE_PIXELS
            inside = 0 <= mx < SIZE and 0 <= my < SIZE and MARGIN_PIXELS <= px and MARGIN_PIXELS <= py
            row.append(1 if inside and matrix.dark[my][mx] else 0)
        rows.append(bytes(row))
    header = struct.pack(">IIBBBBB", IMAGE_PIXELS, IMAGE_PIXELS, 8, 3, 0, 0, 0)  # 8-bit palette
    palette = bytes(LIGHT) + bytes(DARK)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(png_chunk(b"IHDR", header))
        out.write(png_chunk(b"PLTE", palette))
        out.write(png_chunk(b"IDAT", zlib.compress(b"".join(rows), 9)))
        out.write(png_chunk(b"IEND", b""))


def main():
    matrix = qr_matrix(TEXT.encode("utf-8"))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "about-qr.png")
    write_png(path, matrix)
    print("wrote %s (%d x %d)" % (path, IMAGE_PIXELS, IMAGE_PIXELS))


if __name__ == "__main__":
    main()
