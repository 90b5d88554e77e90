#!/usr/bin/python3
"""Builds a cartridge from test games and plays it in FCEUX and in MAME's gprnrs1.

    cartridge_test.py ROMVANE_CLI MENU_DIR WORK_DIR

Each game is assembled by ca65 (NROM and MMC3, 16 KB to 512 KB of program, both
mirrorings), and one more is cc65's own "hello" sample built with its stock NES
configuration, which keeps its variables in work RAM at $6000. The cartridge is built with
`romvane-cli build` and the example menu, and every game is started from the menu (Down k
times, Start). Its screen two seconds later must match the same game run alone in FCEUX,
pixel for pixel up to the palette; the menu must not be blank.

A second cartridge keeps a reserve of 0x10000 bytes for the menu and holds 300 games: 299
copies of the first test game, then the cc65 game, reached with Right (a page) and Down.
Exits 77 (skipped) when an emulator is not installed.
"""
import os
import shutil
import subprocess
import sys
import time

from PIL import Image

from emulators import (FCEUX_CROP, FCEUX_PRELUDE, SKIP, mame_roms, menu_folder, phase,
                       run_mame, screen_match, start_fceux, tool, write_list)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MAKE_GAME = os.path.join(ROOT, "examples", "demo", "make_demo.py")
CC65_HELLO = "/usr/share/cc65/samples/hello.c"
LONG_LIST = 300
LONG_RESERVE = "10000"
GAME_FRAMES = 120           # two seconds after Start

# name, mapper, program KB, tile KB, mirroring, seed
GAMES = [
    ("NROM 16K", 0, 16, 8, "v", 1),
    ("NROM 32K", 0, 32, 8, "h", 2),
    ("MMC3 128K", 4, 128, 128, "h", 3),
    ("MMC3 512K", 4, 512, 256, "v", 4),
    ("MMC3 256K", 4, 256, 64, "v", 5),
    ("MMC3 512K B", 4, 512, 128, "h", 6),
    ("MMC3 64K", 4, 64, 32, "v", 7),
    ("NROM 32K B", 0, 32, 8, "v", 8),
]

FCEUX_ALONE = FCEUX_PRELUDE + """
wait({frames})
gui.savescreenshotas("{shot}")
wait(5)
emu.exit()
"""

# One session for all games of a cartridge: power on, the moves to game k, Start,
# screenshot.
FCEUX_CART = FCEUX_PRELUDE + """
local runs = {runs}
for n, moves in ipairs(runs) do
  emu.poweron()
  wait(240)
  if n == 1 then
    gui.savescreenshotas("{work}/fceux-{cart}-menu.png")
    wait(5)  -- the picture is taken a few frames later: the menu must still be there
  end
  for _, m in ipairs(moves) do
    for i = 1, m[2] do wait(4, {{[m[1]] = true}}) wait(4, {{}}) end
  end
  wait(4, {{start = true}})
  wait({frames})
  gui.savescreenshotas("{work}/fceux-{cart}-" .. (n - 1) .. ".png")
  wait(5)
end
emu.exit()
"""

MAME_CART = """
local first = {first}
local frame, steps = 0, {{}}
local function press(name, at)
  table.insert(steps, {{at, name, 1}})
  table.insert(steps, {{at + 4, name, 0}})
end
local t = 60
for _, m in ipairs({moves}) do
  for i = 1, m[2] do press(m[1], t); t = t + 8 end
end
press("P1 Start", t)
local shot = t + 4 + {frames}
emu.register_frame_done(function()
  frame = frame + 1
  local port = manager.machine.ioport.ports[":IO0"]
  for _, s in ipairs(steps) do
    if s[1] == frame then port.fields[s[2]]:set_value(s[3]) end
  end
  local screen = manager.machine.screens[":soc:screen"]
  if frame == 59 and first then screen:snapshot("menu.png") end
  if frame == shot then screen:snapshot("game.png") end
  if frame == shot + 3 then manager.machine:exit() end
end)
"""


