#!/bin/sh
# Takes the picture of Romvane's window shown in the README: a few demo games in the
# list, the window drawn under a virtual X server.
# usage: sh romvane/ui/doc/screenshot.sh [BUILD_DIR] [OUTPUT.png]
set -eu
cd "$(dirname "$0")/../../.."
BUILD=${1:-build}
OUT=${2:-romvane/ui/doc/romvane-window.png}
DEMO=$(mktemp -d)
trap 'rm -rf "$DEMO"' EXIT

python3 - "$DEMO" <<'PY'
import os, sys
demo = sys.argv[1]
def game(name, prg, chr, flags6, flags7=0):
    header = bytes([0x4E, 0x45, 0x53, 0x1A, prg, chr, flags6, flags7]) + bytes(8)
    with open(os.path.join(demo, name + ".nes"), "wb") as f:
        f.write(header + bytes(prg * 0x4000 + chr * 0x2000))
    return os.path.join(demo, name + ".nes")
games = [game("Tank", 2, 1, 0x01), game("Super Racer", 8, 8, 0x00),
         game("Puzzle", 1, 0, 0x01), game("Adventure Island", 2, 4, 0x12),
         game("魂斗罗", 8, 16, 0x41)]
with open(os.path.join(demo, "demo.sav"), "wb") as f:
    for path, title in zip(games, ["", "", "", "", "魂斗罗 (Contra)"]):
        line = path + ("," + title if title else "")
        f.write(line.encode("gbk") + b"\r\n")
PY

# A sanitized build would fail on a leak inside the system's D-Bus library, not ours.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} xvfb-run -a -s "-screen 0 1280x800x24" \
  "$BUILD/bin/romvane" --dir "$DEMO" "$DEMO/demo.sav" --screenshot "$OUT"
echo "Wrote $OUT"
