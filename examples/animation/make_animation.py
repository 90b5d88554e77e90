#!/usr/bin/python3
"""Builds the animation player from a Tilvex batch list.

    make_animation.py LIST.lst OUT [--cli TILVEX_CLI] [--space hsl|rgb|nes] [--work DIR]
                      [--image] [--no-export] [--first N]

Runs `tilvex-cli batch LIST.lst` in the list's folder (which holds the pictures named in
the list and Sprite_pgt.bin), then assembles player.s with ca65/ld65 against the export as
written: ANI.asm, ANIINDEX.asm, ANIPAL.asm and the ANIPNT files by .include, ANIPGT.BIN as
the tile data. OUT is an MMC3 iNES game (the tile data padded to a power of two, at most
256 KB), or with --image a one-bus ROM image for a VT03 machine: the program in the first
512 KB, the tile data from 1 MB on (for animations larger than a cartridge game may be).
--no-export assembles the files as they are in the folder; --first N starts the
animation at its frame N (to look at the end of a long one).
"""
import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
COMMON = os.path.join(HERE, "..", "..", "common", "asm")  # vt03.inc, tilvex.inc, tile_base.s
MAX_TILE_DATA = 256 * 1024   # the most tile data a cartridge game may have
IMAGE_TILES_AT = 0x100000    # where the test image's tile data begins
FIXED_BYTES = 0x4000


def run(args, cwd=None):
    r = subprocess.run(args, cwd=cwd, capture_output=True, text=True)
    if r.returncode != 0:
        sys.exit(f"make_animation.py: {' '.join(args)} failed:\n{r.stdout}{r.stderr}")
    return r.stdout


def name_table_bytes(folder):
    total = 0
    for name in os.listdir(folder):
        if re.fullmatch(r"ANIPNT[0-9A-F]{2}\.asm", name):
            with open(os.path.join(folder, name), "rb") as f:
                total += len(re.findall(rb"\$[0-9A-F]{2}", f.read()))
    return total


def power_of_two(n, least):
    size = least
    while size < n:
        size *= 2
    return size


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("list")
    ap.add_argument("out")
    ap.add_argument("--cli", default="tilvex-cli")
    ap.add_argument("--space", default="hsl")
    ap.add_argument("--work")
    ap.add_argument("--image", action="store_true")
    ap.add_argument("--no-export", action="store_true")
    ap.add_argument("--first", type=int, default=0)
    args = ap.parse_args()
    listing = os.path.abspath(args.list)
    folder = os.path.dirname(listing)
    out = os.path.abspath(args.out)
    work = os.path.abspath(args.work or os.path.splitext(out)[0] + ".src")
    os.makedirs(work, exist_ok=True)
    if not args.no_export:
        run([args.cli, "batch", listing, "--space", args.space], cwd=folder)
    with open(os.path.join(folder, "ANIPGT.BIN"), "rb") as f:
        tiles = f.read()
    if args.image:
        prg_size = 0x80000
        offset = IMAGE_TILES_AT // 2048
    else:
        if len(tiles) > MAX_TILE_DATA:
            sys.exit(f"make_animation.py: ANIPGT.BIN holds {len(tiles)} bytes, more than a "
                     f"cartridge game's {MAX_TILE_DATA}; build a test image with --image")
        prg_size = power_of_two(name_table_bytes(folder) + FIXED_BYTES, 0x8000)
        offset = 0
    obj = os.path.join(work, "player.o")
    run(["ca65", "-I", HERE, "-I", COMMON, "-I", folder, "-D", f"TILE_OFFSET_2K={offset}",
         "-D", f"FIRST_FRAME={args.first}",
         "-o", obj, os.path.join(HERE, "player.s")])
    prg = os.path.join(work, "player.prg")
    run(["ld65", "-C", os.path.join(HERE, "player.cfg"), "-D", f"PRG_SIZE={prg_size}",
         "-o", prg, "-m", os.path.join(work, "player.map"), obj])
    with open(prg, "rb") as f:
        program = f.read()
    if args.image:
        image = program + bytes(IMAGE_TILES_AT - len(program)) + tiles
    else:
        chr_size = power_of_two(len(tiles), 0x2000)
        header = b"NES\x1a" + bytes([prg_size // 0x4000, chr_size // 0x2000, 0x41, 0]) + bytes(8)
        image = header + program + tiles + b"\xff" * (chr_size - len(tiles))
    with open(out, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    main()
