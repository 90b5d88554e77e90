#!/usr/bin/python3
"""Draws a test picture for the device preview.

    preview_pictures.py OUT.png WIDTH HEIGHT COLOURS SEED

Every 16 x 16 area takes its pixels from one of four colour sets that share the background
colour, so a 4-colour conversion needs at most the four palettes an attribute can choose;
with 16 colours all sets together are one palette. Pixels are random, so almost every tile
is new and the tile count (with "No Compress", the cell count) decides the banks.
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


def main():
    out, width, height, colours, seed = sys.argv[1:6]
    width, height, colours = int(width), int(height), int(colours)
    rng = random.Random(int(seed))
    picture = Image.new("RGB", (width, height))
    pixels = picture.load()
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
