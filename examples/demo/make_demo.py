#!/usr/bin/python3
"""Assembles a demo game with ca65/ld65 into an iNES file.

    make_demo.py OUT.nes --name TEXT [--mapper 0|4] [--prg KB] [--chr KB]
                 [--mirroring v|h] [--seed N] [--work DIR]

The program banks are filled here with a marker byte per 8 KB bank, the tile data with
the demo font in its first 2 KB and seed-dependent patterns after it; demo.s is the code.
"""
import argparse
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = os.path.join(HERE, "font.s")
REGISTERS = os.path.join(HERE, "..", "..", "common", "asm")  # vt03.inc


def mark(bank, seed):
    return (bank * 37 + seed * 11 + 0x21) & 0xFF


def demo_font():
    """The demo font, 2 KB of tiles, from the .byte lines after its label in font.s."""
    data = bytearray()
    with open(FONT) as f:
        lines = iter(f)
        for line in lines:
            if line.startswith("font:"):
                break
        for line in lines:
            code = line.split(";")[0].strip()
            if not code.startswith(".byte"):
                break
            data += bytes(int(v.strip().lstrip("$"), 16 if "$" in v else 10)
                          for v in code[len(".byte"):].split(","))
    if len(data) != 2048:
        sys.exit("make_demo.py: no font found in " + FONT)
    return data


SHAPES = [
    [0xFF] * 8,                                          # solid
    [0xAA, 0x55] * 4,                                    # checker
    [0xFF, 0xFF, 0x00, 0x00] * 2,                        # stripes
    [0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF],    # box
    [0x18, 0x3C, 0x7E, 0xFF, 0xFF, 0x7E, 0x3C, 0x18],    # diamond
    [0x3C, 0x7E, 0xFF, 0xFF, 0xFF, 0xFF, 0x7E, 0x3C],    # ball
    [0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01],    # slope
    [0x00, 0x66, 0x66, 0x00, 0x00, 0x66, 0x66, 0x00],    # dots
]


def tiles(pages, seed):
    """Font pages first; then tiles of simple shapes in three colours, chosen differently
    on every page, so a wrong page shows as a different picture."""
    data = bytearray(demo_font())
    state = (seed * 2654435761 + 12345) & 0xFFFFFFFF
    while len(data) < pages * 1024:
        page = len(data) // 1024
        state = (state * 1103515245 + 12345 + page * 977) & 0xFFFFFFFF
        shape = SHAPES[(state >> 16) % len(SHAPES)]
        back = SHAPES[(state >> 20) % len(SHAPES)]
        mode = (state >> 24) % 3
        low = shape
        high = [b ^ 0xFF for b in back] if mode == 0 else back if mode == 1 else shape
        data += bytes(low) + bytes(high)
    return bytes(data[:pages * 1024])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--name", required=True)
    ap.add_argument("--mapper", type=int, choices=(0, 4), default=0)
    ap.add_argument("--prg", type=int, default=32, help="program size in KB")
    ap.add_argument("--chr", type=int, default=8, help="tile data size in KB")
    ap.add_argument("--mirroring", choices=("v", "h"), default="v")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--work")
    args = ap.parse_args()
    if args.prg not in (16, 32) and args.mapper == 0 or args.prg % 16 or args.prg > 512:
        sys.exit("make_demo.py: unsupported program size")
    if args.chr % 8 or not 8 <= args.chr <= 256 or args.mapper == 0 and args.chr != 8:
        sys.exit("make_demo.py: unsupported tile data size")
    banks = args.prg // 8
    work = args.work or tempfile.mkdtemp(prefix="demo-")
    os.makedirs(work, exist_ok=True)
    text = args.name.replace('"', "'")
    with open(os.path.join(work, "game.inc"), "w") as f:
        f.write(f".define NAME_TEXT \"{text}\"\n")
        f.write(f"MAPPER = {args.mapper}\nPRG_BANKS = {banks}\nCHR_PAGES = {args.chr}\n")
        f.write(f"VERTICAL = {1 if args.mirroring == 'v' else 0}\nSEED = {args.seed & 0x3F}\n")
    fill = bytearray()
    for bank in range(banks - 2):
        block = bytearray((bank * 7 + i) & 0xFF for i in range(0x2000))
        block[0x1FF0] = mark(bank, args.seed & 0x3F)
        fill += block
    with open(os.path.join(work, "banks.bin"), "wb") as f:
        f.write(fill)
    with open(os.path.join(work, "chr.bin"), "wb") as f:
        f.write(tiles(args.chr, args.seed))
    obj = os.path.join(work, "demo.o")
    run = lambda cmd: subprocess.run(cmd, check=True)
    try:
        run(["ca65", "-I", work, "-I", REGISTERS, "--bin-include-dir", work, "-o", obj,
             os.path.join(HERE, "demo.s")])
        run(["ld65", "-C", os.path.join(HERE, "demo.cfg"), "-D",
             f"PRG_SIZE={args.prg * 1024}", "-D", f"CHR_SIZE={args.chr * 1024}",
             "-o", args.out, obj])
    except (OSError, subprocess.CalledProcessError) as e:
        sys.exit(f"make_demo.py: {e}")


if __name__ == "__main__":
    main()
