#!/bin/sh
# The device preview on emulated consoles: converts test pictures, patches them into the
# shipped Rom.b00 and compares the screen of MAME's VT03 machine (and, for one-bank
# 4-colour pictures, FCEUX's) with tilvex-cli's render of the same block picture.
#   preview_screens.sh BIN_DIR SOURCE_DIR SCRATCH_DIR PYTHON
# Exits 77 (skipped) when MAME, or FCEUX with xvfb-run, is not installed.
set -u
BIN=$1 SRC=$2 SCRATCH=$3 PYTHON=$4
PATH=$PATH:/usr/games
MATCH="$PYTHON $SRC/tests/emulator/screen_match.py"
rm -rf "$SCRATCH" && mkdir -p "$SCRATCH/data" || exit 1
command -v mame > /dev/null || { echo "SKIP: mame is not installed"; exit 77; }
with_fceux=1
command -v fceux > /dev/null && command -v xvfb-run > /dev/null || with_fceux=0

. "$SRC/tests/emulator/preview_common.sh"
preview_data
failed=0

fceux_screen() {  # NES_FILE SNAPSHOT
  cat > "$SCRATCH/shot.lua" <<LUA
for i = 1, 30 do emu.frameadvance() end
gui.savescreenshotas("$2")
emu.frameadvance()
emu.exit()
LUA
  (cd "$SCRATCH" && timeout 60 xvfb-run -a fceux --no-config 1 --sound 0 \
    --loadlua "$SCRATCH/shot.lua" "$1" > "$SCRATCH/fceux.log" 2>&1)
  [ -f "$2" ] || { echo "FAIL: FCEUX made no screen"; cat "$SCRATCH/fceux.log"; return 1; }
}

# case NAME WIDTH HEIGHT COLOURS SPACE BANKS FCEUX(0|1) [convert options]
# (a NAME ending in "late-bank" draws that picture of preview_pictures.py)
case_() {
  name=$1 w=$2 h=$3 colours=$4 space=$5 banks=$6 fceux=$7
  shift 7
  out=$SCRATCH/$name
  layout=
  case $name in *late-bank) layout=late-bank ;; esac
  $PYTHON "$SRC/tests/emulator/preview_pictures.py" "$out.png" "$w" "$h" "$colours" "$w$h" \
    $layout &&
    "$BIN/tilvex-cli" convert "$out.png" -o "$out.pic" --colors "$colours" --space "$space" \
      --background 000000 "$@" > /dev/null &&
    "$BIN/tilvex-cli" render "$out.pic" -o "$out.bmp" &&
    "$BIN/tilvex-cli" preview "$out.pic" --nes "$out.nes" --no-run > /dev/null ||
    { echo "FAIL: $name: tilvex-cli failed"; failed=1; return; }
  cp "$SCRATCH/data/Rom.b01" "$out.b01"
  # The banks the case is meant to have: one more than the bank-switch table's entries.
  got=$(od -An -tu1 -j $((0x7E108)) -N 16 "$out.b01" | awk '{for(i=1;i<=NF;i++){if($i==0){print i;exit}}}')
  [ "$got" = "$banks" ] || { echo "FAIL: $name has $got tile banks, not $banks"; failed=1; }
  box=0,0,$((w < 256 ? w : 256)),$((h < 240 ? h : 240))
  if mame_screen "$out.b01" "$name-mame"; then
    $MATCH "$out.bmp" "$SCRATCH/$name-mame.png" --box-a "$box" ||
      { echo "FAIL: $name: MAME's screen differs from the render"; failed=1; }
  else
    failed=1
  fi
  [ "$fceux" = 1 ] && [ "$with_fceux" = 1 ] || return
  # FCEUX shows rows 8-231 of the screen.
  rows=$(((h < 232 ? h : 232) - 8))
  if fceux_screen "$out.nes" "$SCRATCH/$name-fceux.png"; then
    top=$($PYTHON -c "from PIL import Image; print(0 if Image.open('$SCRATCH/$name-fceux.png').height == 224 else 8)")
    $MATCH "$out.bmp" "$SCRATCH/$name-fceux.png" --box-a "0,8,$((w < 256 ? w : 256)),$rows" \
      --box-b "0,$top,$((w < 256 ? w : 256)),$rows" ||
      { echo "FAIL: $name: FCEUX's screen differs from the render"; failed=1; }
  else
    failed=1
  fi
}

case_ nes4-small 128 96 4 nes 1 1
case_ nes4-tall-banks 160 200 4 nes 3 0 --no-compress
case_ hsl16-small 120 64 16 hsl 1 0
case_ hsl16-full 256 240 16 hsl 4 0 --no-compress
case_ hsl16-late-bank 256 240 16 hsl 2 0
# Blocks larger than a tile are spread over their tiles.
case_ nes4-blocks16 128 64 4 nes 1 0 --block 16x16

