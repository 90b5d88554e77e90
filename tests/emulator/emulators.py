"""What the console tests share: finding the emulators, FCEUX sessions under a virtual X
server, MAME's gprnrs1 runs without a screen, cartridges with the example menu and the
screen comparison."""
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MATCH = os.path.join(HERE, "screen_match.py")
SKIP = 77                   # CTest's "skipped"
MENU_FILES = ("make.sh", "menu.s", "menu.cfg", "GameSub.inc", "vt03.inc")
FCEUX_CROP = 8              # FCEUX's screenshots leave out the top and bottom 8 lines
MAME_ROM_SIZE = 8 * 1024 * 1024  # gprnrs1's ROM: the image, then zeros

# The start of every FCEUX script: full speed, and wait(n, pad) to hold pad 1's buttons
# (a table such as {down = true}, or {} for none) for n frames.
FCEUX_PRELUDE = """
emu.speedmode("maximum")
local function wait(n, pad)
  for i = 1, n do
    if pad then joypad.set(1, pad) end
    emu.frameadvance()
  end
end
"""


def tool(name):
    """The program's path (Debian puts the emulators in /usr/games), or None."""
    for d in os.environ.get("PATH", "").split(os.pathsep) + ["/usr/games"]:
        p = os.path.join(d, name)
        if os.path.isfile(p) and os.access(p, os.X_OK):
            return p
    return None


def phase(name, started):
    print(f"{name}: {time.monotonic() - started:.1f} s", flush=True)
    return time.monotonic()


def start_fceux(fceux, runs, work):
    """Starts FCEUX sessions one after the other under one virtual X server: runs are
    (name, Lua script, image, time limit in seconds[, FCEUX options]). Gives the process to
    wait for."""
    lines = []
    for name, script, image, limit, *options in runs:
        lua = os.path.join(work, f"fceux-{name}.lua")
        with open(lua, "w") as f:
            f.write(script)
        extra = "".join(f" {o}" for o in options)
        lines.append(f"timeout -s KILL {limit} '{fceux}' --no-config 1 --sound 0{extra} "
                     f"--loadlua '{lua}' '{image}'")
    sessions = os.path.join(work, "fceux.sh")
    with open(sessions, "w") as f:
        f.write("\n".join(lines) + "\n")
    return subprocess.Popen(["xvfb-run", "-a", "sh", sessions], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, cwd=work)


def mame_roms(image, roms):
    """gprnrs1's ROM folder `roms`: the image padded to 8 MB, in a folder of the machine's
    name. Gives `roms`."""
    os.makedirs(os.path.join(roms, "gprnrs1"), exist_ok=True)
    with open(image, "rb") as f:
        data = f.read()
    with open(os.path.join(roms, "gprnrs1", "gprnrs1.bin"), "wb") as f:
        f.write(data + bytes(MAME_ROM_SIZE - len(data)))
    return roms


def start_mame(mame, roms, script, run_dir, limit=60):
    """Starts gprnrs1 from the ROM folder with a Lua script; its snapshots, settings and
    the script go to run_dir. Gives the process and the snapshot folder. Debian's build
    may crash on leaving after a script: the snapshots count, not the status."""
    os.makedirs(run_dir, exist_ok=True)
    lua = os.path.join(run_dir, "run.lua")
    with open(lua, "w") as f:
        f.write(script)
    shots = os.path.join(run_dir, "snap")
    process = subprocess.Popen(
        ["timeout", "-s", "KILL", str(limit), mame, "gprnrs1", "-rompath", roms,
         "-video", "none", "-sound", "none", "-nothrottle", "-skip_gameinfo",
         "-snapshot_directory", shots, "-cfg_directory", os.path.join(run_dir, "cfg"),
         "-nvram_directory", os.path.join(run_dir, "nv"), "-autoboot_script", lua],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=run_dir)
    return process, shots


def run_mame(mame, roms, script, run_dir, limit=60):
    """start_mame, waited for; gives the snapshot folder."""
    process, shots = start_mame(mame, roms, script, run_dir, limit)
    process.wait()
    return shots


def menu_folder(menu_dir, cart):
    """A fresh cartridge folder holding the example menu's files."""
    shutil.rmtree(cart, ignore_errors=True)
    os.makedirs(cart)
    for name in MENU_FILES:
        shutil.copy(os.path.join(menu_dir, name), cart)
    return cart


def write_list(path, lines, encoding="utf-8"):
    """A cartridge list as the window saves it: CR LF after every line."""
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode(encoding))
    return path


def screen_match(a, b, box_a=None, box_b=None, min_colours=None):
    """screen_match.py on two screens: (matched, its report)."""
    args = [sys.executable, MATCH, a, b]
    for option, value in (("--box-a", box_a), ("--box-b", box_b),
                          ("--min-colours", min_colours)):
        if value is not None:
            args += [option, str(value)]
    r = subprocess.run(args, capture_output=True, text=True)
    return r.returncode == 0, (r.stdout + r.stderr).strip()
