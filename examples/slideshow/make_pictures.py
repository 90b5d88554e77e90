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
  nes4b16   128 x 64, 4 colours in 16 x 16 blocks, in 32 x 32 areas: the item file keeps
            one palette for each two by two blocks
  hsl16b816 64 x 96, 16 colours in 8 x 16 blocks
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from bmp import write_bmp  # noqa: E402
from pictures import areas, late_bank  # noqa: E402

PICTURES = [("nes4", 128, 96, 4, 1), ("nes4tall", 160, 200, 4, 2), ("hsl16", 256, 240, 16, 3),
            ("hsl16small", 120, 64, 16, 4), ("hsl16late", 256, 240, 16, 5),
            ("nes4b16", 128, 64, 4, 6), ("hsl16b816", 64, 96, 16, 7)]


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, width, height, colours, seed in PICTURES:
        if name == "hsl16late":
            draw = late_bank(seed, 0)
        else:
            draw = areas(width, height, colours, seed, 32 if name == "nes4b16" else 16)
        write_bmp(os.path.join(folder, name + ".bmp"), width, height, draw)


if __name__ == "__main__":
    main()