# A larger picture starts at the top left (the case's own screen); the pad scrolls it in
# 32-pixel steps; each screen is the render's part from the scroll position, its tile banks
# switched where that part's sections begin. Pressed through MAME's Lua interface, which
# only this check needs.
case_ nes4-scroll 512 480 4 nes 15 0 --no-compress
cat > "$SCRATCH/scroll.lua" <<'LUA'
local frame = 0
local pad = manager.machine.ioport.ports[":IO0"].fields
local presses = { [30] = "P1 Down", [60] = "P1 Right", [90] = "P1 Down", [120] = "P1 Down" }
emu.register_frame_done(function()
  frame = frame + 1
  for at, button in pairs(presses) do
    if frame == at then pad[button]:set_value(1) end
    if frame == at + 2 then pad[button]:set_value(0) end
    if frame == at + 25 then manager.machine.video:snapshot() end
  end
end, "scroll")
LUA
dir=$SCRATCH/mame
rm -rf "$dir" && mkdir -p "$dir/roms/vtsndtest" && cp "$SCRATCH/nes4-scroll.b01" "$dir/roms/vtsndtest/rom.bin"
timeout 60 mame vtsndtest -rompath "$dir/roms" -video none -sound none -nothrottle -skip_gameinfo \
  -seconds_to_run 3 -snapshot_directory "$dir/shots" -snapname "%i" -cfg_directory "$dir/cfg" \
  -nvram_directory "$dir/nv" -autoboot_script "$SCRATCH/scroll.lua" -autoboot_delay 0 \
  > "$dir/log" 2>&1
shot=0
for at in 0,32 32,32 32,64 32,96; do
  if [ -f "$dir/shots/000$shot.png" ]; then
    $MATCH "$SCRATCH/nes4-scroll.bmp" "$dir/shots/000$shot.png" --box-a "$at,256,240" \
      --box-b 0,0,256,240 || { echo "FAIL: scrolled to $at, MAME shows otherwise"; failed=1; }
  else
    echo "FAIL: no screen after scrolling to $at"; failed=1
  fi
  shot=$((shot + 1))
done

# The comparison sees a bank switch one row late: the table's first section one row longer.
$PYTHON - "$SCRATCH/nes4-tall-banks.b01" "$SCRATCH/late.b01" <<'PY'
import sys
image = bytearray(open(sys.argv[1], "rb").read())
image[0x7E108] += 1
open(sys.argv[2], "wb").write(image)
PY
if mame_screen "$SCRATCH/late.b01" late-mame; then
  if $MATCH "$SCRATCH/nes4-tall-banks.bmp" "$SCRATCH/late-mame.png" --box-a 0,0,160,200 \
    > /dev/null; then
    echo "FAIL: a bank switch one row late still matches the render"
    failed=1
  fi
else
  failed=1
fi

# The viewer's symbols, for the checks below that reach into its memory.
loops=$(sed -n 's/^al 0000\([0-9A-F][0-9A-F]\) \.lineLoops$/\1/p' "${VIEWER_LABELS:-/dev/null}")

# A section switch counted out so slowly that it runs into vertical blank (a boundary at
# row 232, reached from row 224) must leave the next frame's top section to the NMI:
# lineLoops is set to 40 (about 300 cycles a scanline) once the viewer runs.
if [ -n "$loops" ]; then
  cat > "$SCRATCH/slow.lua" <<LUA
local frame = 0
emu.register_frame_done(function()
  frame = frame + 1
  if frame == 10 then manager.machine.devices[":soc:maincpu"].spaces["program"]:write_u8(0x$loops, 40) end
  if frame >= 40 and frame < 44 then manager.machine.video:snapshot() end
end, "slow")
LUA
  dir=$SCRATCH/mame
  rm -rf "$dir" && mkdir -p "$dir/roms/vtsndtest" && cp "$SCRATCH/hsl16-late-bank.b01" "$dir/roms/vtsndtest/rom.bin"
  timeout 60 mame vtsndtest -rompath "$dir/roms" -video none -sound none -nothrottle -skip_gameinfo \
    -seconds_to_run 1 -snapshot_directory "$dir/shots" -snapname "%i" -cfg_directory "$dir/cfg" \
    -nvram_directory "$dir/nv" -autoboot_script "$SCRATCH/slow.lua" -autoboot_delay 0 \
    > "$dir/log" 2>&1
  # Four frames in a row: a spoiled frame may alternate with a whole one.
  for shot in 0 1 2 3; do
    if [ -f "$dir/shots/000$shot.png" ]; then
      $MATCH "$SCRATCH/hsl16-late-bank.bmp" "$dir/shots/000$shot.png" --box-a 0,0,256,224 ||
        { echo "FAIL: a section switch running into vertical blank spoils the next frame"; failed=1; }
    else
      echo "FAIL: no screen with the slow section switch"; failed=1
    fi
  done
fi

# A PAL console: scanlines of 106.56 cycles, not 113.67. The viewer measures a frame and
# must pick the shorter scanline wait.
if [ "$with_fceux" = 1 ] && [ -n "$loops" ]; then
  $PYTHON - "$SCRATCH/nes4-small.nes" "$SCRATCH/pal.nes" <<'PY'
import sys
image = bytearray(open(sys.argv[1], "rb").read())
image[12] = 1  # NES 2.0 timing: PAL
open(sys.argv[2], "wb").write(image)
PY
  cat > "$SCRATCH/pal.lua" <<LUA
for i = 1, 30 do emu.frameadvance() end
local f = io.open("$SCRATCH/pal-loops.txt", "w")
f:write(memory.readbyte(0x$loops))
f:close()
emu.exit()
LUA
  rm -f "$SCRATCH/pal-loops.txt"
  (cd "$SCRATCH" && timeout 60 xvfb-run -a fceux --no-config 1 --sound 0 --pal 1 \
    --loadlua "$SCRATCH/pal.lua" "$SCRATCH/pal.nes" > "$SCRATCH/fceux-pal.log" 2>&1)
  got=$(cat "$SCRATCH/pal-loops.txt" 2>/dev/null)
  [ "$got" = 12 ] || { echo "FAIL: on a PAL console the viewer waits $got loops a scanline, not 12"; failed=1; }
fi

[ $failed = 0 ] && [ "$with_fceux" = 0 ] && { echo "SKIP: fceux or xvfb-run is not installed"; exit 77; }
exit $failed
