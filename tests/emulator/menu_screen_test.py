#!/usr/bin/python3
"""The example menu's screen against the font itself, in FCEUX and in MAME's gprnrs1.

    menu_screen_test.py ROMVANE_CLI MENU_DIR WORK_DIR

Builds a cartridge of Chinese, mixed and long titles with `romvane-cli build` and the
example menu, and takes the first page and the second one, with the cursor moved, in both
emulators. Each row's number and title must draw, pixel for pixel, the
glyphs GNU Unifont has for its characters (read here from the font file, as the title's
GBK bytes decode), a cut title its first characters and "…"; the cursor's row must stand
out from the rows around it, which alternate. Exits 77 (skipped) when an emulator is not
installed.
"""
import os
import shutil
import subprocess
import sys

from PIL import Image

from emulators import (FCEUX_CROP, FCEUX_PRELUDE, SKIP, mame_roms, menu_folder, run_mame,
                       start_fceux, tool, write_list)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MAKE_GAME = os.path.join(ROOT, "examples", "demo", "make_demo.py")
FONT = os.environ.get("ROMVANE_FONT") or "/usr/share/unifont/unifont.hex"

ROWS = 10               # titles on a page
FIRST_ROW_Y = 48        # console line of the first row; rows are 16 lines
NUMBER_X = 16           # cells 2-6: a blank, three digits right-aligned, a blank
TITLE_X = 56            # cells 7-28
TITLE_CELLS = 22

TITLES = [
    "你好世界", "赛车", "魂斗罗", "超级马里奥兄弟", "坦克大战 Battle City", "Contra",
    "俄罗斯方块 Tetris", "Super Mario Bros. 3", "赛车世界", "双截龙 II",
    "冒险岛", "Galaxian 小蜜蜂", "吃豆人 Pac-Man", "一二三四五六七八九十甲乙丙丁戊",
    "a_long_english_title_with_g_p_y_v_i", "忍者龙剑传", "热血物语", "Bomberman 炸弹人",
    "马戏团", "Road Fighter 公路赛车",
]

FCEUX_SCRIPT = FCEUX_PRELUDE + """
wait(120)
gui.savescreenshotas("{work}/fceux-page1.png")
wait(5)  -- FCEUX writes the picture a few frames later: the page must still be there
wait(4, {{right = true}}) wait(4, {{}})
wait(4, {{down = true}}) wait(4, {{}})
wait(4, {{down = true}}) wait(4, {{}})
wait(10)
gui.savescreenshotas("{work}/fceux-page2.png")
wait(5)
emu.exit()
"""

# The first page, then Right and Down twice: the second page with the cursor on game 13.
MAME_SCRIPT = """
local frame = 0
local presses = {{100, "P1 Right"}, {116, "P1 Down"}, {132, "P1 Down"}}
emu.register_frame_done(function()
  frame = frame + 1
  local port = manager.machine.ioport.ports[":IO0"]
  for _, p in ipairs(presses) do
    if frame == p[1] then port.fields[p[2]]:set_value(1) end
    if frame == p[1] + 4 then port.fields[p[2]]:set_value(0) end
  end
  local screen = manager.machine.screens[":soc:screen"]
  if frame == 90 then screen:snapshot("page1.png") end
  if frame == 160 then screen:snapshot("page2.png") end
  if frame == 163 then manager.machine:exit() end
end)
"""


def read_font(wanted):
    """Unifont's .hex lines: code point to (width, 16 rows of bits, leftmost first)."""
    glyphs = {}
    with open(FONT) as f:
        for line in f:
            code, _, bitmap = line.strip().partition(":")
            point = int(code, 16)
            if point not in wanted:
                continue
            width = len(bitmap) * 4 // 16
            digits = width // 4
            glyphs[point] = (width, [int(bitmap[r * digits:(r + 1) * digits], 16)
                                     for r in range(16)])
    return glyphs


def characters(title):
    """The title's characters as its GBK bytes hold them, one or two bytes each."""
    data, out, i = title.encode("gbk"), [], 0
    while i < len(data):
        n = 2 if data[i] > 0x80 else 1
        out.append(data[i:i + n].decode("gbk"))
        i += n
    return out


def text_bits(chars, font, cells):
    """16 rows of cells * 8 bits, the glyphs from the left; a text longer than the cells
    keeps the characters that leave room for "…" and ends with it."""
    widths = [font[ord(c)][0] for c in chars]
    if sum(widths) > cells * 8:
        keep, used = 0, 0
        while used + widths[keep] <= (cells - 1) * 8:
            used += widths[keep]
            keep += 1
        chars = chars[:keep] + ["…"]
    rows, x = [[0] * (cells * 8) for _ in range(16)], 0
    for c in chars:
        width, bits = font[ord(c)]
        for r in range(16):
            for b in range(width):
                rows[r][x + b] = (bits[r] >> (width - 1 - b)) & 1
        x += width
    return rows