def page_rows(cart):
    """Rows on one page of the example menu, as the builder wrote them into Glyphs.inc."""
    with open(os.path.join(cart, "Glyphs.inc")) as f:
        for line in f:
            name, _, value = line.partition("=")
            if name.strip() == "MENU_ROWS":
                return int(value.split(";")[0])
    raise SystemExit(f"{cart}/Glyphs.inc names no MENU_ROWS")


def moves_to(k, rows):
    """The menu's moves to game k (from 0): whole pages of `rows` with Right, then Down."""
    return [("right", k // rows), ("down", k % rows)]


def lua_moves(moves, names):
    return "{" + ", ".join(f'{{"{names[b]}", {n}}}' for b, n in moves) + "}"


def mame(mame_path, roms, name, k, rows, work):
    """One run of gprnrs1 starting game k; gives the paths of the menu and game shots."""
    names = {"right": "P1 Right", "down": "P1 Down"}
    script = MAME_CART.format(first="true" if k == 0 else "false",
                              moves=lua_moves(moves_to(k, rows), names), frames=GAME_FRAMES)
    shots = run_mame(mame_path, roms, script, os.path.join(work, f"mame-{name}-{k}"))
    return os.path.join(shots, "menu.png"), os.path.join(shots, "game.png")


def matches(alone, other, other_top):
    """The game alone (an FCEUX screenshot) against a screen whose picture starts at line
    other_top of the console's 240."""
    return screen_match(alone, other, box_b=f"0,{other_top},256,{240 - 2 * FCEUX_CROP}",
                        min_colours=2)


def colours(path):
    with Image.open(path) as im:
        return len(set(im.convert("RGB").getdata()))


def make_games(work, cl65):
    """Assembles the test games and builds cc65's sample; gives (name, path) pairs."""
    games = []
    for i, (name, mapper, prg, chr_kb, mirroring, seed) in enumerate(GAMES):
        path = os.path.join(work, f"game{i}.nes")
        subprocess.run([sys.executable, MAKE_GAME, path, "--name", name, "--mapper", str(mapper),
                        "--prg", str(prg), "--chr", str(chr_kb), "--mirroring", mirroring,
                        "--seed", str(seed), "--work", os.path.join(work, f"src{i}")],
                       check=True)
        games.append((name, path))
    hello = os.path.join(work, "hello.nes")
    subprocess.run([cl65, "-t", "nes", "-O", "-o", hello, CC65_HELLO], check=True,
                   cwd=work)
    games.append(("cc65 hello", hello))
    return games


def build(cli, menu_dir, work, name, lines, reserve=None):
    """A cartridge folder with the example menu, built from list lines; gives the folder."""
    cart = menu_folder(menu_dir, os.path.join(work, name))
    listing = write_list(os.path.join(work, name + ".sav"), lines)
    extra = ["--reserve", reserve] if reserve else []
    r = subprocess.run([cli, "build", listing, "--dir", cart] + extra, capture_output=True,
                       text=True)
    if r.returncode != 0:
        print(f"{name}: the build failed\n{r.stderr}")
        return None
    return cart


def check_screens(name, alone, shots, failures):
    """shots: (emulator, path, first line of the console's picture) of one started game."""
    if not os.path.exists(alone):
        failures.append(f"{name}: FCEUX gave no screen of the game alone")
        return
    for emulator, shot, top in shots:
        if not os.path.exists(shot):
            failures.append(f"{name} in {emulator}: no screen")
            continue
        ok, detail = matches(alone, shot, top)
        if not ok:
            failures.append(f"{name} in {emulator}: {detail}")


def check_menu(cart, shots, failures):
    for emulator, shot in shots:
        if not os.path.exists(shot) or colours(shot) < 2:
            failures.append(f"{cart}, {emulator}: the menu screen is blank or missing")


def main():
    cli, menu_dir, work = sys.argv[1:4]
    started = time.monotonic()
    tools = {n: tool(n) for n in ("ca65", "ld65", "cl65", "fceux", "mame", "xvfb-run")}
    missing = [n for n, p in tools.items() if not p]
    if missing:
        print("not installed: " + ", ".join(missing))
        # Only the emulators and their X server may be missing: the assembler is part of
        # the build.
        return 1 if any(not tools[n] for n in ("ca65", "ld65", "cl65")) else SKIP
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    games = make_games(work, tools["cl65"])
    started = phase("games assembled", started)
    cart = build(cli, menu_dir, work, "cart", [p for _, p in games])
    if not cart:
        return 1
    size = os.path.getsize(os.path.join(cart, "rom.bin"))
    if size <= 2 * 1024 * 1024:
        print(f"the image is only {size:#x} bytes: it must pass 2 MB")
        return 1
    image = os.path.join(cart, "rom.nes")
    if not os.path.exists(image):
        print("the build wrote no rom.nes")
        return 1
    # The long list: copies of the first game under their own titles, the last game after
    # them; it starts from game 1 and from the last.
    first, last = games[0][1], games[-1][1]
    long_lines = [f"{first},Copy {n}" for n in range(1, LONG_LIST)] + [last]
    long_cart = build(cli, menu_dir, work, "long", long_lines, LONG_RESERVE)
    if not long_cart:
        return 1
    long_targets = [(0, games[0]), (LONG_LIST - 1, games[-1])]
    started = phase("cartridges built", started)

    # FCEUX runs under its X server while MAME, which needs none, runs beside it.
    runs = [(i, FCEUX_ALONE.format(frames=GAME_FRAMES + 30,
                                   shot=os.path.join(work, f"alone-{i}.png")), path, 30)
            for i, (_, path) in enumerate(games)]
    fceux_names = {"right": "right", "down": "down"}
    for name, targets, folder in (("cart", range(len(games)), cart),
                                  ("long", [k for k, _ in long_targets], long_cart)):
        rows = page_rows(folder)
        moves = "{" + ", ".join(lua_moves(moves_to(k, rows), fceux_names) for k in targets) + "}"
        runs.append((name, FCEUX_CART.format(runs=moves, frames=GAME_FRAMES, work=work, cart=name),
                     os.path.join(folder, "rom.nes"), 90))
    fceux_sessions = start_fceux(tools["fceux"], runs, work)
    roms = mame_roms(os.path.join(cart, "rom.bin"), os.path.join(work, "roms-cart"))
    mame_shots = [mame(tools["mame"], roms, "cart", i, page_rows(cart), work)
                  for i in range(len(games))]
    long_roms = mame_roms(os.path.join(long_cart, "rom.bin"), os.path.join(work, "roms-long"))
    long_shots = [mame(tools["mame"], long_roms, "long", k, page_rows(long_cart), work)
                  for k, _ in long_targets]
    started = phase("MAME", started)
    fceux_sessions.wait()
    started = phase("FCEUX", started)

    failures = []
    alone = [os.path.join(work, f"alone-{i}.png") for i in range(len(games))]
    check_menu("cart", [("FCEUX", os.path.join(work, "fceux-cart-menu.png")),
                        ("MAME gprnrs1", mame_shots[0][0])], failures)
    check_menu("long", [("FCEUX", os.path.join(work, "fceux-long-menu.png")),
                        ("MAME gprnrs1", long_shots[0][0])], failures)
    for i, (name, _) in enumerate(games):
        check_screens(f"{name} (game {i + 1})", alone[i],
                      [("FCEUX", os.path.join(work, f"fceux-cart-{i}.png"), 0),
                       ("MAME gprnrs1", mame_shots[i][1], FCEUX_CROP)], failures)
    for n, (k, (name, _)) in enumerate(long_targets):
        i = games.index(long_targets[n][1])
        check_screens(f"{name} (game {k + 1} of {LONG_LIST}, reserve {LONG_RESERVE})", alone[i],
                      [("FCEUX", os.path.join(work, f"fceux-long-{n}.png"), 0),
                       ("MAME gprnrs1", long_shots[n][1], FCEUX_CROP)], failures)
    phase("comparisons", started)
    for f in failures:
        print(f)
    print(f"{len(games)} games and {LONG_LIST}, images {size:#x} and "
          f"{os.path.getsize(os.path.join(long_cart, 'rom.bin')):#x} bytes: "
          + ("all match in both emulators" if not failures else f"{len(failures)} failures"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
