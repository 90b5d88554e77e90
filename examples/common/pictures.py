"""Test pictures whose tile count decides the tile banks, as pixel functions (x, y) ->
(r, g, b) for a BMP or PNG writer.

Every area (16 x 16 unless asked otherwise) takes its pixels from one colour set, all sets
sharing the background colour (the top left pixel): a 4-colour conversion then fits the
four palettes an attribute can choose, and with 16 colours all sets are one palette.
Random pixels make almost every tile new."""
import random

BACKGROUND = (0, 0, 0)
# Colours far apart in every console colour space, so each keeps a colour code of its own;
# the sets share none but the background.
SETS_4 = [
    [(255, 255, 255), (200, 30, 30), (30, 30, 200)],
    [(40, 170, 40), (230, 200, 40), (120, 60, 180)],
    [(230, 130, 40), (120, 200, 230), (110, 110, 110)],
    [(250, 150, 180), (20, 100, 100), (140, 80, 20)],
]
SET_16 = [colour for colours in SETS_4 for colour in colours]


def areas(width, height, colours, seed, size=16):
    """Random size x size areas in 4 colours (one set each) or 16 (all sets)."""
    rng = random.Random(seed)
    pixels = {}
    for ay in range(0, height, size):
        for ax in range(0, width, size):
            choice = [BACKGROUND] + (rng.choice(SETS_4) if colours == 4 else SET_16)
            for y in range(ay, min(ay + size, height)):
                for x in range(ax, min(ax + size, width)):
                    pixels[x, y] = rng.choice(choice)
    pixels[0, 0] = BACKGROUND
    return lambda x, y: pixels[x, y]


def late_bank(seed, row7_from):
    """256 x 240 in 16 colours: 225 new tiles in the first eight tile rows (row 7 is a new
    tile, then row row7_from's tiles), repeats of rows 0-6 down to the last row, whose 32
    new tiles overflow the first bank: the second bank starts at row 232, below what
    MAME's scanline counter reaches."""
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
            rows.append([extra] + first[row7_from][1:])
        elif row == 29:
            rows.append([tile() for _ in range(32)])
        else:
            rows.append(first[(row - 8) % 7])
    return lambda x, y: (BACKGROUND if x == 0 and y == 0
                         else rows[y // 8][x // 8][y % 8][x % 8])