def compare(image, x0, y0, bits, what):
    """The box must hold two colours, ink exactly where the font has a bit set. Gives the
    background colour, or raises with the first pixels that differ."""
    px = image.load()
    ink, paper, wrong = set(), set(), []
    for y, row in enumerate(bits):
        for x, bit in enumerate(row):
            (ink if bit else paper).add(px[x0 + x, y0 + y])
    if len(paper) != 1 or len(ink) > 1 or ink == paper:
        for y, row in enumerate(bits):
            for x, bit in enumerate(row):
                wrong.append((x0 + x, y0 + y, bit, px[x0 + x, y0 + y]))
        raise AssertionError(f"{what}: ink colours {sorted(ink)}, background colours "
                             f"{sorted(paper)}; first pixels (x, y, font bit, colour): "
                             f"{wrong[:4]}")
    return paper.pop()


def check_page(path, top, first_game, cursor, font, games):
    """Rows of the page that starts with game first_game (0-based), the cursor on game
    `cursor`; `top` is the line of the screenshot that shows console line 0."""
    failures = []
    with Image.open(path) as im:
        image = im.convert("RGB")
    bars = []
    for r in range(ROWS):
        g = first_game + r
        if g >= games:
            break
        y = FIRST_ROW_Y + 16 * r - top
        try:
            number = list(f" {g + 1:>3} ")
            bar = compare(image, NUMBER_X, y, text_bits(number, font, 5), f"number {g + 1}")
            title = characters(TITLES[g])
            title_bar = compare(image, TITLE_X, y, text_bits(title, font, TITLE_CELLS),
                                f"title {g + 1} {TITLES[g]!r}")
            if title_bar != bar:
                raise AssertionError(f"row {g + 1}: number and title on different bars")
            bars.append((g, bar))
        except AssertionError as e:
            failures.append(f"{os.path.basename(path)}: {e}")
    even = {bar for g, bar in bars if g != cursor and (g - first_game) % 2 == 0}
    odd = {bar for g, bar in bars if g != cursor and (g - first_game) % 2 == 1}
    marked = [bar for g, bar in bars if g == cursor]
    if not failures:
        if len(marked) != 1 or marked[0] in even | odd:
            failures.append(f"{os.path.basename(path)}: the cursor's row is not highlighted")
        if len(even) != 1 or len(odd) != 1 or even == odd:
            failures.append(f"{os.path.basename(path)}: the rows do not alternate")
    return failures


def build(cli, menu_dir, work):
    cart = menu_folder(menu_dir, os.path.join(work, "cart"))
    game = os.path.join(work, "game.nes")
    subprocess.run([sys.executable, MAKE_GAME, game, "--name", "GAME", "--prg", "16",
                    "--chr", "8", "--work", os.path.join(work, "src")], check=True)
    listing = write_list(os.path.join(work, "list.sav"), [f"{game},{t}" for t in TITLES], "gbk")
    subprocess.run([cli, "build", listing, "--dir", cart], check=True)
    return cart


def run_emulators(fceux, mame, cart, work):
    """Both pages in both emulators; gives MAME's snapshot folder."""
    session = start_fceux(fceux, [("pages", FCEUX_SCRIPT.format(work=work),
                                   os.path.join(cart, "rom.nes"), 40)], work)
    roms = mame_roms(os.path.join(cart, "rom.bin"), os.path.join(work, "roms"))
    shots = run_mame(mame, roms, MAME_SCRIPT, work, limit=40)
    session.wait()
    return shots


def main():
    cli, menu_dir, work = sys.argv[1:4]
    tools = {n: tool(n) for n in ("fceux", "mame", "xvfb-run")}
    missing = [n for n, p in tools.items() if not p]
    if missing:
        print("not installed: " + ", ".join(missing))
        return SKIP
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    wanted = {ord(c) for t in TITLES for c in t} | {ord(c) for c in "0123456789 …"}
    font = read_font(wanted)
    cart = build(cli, menu_dir, work)
    shots = run_emulators(tools["fceux"], tools["mame"], cart, work)
    failures = []
    for path, top, first, cursor in ((os.path.join(work, "fceux-page1.png"), FCEUX_CROP, 0, 0),
                                     (os.path.join(shots, "page1.png"), 0, 0, 0),
                                     (os.path.join(work, "fceux-page2.png"), FCEUX_CROP, 10, 12),
                                     (os.path.join(shots, "page2.png"), 0, 10, 12)):
        if not os.path.exists(path):
            failures.append(f"no screen {path}")
            continue
        failures += check_page(path, top, first, cursor, font, len(TITLES))
    for f in failures:
        print(f)
    print(f"{len(TITLES)} titles on two pages: "
          + ("every glyph matches the font" if not failures else f"{len(failures)} failures"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
