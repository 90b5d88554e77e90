#!/usr/bin/python3
"""Builds a cartridge from test games and plays it in FCEUX and in MAME's gprnrs1.

    cartridge_test.py ROMVANE_CLI MENU_DIR WORK_DIR

Each game is assembled by ca65 (NROM and MMC3, 16 KB to 512 KB of program, both
mirrorings), the cartridge is built with `romvane-cli build` and the example menu, and
every game is started from the menu (Down k times, Start). Its screen two seconds later
must match the same game run alone in FCEUX, pixel for pixel up to the palette; the menu
must not be blank. Exits 77 (skipped) when an emulator is not installed.
"""
import os
import shutil
import subprocess
import sys
import time

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MAKE_GAME = os.path.join(ROOT, "examples", "demo", "make_demo.py")
MATCH = os.path.join(HERE, "screen_match.py")
MENU_FILES = ("make.sh", "menu.s", "menu.cfg", "GameSub.inc", "vt03.inc")
SKIP = 77
GAME_FRAMES = 120           # two seconds after Start
FCEUX_CROP = 8              # FCEUX's screenshots leave out the top and bottom 8 lines

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

FCEUX_ALONE = """
emu.speedmode("maximum")
for i = 1, {frames} do emu.frameadvance() end
gui.savescreenshotas("{shot}")
for i = 1, 5 do emu.frameadvance() end
emu.exit()
"""

# One session for all games: power on, Down k times, Start, screenshot.
FCEUX_CART = """
emu.speedmode("maximum")
local function wait(n, pad)
  for i = 1, n do
    if pad then joypad.set(1, pad) end
    emu.frameadvance()
  end
end
for k = 0, {count} - 1 do
  emu.poweron()
  wait(240)
  if k == 0 then
    gui.savescreenshotas("{work}/fceux-menu.png")
    wait(5)  -- the picture is taken a few frames later: the menu must still be there
  end
  for i = 1, k do wait(4, {{down = true}}) wait(4, {{}}) end
  wait(4, {{start = true}})
  wait({frames})
  gui.savescreenshotas("{work}/fceux-" .. k .. ".png")
  wait(5)
end
emu.exit()
"""

MAME_CART = """
local k = {k}
local frame, steps = 0, {{}}
local function press(name, at)
  table.insert(steps, {{at, name, 1}})
  table.insert(steps, {{at + 4, name, 0}})
end
local t = 60
for i = 1, k do press("P1 Down", t); t = t + 8 end
press("P1 Start", t)
local shot = t + 4 + {frames}
emu.register_frame_done(function()
  frame = frame + 1
  local port = manager.machine.ioport.ports[":IO0"]
  for _, s in ipairs(steps) do
    if s[1] == frame then port.fields[s[2]]:set_value(s[3]) end
  end
  local screen = manager.machine.screens[":soc:screen"]
  if frame == 59 and k == 0 then screen:snapshot("menu.png") end
  if frame == shot then screen:snapshot("game.png") end
  if frame == shot + 3 then manager.machine:exit() end
end)
"""


def tool(name):
    for d in os.environ.get("PATH", "").split(os.pathsep) + ["/usr/games"]:
        p = os.path.join(d, name)
        if os.path.isfile(p) and os.access(p, os.X_OK):
            return p
    return None


def start_fceux(fceux_path, runs, work):
    """Starts every FCEUX session, one after the other, under one virtual X server: runs are
    (Lua script, image, time limit) triples. Gives the process to wait for."""
    lines = []
    for n, (script, image, limit) in enumerate(runs):
        lua = os.path.join(work, f"fceux-{n}.lua")
        with open(lua, "w") as f:
            f.write(script)
        lines.append(f"timeout -s KILL {limit} '{fceux_path}' --no-config 1 --sound 0 "
                     f"--loadlua '{lua}' '{image}'")
    sessions = os.path.join(work, "fceux.sh")
    with open(sessions, "w") as f:
        f.write("\n".join(lines) + "\n")
    return subprocess.Popen(["xvfb-run", "-a", "sh", sessions], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, cwd=work)


def mame(mame_path, roms, k, work):
    """One run of gprnrs1 starting game k; gives the paths of the menu and game shots."""
    run = os.path.join(work, f"mame-{k}")
    os.makedirs(run, exist_ok=True)
    shots = os.path.join(run, "snap")
    lua = os.path.join(run, "run.lua")
    with open(lua, "w") as f:
        f.write(MAME_CART.format(k=k, frames=GAME_FRAMES))
    # Debian's build may crash on leaving after a script: the snapshots count, not the status.
    subprocess.run(["timeout", "-s", "KILL", "60", mame_path, "gprnrs1", "-rompath",
                    roms, "-video", "none", "-sound", "none",
                    "-nothrottle", "-skip_gameinfo", "-snapshot_directory", shots,
                    "-cfg_directory", os.path.join(run, "cfg"), "-nvram_directory",
                    os.path.join(run, "nv"), "-autoboot_script", lua],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=run)
    return os.path.join(shots, "menu.png"), os.path.join(shots, "game.png")


