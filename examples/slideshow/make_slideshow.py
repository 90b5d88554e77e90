#!/usr/bin/python3
"""Builds the slideshow game from a Tilvex project.

    make_slideshow.py PROJECT.prg OUT.nes [--cli TILVEX_CLI] [--work DIR] [--no-output]

Runs `tilvex-cli project output PROJECT.prg` (the files go beside the project), lists
the items from VT03IRQ.ASM, and assembles slideshow.s with ca65/ld65 against the output
as written: the item files and VT03IRQ.ASM by .include, VT03PGT.BIN as the game's tile
data. The game is an MMC3 iNES file; its tile data is VT03PGT.BIN padded to a power of
two of at least 8 KB. Items of every block mode are shown: the game spreads a block's
name-table entry over its tiles as it draws. --no-output assembles the output files as they
are in the folder.
"""
import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "demo"))
from make_demo import demo_font  # noqa: E402  the demo games' 2 KB font, one tile per ASCII code
COMMON = os.path.join(HERE, "..", "..", "common", "asm")  # vt03.inc, tilvex.inc, tile_base.s
MAX_TILE_DATA = 256 * 1024  # the most tile data a cartridge game may have
FONT_BYTES = 8192           # the fonts behind the tile file
NAME_LENGTH = 8             # sprites on one row


def run(args, cwd=None):
    r = subprocess.run(args, cwd=cwd, capture_output=True, text=True)
    if r.returncode != 0:
        sys.exit(f"make_slideshow.py: {' '.join(args)} failed:\n{r.stdout}{r.stderr}")
    return r.stdout


def item_names(irq_file):
    with open(irq_file, "rb") as f:
        text = f.read().decode("ascii", "replace")
    return re.findall(r"^(\w+)_irq:", text, re.M)


# ca65 takes an absolute name in .include from the current folder only: the project's
# folder is given with -I instead.
def items_source(names, tile_bytes, work):
    lines = ['.segment "ITEMS"', '.include "VT03IRQ.ASM"']
    for i, name in enumerate(names):
        # The item file repeats its interrupt table: in a scope of its own it stays apart.
        lines += [f".scope item{i}", f'.include "{name}.ASM"', ".endscope"]
    lines += ['.segment "CODE"', f"ITEM_COUNT = {len(names)}"]
    for table, label in (("Irq", "{n}_irq"), ("Pnt", "item{i}::{n}_pnt"),
                         ("Attrib", "item{i}::{n}_attrib"), ("Palette", "item{i}::{n}_palette"),
                         ("Info", "item{i}::{n}_info")):
        labels = ", ".join(label.format(i=i, n=n) for i, n in enumerate(names))
        lines += [f"item{table}Lo: .lobytes {labels}", f"item{table}Hi: .hibytes {labels}"]
    # The item names are written with sprites from the demo games' font, placed behind the tile
    # file: in 2 bits a pixel (4-colour items), and 4 KB further in 4 bits a pixel with
    # planes 2 and 3 clear (16-colour items, whose sprites are read as the background is).
    font = demo_font()
    font4 = b"".join(font[i:i + 16] + bytes(16) for i in range(0, len(font), 16))
    size = 8192
    while size < tile_bytes + FONT_BYTES:
        size *= 2
    for i, name in enumerate(names):
        lines.append(f'item{i}Name: .byte "{name[:NAME_LENGTH]}", 0')
    labels = ", ".join(f"item{i}Name" for i in range(len(names)))
    lines += [f"itemNameLo: .lobytes {labels}", f"itemNameHi: .hibytes {labels}"]
    lines += [f"FONT_2K = {tile_bytes // 2048}", f"FONT4_2K = {(tile_bytes + 4096) // 2048}"]
    with open(os.path.join(work, "font.bin"), "wb") as f:
        f.write(font + b"\xff" * 2048 + font4)
    lines += ['.segment "CHARS"', '.incbin "VT03PGT.BIN"', '.incbin "font.bin"']
    if size > tile_bytes + FONT_BYTES:
        lines.append(f".res {size - tile_bytes - FONT_BYTES}, $FF")
    lines += ['.segment "HEADER"', '.byte "NES", $1A, 2, ' + str(size // 8192) + ", $41, $00",
              ".res 8, 0"]
    return "\n".join(lines) + "\n", size


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("project")
    ap.add_argument("out")
    ap.add_argument("--cli", default="tilvex-cli")
    ap.add_argument("--work")
    ap.add_argument("--no-output", action="store_true")
    args = ap.parse_args()
    project = os.path.abspath(args.project)
    folder = os.path.dirname(project)
    work = os.path.abspath(args.work or os.path.splitext(args.out)[0] + ".src")
    os.makedirs(work, exist_ok=True)
    if not args.no_output:
        run([args.cli, "project", "output", project], cwd=folder)
    names = item_names(os.path.join(folder, "VT03IRQ.ASM"))
    if not names:
        sys.exit("make_slideshow.py: the project has no items")
    tile_bytes = os.path.getsize(os.path.join(folder, "VT03PGT.BIN"))
    if tile_bytes + FONT_BYTES > MAX_TILE_DATA:
        sys.exit(f"make_slideshow.py: VT03PGT.BIN holds {tile_bytes} bytes, more than a "
                 f"cartridge game's {MAX_TILE_DATA}")
    source, _size = items_source(names, tile_bytes, work)
    with open(os.path.join(work, "items.inc"), "w") as f:
        f.write(source)
    obj = os.path.join(work, "slideshow.o")
    run(["ca65", "-I", work, "-I", HERE, "-I", COMMON, "-I", folder, "--bin-include-dir", folder,
         "--bin-include-dir", work, "-o", obj,
         os.path.join(HERE, "slideshow.s")])
    run(["ld65", "-C", os.path.join(HERE, "slideshow.cfg"), "-o", os.path.abspath(args.out),
         "-m", os.path.join(work, "slideshow.map"), obj])


if __name__ == "__main__":
    main()
