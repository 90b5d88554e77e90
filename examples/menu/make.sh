#!/bin/sh
# Assembles the menu program, with the game table Gamedef.inc that Romvane wrote,
# into menu.bin. The builder waits for menu.bin to appear, so the file is written
# under another name and renamed only when it is complete.
cd "$(dirname "$0")" || exit 1
ca65 -o menu.o menu.s || exit 1
ld65 -C menu.cfg -o menu.tmp menu.o || exit 1
mv -f menu.tmp menu.bin
