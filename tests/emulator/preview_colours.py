#!/usr/bin/python3
"""Draws a photo-like test picture, or compares two screens colour for colour.

    preview_colours.py draw OUT.png SEED
    preview_colours.py compare PICTURE.pic RENDER.bmp SCREEN.png

The picture is 256 x 240: soft gradients through dark and saturated colours (dark reds,
deep blues, near black), with grain, so the reduction picks colours across the whole range
of the console's palette, the darkest included.

The comparison allows the rounding of two colour computations (MAME truncates where the
render rounds): every channel of every pixel within 2 levels. It looks at the 32 x 32
squares whose cells all take one of palettes 0-3: the console's attribute table gives a
square two bits per quadrant, so the device shows palettes 4-15 as others, which is no
question of colour.
"""
import struct
import math
import random
import sys

from PIL import Image

TOLERANCE = 2


def draw(out, seed):
    rng = random.Random(seed)
    w, h = 256, 240
    picture = Image.new("RGB", (w, h))
    pixels = picture.load()
    centres = [(rng.uniform(0, w), rng.uniform(0, h), [rng.uniform(0, 1) for _ in range(3)])
               for _ in range(6)]
    for y in range(h):
        for x in range(w):
            r = g = b = 0.0
            total = 0.0
            for cx, cy, colour in centres:
                weight = 1.0 / (1.0 + ((x - cx) ** 2 + (y - cy) ** 2) / 900.0)
                r, g, b = r + weight * colour[0], g + weight * colour[1], b + weight * colour[2]
                total += weight
            shade = 0.15 + 0.85 * (0.5 + 0.5 * math.sin(x / 23.0 + y / 31.0))
            grain = rng.uniform(-12, 12)
            pixels[x, y] = tuple(int(max(0, min(255, 255 * c / total * shade + grain)))
                                 for c in (r, g, b))
    # A dark red field, as photos have in shadows.
    for y in range(180, 240):
        for x in range(0, 96):
            pixels[x, y] = (int(20 + rng.uniform(0, 8)), 0, int(rng.uniform(0, 3)))
    picture.save(out)


def shown_squares(pic):
    """The 32 x 32 squares (x, y) whose cells all use palettes 0-3 ("8*8" blocks)."""
    data = open(pic, "rb").read()
    pnt_size, width, height = struct.unpack_from("<I", data, 24)[0], *struct.unpack_from("<II", data, 36)
    cells = pnt_size // 3
    attributes = data[1120 + 2 * cells:1120 + 3 * cells]
    columns = width // 8
    squares = set()
    for sy in range(0, height, 32):
        for sx in range(0, width, 32):
            if all(attributes[(y // 8) * columns + x // 8] < 4
                   for y in range(sy, min(sy + 32, height), 8)
                   for x in range(sx, min(sx + 32, width), 8)):
                squares.add((sx, sy))
    return squares


def compare(pic, render, screen):
    a = Image.open(render).convert("RGB")
    b = Image.open(screen).convert("RGB")
    w, h = min(a.width, b.width, 256), min(a.height, b.height, 240)
    pa, pb = a.load(), b.load()
    squares = shown_squares(pic)
    off, worst, first, seen = 0, 0, None, 0
    for y in range(h):
        for x in range(w):
            if (x - x % 32, y - y % 32) not in squares:
                continue
            seen += 1
            d = max(abs(u - v) for u, v in zip(pa[x, y], pb[x, y]))
            worst = max(worst, d)
            if d > TOLERANCE:
                off += 1
                first = first or (x, y, pa[x, y], pb[x, y])
    if seen < w * h // 16:
        print(f"only {seen} pixels lie in squares of palettes 0-3: too few to compare")
        return 1
    if off:
        x, y, ca, cb = first
        print(f"{off} of {seen} pixels ({100.0 * off / seen:.1f} %) differ by more than "
              f"{TOLERANCE} levels, at most {worst}; first at ({x},{y}): render {ca}, "
              f"MAME {cb}")
        return 1
    print(f"match: {seen} pixels, every channel within {worst} levels")
    return 0


if __name__ == "__main__":
    if sys.argv[1] == "draw":
        draw(sys.argv[2], int(sys.argv[3]))
    else:
        sys.exit(compare(sys.argv[2], sys.argv[3], sys.argv[4]))
