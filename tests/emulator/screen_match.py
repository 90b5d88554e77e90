#!/usr/bin/python3
"""Compares two screens by the way their pixels share colours.

Two emulators (or an emulator and our own render) paint the same picture with different
palettes, so colours cannot be compared by value. What must agree is the partition: two
pixels have the same colour in one screen exactly when they have the same colour in the
other, i.e. the colours correspond one to one.

    screen_match.py A B [--box-a X,Y,W,H] [--box-b X,Y,W,H] [--min-colours N]

A and B are PNG or BMP files (anything Pillow reads). Boxes default to the whole of A, at
the same place in B. Exits 0 on a match, 1 with a description of the first conflicts.
"""
import argparse
import sys

from PIL import Image


def box(text, image):
    if text is None:
        return (0, 0, image.width, image.height)
    x, y, w, h = (int(v) for v in text.split(","))
    return (x, y, w, h)


def pixels(image, b):
    x0, y0, w, h = b
    if x0 < 0 or y0 < 0 or x0 + w > image.width or y0 + h > image.height:
        sys.exit(f"box {b} lies outside the {image.width}x{image.height} picture")
    data = image.convert("RGB").load()
    return [[data[x0 + x, y0 + y] for x in range(w)] for y in range(h)]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("a")
    ap.add_argument("b")
    ap.add_argument("--box-a")
    ap.add_argument("--box-b")
    ap.add_argument("--min-colours", type=int, default=1)
    args = ap.parse_args()
    ia, ib = Image.open(args.a), Image.open(args.b)
    ba = box(args.box_a, ia)
    bb = box(args.box_b, ib) if args.box_b else (ba[0], ba[1], ba[2], ba[3])
    if ba[2:] != bb[2:]:
        sys.exit(f"boxes differ in size: {ba} and {bb}")
    pa, pb = pixels(ia, ba), pixels(ib, bb)
    forward, backward, conflicts = {}, {}, []
    for y, (ra, rb) in enumerate(zip(pa, pb)):
        for x, (ca, cb) in enumerate(zip(ra, rb)):
            if forward.setdefault(ca, cb) != cb or backward.setdefault(cb, ca) != ca:
                conflicts.append((x, y, ca, cb))
    if conflicts:
        print(f"{len(conflicts)} pixels break the colour correspondence, first ones:")
        for x, y, ca, cb in conflicts[:8]:
            print(f"  ({x},{y}): {ca} in A ({forward.get(ca, cb)} elsewhere), "
                  f"{cb} in B ({backward.get(cb, ca)} elsewhere)")
        return 1
    if len(forward) < args.min_colours:
        print(f"only {len(forward)} colours, wanted at least {args.min_colours}")
        return 1
    print(f"match: {len(forward)} colours over {ba[2]}x{ba[3]} pixels")
    return 0


if __name__ == "__main__":
    sys.exit(main())
