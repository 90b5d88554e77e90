#!/usr/bin/python3
"""Draws a test picture for the device preview.

    preview_pictures.py OUT.png WIDTH HEIGHT COLOURS SEED [late-bank]

Every 16 x 16 area takes its pixels from one of four colour sets that share the background
colour, so a 4-colour conversion needs at most the four palettes an attribute can choose;
with 16 colours all sets together are one palette. Pixels are random, so almost every tile
is new and the tile count (with "No Compress", the cell count) decides the banks.

"late-bank" (16 colours, 256 wide, 240 high): 225 different tiles in the first eight tile
rows, then repeats until the last row, whose 32 new tiles overflow the first bank: the
second bank starts at row 232, below what MAME's scanline counter reaches.
"""
import random
import sys

from PIL import Image

# Colours far apart in every console colour space, so each keeps a colour code of its own;
# the sets share none but the background.
BACKGROUND = (0, 0, 0)
SETS_4 = [
    [(255, 255, 255), (200, 30, 30), (30, 30, 200)],
    [(40, 170, 40), (230, 200, 40), (120, 60, 180)],
    [(230, 130, 40), (120, 200, 230), (110, 110, 110)],
    [(250, 150, 180), (20, 100, 100), (140, 80, 20)],
]
SET_16 = [colour for colours in SETS_4 for colour in colours]


def late_bank(pixels, rng):
    def tile():
        return [[rng.choice([BACKGROUND] + SET_16) for _ in range(8)] for _ in range(8)]

    first = [[tile() for _ in range(32)] for _ in range(7)]
    extra = tile()
    for row in range(30):
        for column in range(32):
            if row < 7:
                t = first[row][column]
            elif row == 7 and column == 0:
                t = extra
            elif row == 29:
                t = tile()
            else:
                t = first[(row - 8) % 7][column]
            for y in range(8):
                for x in range(8):
                    pixels[column * 8 + x, row * 8 + y] = t[y][x]


def main():
    out, width, height, colours, seed = sys.argv[1:6]
    width, height, colours = int(width), int(height), int(colours)
    rng = random.Random(int(seed))
    picture = Image.new("RGB", (width, height))
    pixels = picture.load()
    if sys.argv[6:] == ["late-bank"]:
        late_bank(pixels, rng)
        pixels[0, 0] = BACKGROUND
        picture.save(out)
        return
    for ay in range(0, height, 16):
        for ax in range(0, width, 16):
            choice = [BACKGROUND] + (rng.choice(SETS_4) if colours == 4 else SET_16)
            for y in range(ay, min(ay + 16, height)):
                for x in range(ax, min(ax + 16, width)):
                    pixels[x, y] = rng.choice(choice)
    pixels[0, 0] = BACKGROUND  # the converter's default background is the top-left pixel
    picture.save(out)


if __name__ == "__main__":
    main()
