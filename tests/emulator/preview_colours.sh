#!/bin/sh
# The device preview's colours: a photo converted in the window's default colour space
# ("VT03 NEW(4K HSL)") with colour reduction, shown on MAME's VT03 machine, must show every
# pixel in the colour tilvex-cli's render gives it. The screen comparison of
# preview_screens.sh only checks which pixels share a colour; this one checks the colours.
#   preview_colours.sh BIN_DIR SOURCE_DIR SCRATCH_DIR PYTHON
# Exits 77 (skipped) when MAME is not installed.
set -u
BIN=$1 SRC=$2 SCRATCH=$3 PYTHON=$4
PATH=$PATH:/usr/games
rm -rf "$SCRATCH" && mkdir -p "$SCRATCH/data" || exit 1
command -v mame > /dev/null || { echo "SKIP: mame is not installed"; exit 77; }
. "$SRC/tests/emulator/preview_common.sh"
preview_data
failed=0

for seed in 2 5 6; do
  out=$SCRATCH/photo$seed
  $PYTHON "$SRC/tests/emulator/preview_colours.py" draw "$out.png" "$seed" &&
    "$BIN/tilvex-cli" convert "$out.png" -o "$out.pic" --reduce > /dev/null &&
    "$BIN/tilvex-cli" render "$out.pic" -o "$out.bmp" &&
    "$BIN/tilvex-cli" preview "$out.pic" --nes "$out.nes" --no-run > /dev/null ||
    { echo "FAIL: photo $seed: tilvex-cli failed"; failed=1; continue; }
  mame_screen "$SCRATCH/data/Rom.b01" "photo$seed-mame" || { failed=1; continue; }
  $PYTHON "$SRC/tests/emulator/preview_colours.py" compare "$out.pic" "$out.bmp" "$SCRATCH/photo$seed-mame.png" ||
    { echo "FAIL: photo $seed: MAME shows other colours than the render"; failed=1; }
done
exit $failed
