#!/bin/sh
# Installs what is missing, builds the toolkit and starts one program:
#   sh scripts/run.sh [romvane|tilvex] [ARGUMENTS...]
# Romvane (the default) opens on three demo games; where no display is available its
# command-line twin builds the demo cartridge instead. Tilvex opens its window on the
# arguments given (a picture or a .pic file).
set -eu
PROGRAM=${1:-romvane}
case "$PROGRAM" in
  romvane|tilvex) [ $# -gt 0 ] && shift ;;
  *) echo "usage: sh scripts/run.sh [romvane|tilvex] [ARGUMENTS...]" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVT_WERROR=OFF
cmake --build build -j "$(nproc)"

BIN=$(pwd)/build/bin
if [ "$PROGRAM" = tilvex ]; then
  exec "$BIN/tilvex" "$@"
fi
DEMO=$(pwd)/build/demo
mkdir -p "$DEMO"

# Three small demo games (blank iNES images), so the example menu has a table to show.
make_game() {  # name prg-units chr-units flags
  {
    printf 'NES\032'
    printf "\\$(printf %o "$2")\\$(printf %o "$3")\\$(printf %o "$4")\\000"
    printf '\000\000\000\000\000\000\000\000'
    head -c $(( $2 * 16384 + $3 * 8192 )) /dev/zero
  } > "$DEMO/$1.nes"
}
make_game demo-tank 2 1 1
make_game demo-racer 8 8 0
make_game demo-puzzle 1 0 1
printf '%s\r\n%s\r\n%s\r\n' "$DEMO/demo-tank.nes" "$DEMO/demo-racer.nes" "$DEMO/demo-puzzle.nes" \
  > "$DEMO/demo.sav"

if [ -x "$BIN/romvane" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$BIN/romvane" "$DEMO/demo.sav"
fi
"$BIN/romvane-cli" info "$DEMO"/*.nes
"$BIN/romvane-cli" build "$DEMO/demo.sav" --dir "$BIN"
echo "Built $BIN/rom.bin from $DEMO/demo.sav with the example menu (map: $BIN/roms.map)."