def matches(alone, other, other_top):
    """The game alone (an FCEUX screenshot) against a screen whose picture starts at line
    other_top of the console's 240."""
    box_b = f"0,{other_top},256,{240 - 2 * FCEUX_CROP}"
    r = subprocess.run([sys.executable, MATCH, alone, other, "--box-b", box_b,
                        "--min-colours", "2"], capture_output=True, text=True)
    return r.returncode == 0, (r.stdout + r.stderr).strip()


def colours(path):
    with Image.open(path) as im:
        return len(set(im.convert("RGB").getdata()))


def mame_roms(cart, work):
    """gprnrs1 takes an 8 MB ROM: the cartridge image followed by zeros, in a folder of
    its own name. Gives the ROM folder."""
    roms = os.path.join(work, "roms")
    os.makedirs(os.path.join(roms, "gprnrs1"))
    with open(os.path.join(cart, "rom.bin"), "rb") as f:
        data = f.read()
    with open(os.path.join(roms, "gprnrs1", "gprnrs1.bin"), "wb") as f:
        f.write(data + bytes(8 * 1024 * 1024 - len(data)))
    return roms


def phase(name, started):
    print(f"{name}: {time.monotonic() - started:.1f} s", flush=True)
    return time.monotonic()


def main():
    cli, menu_dir, work = sys.argv[1:4]
    started = time.monotonic()
    tools = {n: tool(n) for n in ("ca65", "ld65", "fceux", "mame", "xvfb-run")}
    missing = [n for n, p in tools.items() if not p]
    if missing:
        print("not installed: " + ", ".join(missing))
        # Only the emulators and their X server may be missing: the assembler is part of
        # the build.
        return 1 if not tools["ca65"] or not tools["ld65"] else SKIP
    shutil.rmtree(work, ignore_errors=True)
    cart = os.path.join(work, "cart")
    os.makedirs(cart)
    for name in MENU_FILES:
        shutil.copy(os.path.join(menu_dir, name), cart)
    paths = []
    for i, (name, mapper, prg, chr_kb, mirroring, seed) in enumerate(GAMES):
        path = os.path.join(work, f"game{i}.nes")
        subprocess.run([sys.executable, MAKE_GAME, path, "--name", name, "--mapper", str(mapper),
                        "--prg", str(prg), "--chr", str(chr_kb), "--mirroring", mirroring,
                        "--seed", str(seed), "--work", os.path.join(work, f"src{i}")],
                       check=True)
        paths.append(path)
    started = phase("games assembled", started)
    with open(os.path.join(work, "list.sav"), "w", newline="") as f:
        f.write("".join(p + "\r\n" for p in paths))
    subprocess.run([cli, "build", os.path.join(work, "list.sav"), "--dir", cart], check=True)
    size = os.path.getsize(os.path.join(cart, "rom.bin"))
    if size <= 2 * 1024 * 1024:
        print(f"the image is only {size:#x} bytes: it must pass 2 MB")
        return 1
    image = os.path.join(cart, "rom.nes")
    if not os.path.exists(image):
        print("the build wrote no rom.nes")
        return 1

    started = phase("cartridge built", started)
    # FCEUX runs under its X server while MAME, which needs none, runs beside it.
    runs = [(FCEUX_ALONE.format(frames=GAME_FRAMES + 30, shot=os.path.join(work, f"alone-{i}.png")),
             path, 30) for i, path in enumerate(paths)]
    runs.append((FCEUX_CART.format(count=len(paths), frames=GAME_FRAMES, work=work), image, 90))
    fceux_sessions = start_fceux(tools["fceux"], runs, work)
    roms = mame_roms(cart, work)
    mame_shots = [mame(tools["mame"], roms, i, work) for i in range(len(GAMES))]
    started = phase("MAME", started)
    fceux_sessions.wait()
    started = phase("FCEUX", started)

    failures = []
    for i, (name, *_rest) in enumerate(GAMES):
        alone = os.path.join(work, f"alone-{i}.png")
        if not os.path.exists(alone):
            failures.append(f"{name}: FCEUX gave no screen of the game alone")
            continue
        menu_shot, game_shot = mame_shots[i]
        shots = [("FCEUX", os.path.join(work, f"fceux-{i}.png"), 0),
                 ("MAME gprnrs1", game_shot, FCEUX_CROP)]
        if i == 0:
            for emulator, shot in (("FCEUX", os.path.join(work, "fceux-menu.png")),
                                   ("MAME gprnrs1", menu_shot)):
                if not os.path.exists(shot) or colours(shot) < 2:
                    failures.append(f"{emulator}: the menu screen is blank or missing")
        for emulator, shot, top in shots:
            if not os.path.exists(shot):
                failures.append(f"{name} in {emulator}: no screen")
                continue
            ok, detail = matches(alone, shot, top)
            if not ok:
                failures.append(f"{name} in {emulator} (Down x{i}): {detail}")
    phase("comparisons", started)
    for f in failures:
        print(f)
    print(f"{len(GAMES)} games, image {size:#x} bytes: "
          + ("all match in both emulators" if not failures else f"{len(failures)} failures"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
