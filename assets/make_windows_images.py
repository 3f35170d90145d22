#!/usr/bin/env python3
"""Turns the program's PNG images into the forms a Windows resource file takes:
the 32 x 32 icon into an .ico (32-bit colour with its alpha channel) and the
About box's QR picture into a 256-colour .bmp. Standard library only; the
Windows build runs it.

Usage: make_windows_images.py ICON.png QR.png OUT.ico OUT.bmp"""
import struct
import sys
import zlib


def read_png(path):
    """Width, height and rows of (r, g, b, a) pixels, plus the palette (or
    None) and the rows of palette indices for an 8-bit palette image. Handles
    the non-interlaced 8-bit colour types 2, 3 and 6."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError(path + ': not a PNG file')
    pos, chunks, idat = 8, {}, b''
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IDAT':
            idat += body
        else:
            chunks[kind] = body
    width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', chunks[b'IHDR'])
    if depth != 8 or interlace != 0 or colour not in (2, 3, 6):
        raise ValueError(path + ': only non-interlaced 8-bit RGB, RGBA or palette images')
    channels = {2: 3, 3: 1, 6: 4}[colour]
    stride = width * channels
    raw = zlib.decompress(idat)
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            up_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else up_left)
                line[i] = (line[i] + predictor) & 0xFF
        rows.append(bytes(line))
        previous = line
    palette = None
    if colour == 3:
        plte = chunks[b'PLTE']
        palette = [tuple(plte[i:i + 3]) for i in range(0, len(plte), 3)]
    return width, height, channels, rows, palette


def write_icon(png, out):
    width, height, channels, rows, palette = read_png(png)
    if channels != 4:
        raise ValueError(png + ': the icon needs an alpha channel')
    # The image bottom row first, BGRA, then a 1-bit AND mask (all shown:
    # the alpha channel decides), rows padded to 32 bits.
    pixels = b''.join(bytes(b for i in range(0, len(row), 4) for b in (row[i + 2], row[i + 1], row[i], row[i + 3]))
                      for row in reversed(rows))
    mask = bytes(((width + 31) // 32) * 4 * height)
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0, 1, 32,
                                                            len(image), 6 + 16)
    with open(out, 'wb') as f:
        f.write(directory + image)


def write_bitmap(png, out):
    width, height, channels, rows, palette = read_png(png)
    if palette is None:
        raise ValueError(png + ': the picture must be a palette image')
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette) + bytes(4 * (256 - len(palette)))
    padding = bytes((4 - width % 4) % 4)
    pixels = b''.join(row + padding for row in reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(colours)
    with open(out, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + info + colours + pixels)


if __name__ == '__main__':
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    write_icon(sys.argv[1], sys.argv[3])
    write_bitmap(sys.argv[2], sys.argv[4])
