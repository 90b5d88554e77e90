#!/usr/bin/python3
"""Draws a test picture for the device preview.

    preview_pictures.py OUT.png WIDTH HEIGHT COLOURS SEED [late-bank]

The slideshow's pictures (examples/common/pictures.py): 16 x 16 areas of random pixels,
so almost every tile is new and the tile count (with "No Compress", the cell count)
decides the banks. "late-bank" (16 colours, 256 wide, 240 high): the second bank starts
at row 232, below what MAME's scanline counter reaches.
"""
import os
import sys

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "examples", "common"))
from pictures import areas, late_bank  # noqa: E402


def main():
    out, width, height, colours, seed = sys.argv[1:6]
    width, height, colours = int(width), int(height), int(colours)
    draw = (late_bank(int(seed), 6) if sys.argv[6:] == ["late-bank"]
            else areas(width, height, colours, int(seed)))
    picture = Image.new("RGB", (width, height))
    pixels = picture.load()
    for y in range(height):
        for x in range(width):
            pixels[x, y] = draw(x, y)
    picture.save(out)


if __name__ == "__main__":
    main()
