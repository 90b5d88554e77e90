#!/bin/sh
# Assembles the menu program, with the game table Gamedef.inc, the reserve Reserve.inc and
# the title glyphs Glyphs.inc that Romvane wrote, into menu.bin. The builder waits for
# menu.bin to appear, so the file is written under another name and renamed only when it
# is complete.
cd "$(dirname "$0")" || exit 1
reserve=$(tr -d '\r' < Reserve.inc | sed -n 's/^MENU_RESERVE *= *\$\([0-9A-Fa-f]*\).*/\1/p')
if [ -z "$reserve" ]; then
    echo "Reserve.inc names no MENU_RESERVE" >&2
    exit 1
fi
reserve=$((0x$reserve))
# The chip starts the menu from the last 16 KB of the reserve.
if [ "$reserve" -lt 16384 ] || [ "$reserve" -gt 524288 ]; then
    echo "the menu needs a reserve of 4000 to 80000 (hexadecimal)" >&2
    exit 1
fi
# The title glyphs' tile groups take the bottom of the reserve; the CPU reads the rest.
tiles=$(tr -d '\r' < Glyphs.inc | sed -n 's/^MENU_TILE_BYTES[[:space:]]*=[[:space:]]*\$\([0-9A-Fa-f]*\).*/\1/p')
if [ -z "$tiles" ]; then
    echo "Glyphs.inc names no MENU_TILE_BYTES" >&2
    exit 1
fi
cpu=$((reserve - 0x$tiles))
[ "$cpu" -le 32768 ] || cpu=32768
ca65 -o menu.o menu.s || exit 1
# ld65's own last line says only that files were not written; the line before names the
# segment that overflowed and by how much.
ld65 -C menu.cfg -D MENU_RESERVE="$reserve" -D MENU_CPU_SIZE="$cpu" -o menu.tmp menu.o \
    2> ld65.err
status=$?
if [ "$status" -ne 0 ]; then
    grep -v 'Cannot generate' ld65.err >&2 || cat ld65.err >&2
    rm -f ld65.err
    exit 1
fi
cat ld65.err >&2
rm -f ld65.err
mv -f menu.tmp menu.bin
