#!/bin/sh
# Takes the picture of Tilvex's window shown in the README: a converted picture in the view
# and a small project in the tree, the window drawn under a virtual X server.
# usage: sh tilvex/ui/doc/screenshot.sh [BUILD_DIR] [OUTPUT.png]
set -eu
cd "$(dirname "$0")/../../.."
BUILD=${1:-build}
OUT=$(realpath -m "${2:-tilvex/ui/doc/tilvex-window.png}")
DEMO=$(mktemp -d)
trap 'rm -rf "$DEMO"' EXIT

python3 - "$DEMO" <<'PY'
import os, struct, sys
demo = sys.argv[1]

def bmp(name, pixel, w=256, h=240):
    rows = b"".join(bytes(c for x in range(w) for c in pixel(x, y)[::-1]) for y in reversed(range(h)))
    head = b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(os.path.join(demo, name + ".bmp"), "wb") as f:
        f.write(head + info + rows)

def sky(x, y):
    if y > 180: return (40, 150, 60) if (x // 16 + y // 16) % 2 else (30, 120, 50)
    if (x - 190) ** 2 + (y - 60) ** 2 < 600: return (250, 210, 40)
    if y > 120 and abs(x - 80) < (y - 120): return (120, 90, 60)
    return (90, 150, 240)

def title(x, y):
    if 40 <= y < 200 and 32 <= x < 224 and (x // 32 + y // 40) % 2: return (220, 40, 40)
    return (20, 20, 60)

bmp("stage", sky)
bmp("title", title)

def entry(depth, kind, label, path=""):
    data = struct.pack("<IBB", depth, kind, len(label.encode())) + label.encode()
    if depth == 0:
        return data
    for text in (label, path, ""):
        data += struct.pack("<H", len(text.encode())) + text.encode()
    return data + bytes([kind, 0, 0, 0, 0, 1 if kind == 1 else 0, 0, 1]) + struct.pack("<I", 0)

prg = os.path.join(demo, "game.prg")
nodes = [entry(0, 0, prg), entry(1, 1, "Title"), entry(2, 2, "Screens"),
         entry(3, 3, "title", os.path.join(demo, "title.pic")),
         entry(3, 3, "stage", os.path.join(demo, "stage.pic")), entry(1, 1, "Ending")]
with open(prg, "wb") as f:
    f.write(b"PRG2\0" + bytes([len(nodes)]) + b"".join(nodes))
os.makedirs(os.path.join(demo, "config", "TILVEX"))
with open(os.path.join(demo, "config", "TILVEX", "Tilvex.conf"), "w") as f:
    f.write("[General]\nPPUMode=0\nPRGPath=" + prg + "\n")
PY
for name in title stage; do
  "$BUILD/bin/tilvex-cli" convert "$DEMO/$name.bmp" -o "$DEMO/$name.pic" > /dev/null
done

# The project comes back folded at start-up; a click on its root and "*" unfold it. The
# floating tool box is put away first, as a capture of the main window cannot show it.
cat > "$DEMO/shoot.sh" <<'SH'
set -eu
"$1/bin/tilvex" "$2/stage.pic" &
APP=$!
WIN=$(xdotool search --sync --onlyvisible --name '^Tilvex$' | head -n 1)
sleep 2
xdotool windowfocus --sync "$WIN" key alt+v b
sleep 1
xdotool mousemove --window "$WIN" 60 68 click 1 key asterisk
sleep 1
import -window "$WIN" "$3"
kill "$APP"
SH
# A sanitized build would fail on a leak inside the system's D-Bus library, not ours.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} XDG_CONFIG_HOME="$DEMO/config" \
  xvfb-run -a -s "-screen 0 1280x800x24" sh "$DEMO/shoot.sh" "$(realpath "$BUILD")" "$DEMO" "$OUT"
echo "Wrote $OUT"
