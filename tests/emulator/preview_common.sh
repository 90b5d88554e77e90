# What the device preview's emulator tests share; sourced with BIN and SCRATCH set.

# A data folder of our own, so Rom.b01 is written there and tests never share it.
preview_data() {
  for f in Hsl2rgb.tab "6576(ok).act" Rom.b00; do ln -s "$BIN/$f" "$SCRATCH/data/$f"; done
  export TILVEX_DIR="$SCRATCH/data"
}

# The viewer image's screen a second after power-on in MAME's VT03 machine, as
# SCRATCH/SNAPSHOT_NAME.png.
mame_screen() {  # IMAGE SNAPSHOT_NAME
  dir=$SCRATCH/mame
  rm -rf "$dir" && mkdir -p "$dir/roms/vtsndtest" && cp "$1" "$dir/roms/vtsndtest/rom.bin"
  timeout 60 mame vtsndtest -rompath "$dir/roms" -video none -sound none -nothrottle \
    -skip_gameinfo -seconds_to_run 1 -snapshot_directory "$SCRATCH" -snapname "$2" \
    -cfg_directory "$dir/cfg" -nvram_directory "$dir/nv" > "$dir/log" 2>&1
  [ -f "$SCRATCH/$2.png" ] || { echo "FAIL: MAME made no screen ($2)"; cat "$dir/log"; return 1; }
}
