#!/usr/bin/python3
"""Draws the slideshow's pictures as BMP files into a folder.

    make_pictures.py FOLDER

Each picture is made of 16 x 16 areas of random pixels from one colour set, all sets
sharing the background colour (the top left pixel): a 4-colour conversion then fits the
four palettes an attribute can choose, and with 16 colours all sets are one palette.
Random pixels make almost every tile new, so the tile count decides the banks:
  nes4      128 x 96, 4 colours, one bank
  nes4tall  160 x 200, 4 colours, "No Compress": three banks, switched at rows 96 and 192
  hsl16     256 x 240, 16 colours: four banks, switched at rows 64, 128 and 192
  hsl16small 120 x 64, 16 colours, one bank
  hsl16late 256 x 240, 16 colours: 225 tiles in the first eight rows, repeats down to the
            last row, whose 32 new tiles open a second bank at row 232, below the rows
            MAME's scanline counter reaches
"""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from bmp import write_bmp  # noqa: E402

BACKGROUND = (0, 0, 0)
# Colours far apart in every console colour space, so each keeps a colour code of its own.
SETS_4 = [
    [(255, 255, 255), (200, 30, 30), (30, 30, 200)],
    [(40, 170, 40), (230, 200, 40), (120, 60, 180)],
    [(230, 130, 40), (120, 200, 230), (110, 110, 110)],
    [(250, 150, 180), (20, 100, 100), (140, 80, 20)],
]
SET_16 = [colour for colours in SETS_4 for colour in colours]

PICTURES = [("nes4", 128, 96, 4, 1), ("nes4tall", 160, 200, 4, 2), ("hsl16", 256, 240, 16, 3),
            ("hsl16small", 120, 64, 16, 4), ("hsl16late", 256, 240, 16, 5)]


def picture(width, height, colours, seed):
    rng = random.Random(seed)
    pixels = {}
    for ay in range(0, height, 16):
        for ax in range(0, width, 16):
            choice = [BACKGROUND] + (rng.choice(SETS_4) if colours == 4 else SET_16)
            for y in range(ay, min(ay + 16, height)):
                for x in range(ax, min(ax + 16, width)):
                    pixels[x, y] = rng.choice(choice)
    pixels[0, 0] = BACKGROUND
    return lambda x, y: pixels[x, y]


def late_bank(seed):
    rng = random.Random(seed)

    def tile():
        return [[rng.choice([BACKGROUND] + SET_16) for _ in range(8)] for _ in range(8)]

    first = [[tile() for _ in range(32)] for _ in range(7)]
    extra = tile()
    rows = []
    for row in range(30):
        if row < 7:
            rows.append(first[row])
        elif row == 7:
            rows.append([extra] + first[0][1:])
        elif row == 29:
            rows.append([tile() for _ in range(32)])
        else:
            rows.append(first[(row - 8) % 7])
    return lambda x, y: (BACKGROUND if x == 0 and y == 0
                         else rows[y // 8][x // 8][y % 8][x % 8])


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, width, height, colours, seed in PICTURES:
        draw = late_bank(seed) if name == "hsl16late" else picture(width, height, colours, seed)
        write_bmp(os.path.join(folder, name + ".bmp"), width, height, draw)


if __name__ == "__main__":
    main()
