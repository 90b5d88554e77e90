#!/usr/bin/python3
"""Draws animation frames as BMP files, with the sprite patterns the batch export needs.

    make_frames.py FOLDER COUNT [--list NAME.lst] [--tiles N]

Frame k (frame000.bmp, ...) is 256 x 240 in the same 13 colours (one palette of 16): N
tiles of random pixels (190 unless given) drawn from a seed of its own, placed at random,
so every frame has N new tiles, N x 32 bytes of tile data. A frame must fit one bank of
256 tiles behind the up to 63 that its begin address puts before its first; frames of 256
tiles keep the begin address at 0. Sprite_pgt.bin is 2 KB of
sprite patterns. With --list the frames' names go into that list file, one a line.
"""
import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from bmp import write_bmp  # noqa: E402

COLOURS = [(0, 0, 0), (255, 255, 255), (200, 30, 30), (30, 30, 200), (40, 170, 40),
           (230, 200, 40), (120, 60, 180), (230, 130, 40), (120, 200, 230), (110, 110, 110),
           (250, 150, 180), (20, 100, 100), (140, 80, 20)]


def frame(seed, count):
    rng = random.Random(seed)
    tiles = [[rng.choice(COLOURS) for _ in range(64)] for _ in range(count)]
    cells = list(range(count)) + [rng.randrange(count) for _ in range(960 - count)]
    rng.shuffle(cells)
    return lambda x, y: tiles[cells[(y // 8) * 32 + x // 8]][(y % 8) * 8 + x % 8]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("folder")
    ap.add_argument("count", type=int)
    ap.add_argument("--list")
    ap.add_argument("--tiles", type=int, default=190)
    args = ap.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    names = []
    for k in range(args.count):
        name = f"frame{k:03d}.bmp"
        write_bmp(os.path.join(args.folder, name), 256, 240, frame(k + 1, args.tiles))
        names.append(name)
    with open(os.path.join(args.folder, "Sprite_pgt.bin"), "wb") as f:
        f.write(bytes((i * 7) & 0xFF for i in range(2048)))
    if args.list:
        with open(os.path.join(args.folder, args.list), "w") as f:
            f.write("\n".join(names) + "\n")


if __name__ == "__main__":
    main()
