#!/usr/bin/env python3
"""Writes the bitmap fixtures of the photo tests, byte by byte.

Every file holds the same 3 x 2 picture:
    top row:    red (255,0,0)   green (0,255,0)   blue (0,0,255)
    bottom row: white           black             grey (128,128,128)
except mono1.bmp (two colours: top row white, black, white; bottom row black, white, black).
Rows are stored bottom row first unless the height is negative.
"""
import struct

TOP = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
BOTTOM = [(255, 255, 255), (0, 0, 0), (128, 128, 128)]
PALETTE = TOP + BOTTOM  # index 0..5


def file_header(total, offset):
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset)


def info_header(width, height, bpp, compression=0, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, compression, 0, 2835, 2835,
                       colours, 0)


def pad(row):
    return row + b"\0" * (-len(row) % 4)


def bitmap(header, palette, rows):
    offset = 14 + len(header) + len(palette)
    pixels = b"".join(pad(r) for r in rows)
    return file_header(offset + len(pixels), offset) + header + palette + pixels


def bgr(c):
    return bytes((c[2], c[1], c[0]))


def rgb24(top_down=False):
    rows = [b"".join(bgr(c) for c in r) for r in (TOP, BOTTOM)]
    return bitmap(info_header(3, -2 if top_down else 2, 24), b"", rows if top_down else rows[::-1])


def pal8():
    palette = b"".join(bgr(c) + b"\0" for c in PALETTE)
    return bitmap(info_header(3, 2, 8, colours=6), palette, [bytes([3, 4, 5]), bytes([0, 1, 2])])


def pal4():
    palette = b"".join(bgr(c) + b"\0" for c in PALETTE)
    return bitmap(info_header(3, 2, 4, colours=6), palette, [bytes([0x34, 0x50]), bytes([0x01, 0x20])])


def mono1():
    palette = bgr((0, 0, 0)) + b"\0" + bgr((255, 255, 255)) + b"\0"
    # bottom row black white black = 010, top row white black white = 101, high bit first
    return bitmap(info_header(3, 2, 1), palette, [bytes([0b01000000]), bytes([0b10100000])])


def rgb16():
    def p(c):
        return struct.pack("<H", (c[0] >> 3) << 10 | (c[1] >> 3) << 5 | c[2] >> 3)
    rows = [b"".join(p(c) for c in r) for r in (BOTTOM, TOP)]
    return bitmap(info_header(3, 2, 16), b"", rows)


def rgb32_bitfields():
    masks = struct.pack("<III", 0x0000FF00, 0x00FF0000, 0xFF000000)  # red, green, blue
    def p(c):
        return struct.pack("<I", c[0] << 8 | c[1] << 16 | c[2] << 24)
    rows = [b"".join(p(c) for c in r) for r in (BOTTOM, TOP)]
    return bitmap(info_header(3, 2, 32, compression=3), masks, rows)


def core8():
    header = struct.pack("<IHHHH", 12, 3, 2, 1, 8)
    # this old header has no colour count: the table always has 256 entries
    palette = b"".join(bgr(c) for c in PALETTE) + b"\0" * 3 * (256 - len(PALETTE))
    return bitmap(header, palette, [bytes([3, 4, 5]), bytes([0, 1, 2])])


for name, data in [("rgb24.bmp", rgb24()), ("rgb24_topdown.bmp", rgb24(True)), ("pal8.bmp", pal8()),
                   ("pal4.bmp", pal4()), ("mono1.bmp", mono1()), ("rgb16.bmp", rgb16()),
                   ("rgb32_bitfields.bmp", rgb32_bitfields()), ("core8.bmp", core8())]:
    with open(name, "wb") as f:
        f.write(data)
