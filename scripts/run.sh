#!/bin/sh
# Installs what is missing, builds the toolkit and starts one program:
#   sh scripts/run.sh [romvane|tilvex] [ARGUMENTS...]
# Only what runs is built: the four programs, their data files, the example menu and the
# demo games (no test, bench or fuzz program; scripts/test.sh builds those).
# Romvane (the default) builds the demo cartridge from the demo games with its command-line
# twin, then opens its window on them where a display is available. Tilvex opens its window
# on the arguments given (a picture or a .pic file).
set -eu
PROGRAM=${1:-romvane}
case "$PROGRAM" in
  romvane|tilvex) [ $# -gt 0 ] && shift ;;
  *) echo "usage: sh scripts/run.sh [romvane|tilvex] [ARGUMENTS...]" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_WERROR=OFF -DVT_BUILD_TESTS=OFF -DVT_UNITY_BUILD=ON
cmake --build build -j "$(nproc)"

BIN=$(pwd)/build/bin
if [ "$PROGRAM" = tilvex ]; then
  exec "$BIN/tilvex" "$@"
fi
DEMO=$(pwd)/build/demo

# Three small demo games, assembled by ca65 during the build (examples/demo), so the example
# menu has titles to show and each one starts, and the slideshow and animation player that
# show what Tilvex writes (examples/slideshow, examples/animation).
: > "$DEMO/demo.sav"
for game in demo-tank demo-racer demo-puzzle slideshow animation; do
  [ -f "$DEMO/$game.nes" ] || { echo "$DEMO/$game.nes was not built (is ca65 installed?)" >&2; exit 1; }
  printf '%s\r\n' "$DEMO/$game.nes" >> "$DEMO/demo.sav"
done

# The demo cartridge is built first, so `fceux build/bin/rom.nes` shows it at once.
"$BIN/romvane-cli" info "$DEMO"/*.nes
"$BIN/romvane-cli" build "$DEMO/demo.sav" --dir "$BIN"
echo "Built $BIN/rom.bin and $BIN/rom.nes from $DEMO/demo.sav with the example menu (map: $BIN/roms.map)."
if [ -x "$BIN/romvane" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$BIN/romvane" --dir "$BIN" "$DEMO/demo.sav"
fi
