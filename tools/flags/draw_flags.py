#!/usr/bin/env python3
"""Draws the demo flag bitmaps of data/flag: simple stripes and shapes of our own design.

Run from anywhere: python3 tools/flags/draw_flags.py [output folder]
Each picture is a 24-bit uncompressed BMP, 60 by 20 pixels (the board stretches it to the cell).
The file names' letter case is deliberate: fmlist asks for "alp" and "NSK", the files are
ALP.BMP and nsk.bmp, so the lookup's case rule is exercised by the shipped data.
"""
import os
import struct
import sys

WIDTH, HEIGHT = 60, 20

NAVY = (20, 30, 90)
SKY = (120, 190, 240)
AZURE = (0, 127, 255)
WHITE = (255, 255, 255)
RED = (200, 30, 40)
GREEN = (20, 120, 60)
OCHRE = (210, 160, 40)
ORANGE = (245, 130, 20)
BLACK = (15, 15, 15)
SNOW = (235, 240, 245)
BLOSSOM = (240, 150, 180)
CEDAR = (0, 100, 70)
SAND = (225, 200, 150)
GOLD = (240, 190, 30)


def canvas(colour):
    return [[colour] * WIDTH for _ in range(HEIGHT)]


def alpina():
    # A red peak on snow under a navy sky.
    rows = canvas(NAVY)
    for y in range(8, HEIGHT):
        rows[y] = [SNOW] * WIDTH
    for y in range(3, HEIGHT):
        half = (y - 3) * 2
        for x in range(30 - half, 30 + half + 1):
            if 0 <= x < WIDTH:
                rows[y][x] = RED
    return rows


def azure():
    # Azure with two white diagonal lines.
    rows = canvas(AZURE)
    for y in range(HEIGHT):
        for offset in (10, 22):
            for x in (y + offset, y + offset + 1):
                rows[y][x] = WHITE
    return rows


def terra():
    # Green, ochre and navy bands from top to bottom.
    rows = canvas(GREEN)
    for y in range(7, 13):
        rows[y] = [OCHRE] * WIDTH
    for y in range(13, HEIGHT):
        rows[y] = [NAVY] * WIDTH
    return rows


def nordic():
    # Navy with a sky-blue band and a white disc.
    rows = canvas(NAVY)
    for y in range(8, 12):
        rows[y] = [SKY] * WIDTH
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if (x - 44) ** 2 + (y - 10) ** 2 <= 16:
                rows[y][x] = WHITE
    return rows


def corvina():
    # Orange with a black chevron pointing right.
    rows = canvas(ORANGE)
    for y in range(HEIGHT):
        tip = 20 + (10 - abs(y - 10)) * 2
        for x in range(tip - 6, tip):
            rows[y][x] = BLACK
    return rows


def sakura():
    # Navy with a blossom-pink disc ringed in white, near the hoist.
    rows = canvas(NAVY)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            distance = (x - 16) ** 2 + (y - 10) ** 2
            if distance <= 49:
                rows[y][x] = BLOSSOM
            elif distance <= 72:
                rows[y][x] = WHITE
    return rows


def cedar():
    # Sand with a cedar-green triangle standing on a green band.
    rows = canvas(SAND)
    for y in range(16, HEIGHT):
        rows[y] = [CEDAR] * WIDTH
    for y in range(2, 16):
        half = (y - 2) * 3 // 2
        for x in range(30 - half, 30 + half + 1):
            rows[y][x] = CEDAR
    return rows


def meridian():
    # White, crossed by a navy parallel and a red meridian.
    rows = canvas(WHITE)
    for y in range(8, 12):
        rows[y] = [NAVY] * WIDTH
    for y in range(HEIGHT):
        for x in range(20, 24):
            rows[y][x] = RED
    return rows


def savanna():
    # Gold over green, split by a black diagonal.
    rows = canvas(GOLD)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            edge = 15 + y * 2
            if x > edge + 3:
                rows[y][x] = GREEN
            elif x >= edge:
                rows[y][x] = BLACK
    return rows


def bmp_bytes(rows):
    stride = (WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info_header + bytes(pixels)


PICTURES = {
    "ALP.BMP": alpina,
    "AZL.bmp": azure,
    "TAT.bmp": terra,
    "nsk.bmp": nordic,
    "CVX.bmp": corvina,
    "SKP.bmp": sakura,
    "CDR.bmp": cedar,
    "MRD.bmp": meridian,
    "SVA.bmp": savanna,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data", "flag")
    os.makedirs(folder, exist_ok=True)
    for name, draw in PICTURES.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(bmp_bytes(draw()))


if __name__ == "__main__":
    main()
