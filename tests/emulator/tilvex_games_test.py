#!/usr/bin/python3
"""What Tilvex writes, shown on emulated consoles: the slideshow of a project's output and
the player of a batch animation, packed into a cartridge with the example menu.

    tilvex_games_test.py BIN_DIR WORK_DIR --project FILE.prg --list FILE.lst [--with GAME.nes]...

BIN_DIR holds tilvex-cli, romvane-cli and the example menu. The project's folder (its
.pic files) and the list's folder (its pictures and Sprite_pgt.bin) are copied to WORK_DIR
and built there with examples/slideshow/make_slideshow.py and
examples/animation/make_animation.py, so any project and list can be checked.

MAME's gprnrs1 judges every item of the slideshow (Right steps on) and every frame of the
animation against `tilvex-cli render` of its picture; FCEUX judges the 4-colour items in
NES colours of the slideshow alone (it has no 16-colour mode), and reads the scanline
wait the slideshow picks on a PAL console. A test image of its own, too large for a
cartridge game, holds an animation whose tiles cross from the first 512 KB region of
ANIPGT.BIN into the second: the frames on both sides of the boundary are judged.
Two broken builds must fail: the first section boundary of the slideshow one row late in
VT03IRQ.ASM, and a frame's index entry one 2 KB page off. Exits 77 (skipped) when an
emulator is not installed. The games given with --with go first in the cartridge, so
the two are not at its start.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import threading
import time

from emulators import (FCEUX_PRELUDE, SKIP, mame_roms, menu_folder, phase, screen_match,
                       start_fceux, start_mame, tool, write_list)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MAKE_SLIDESHOW = os.path.join(ROOT, "examples", "slideshow", "make_slideshow.py")
MAKE_ANIMATION = os.path.join(ROOT, "examples", "animation", "make_animation.py")
MAKE_FRAMES = os.path.join(ROOT, "examples", "animation", "make_frames.py")
STEP = 24                   # video frames between two slideshow items
CARTRIDGE_TILES = 256 * 1024  # the most tile data a cartridge game may have
# Frames of 256 new tiles, 8 KB each behind the 16 KB of sprites: frame 61 would end at the
# region's end and opens the second region instead.
REGION_FRAMES = 63
REGION_TILES = 256

# The menu's game k started: Down k times, then Start (nothing for k = -1, a game run
# alone). Gives the frame of Start.
MAME_CHOOSE = """
local function choose(port, frame, game)
  for i = 1, game do
    if frame == 50 + 8 * i then port.fields["P1 Down"]:set_value(1) end
    if frame == 54 + 8 * i then port.fields["P1 Down"]:set_value(0) end
  end
  local start = 60 + 8 * game
  if game >= 0 and frame == start then port.fields["P1 Start"]:set_value(1) end
  if game >= 0 and frame == start + 4 then port.fields["P1 Start"]:set_value(0) end
  return start
end
"""

# Slideshow: Start on the menu's game k, then a snapshot of each item and A for the next.
MAME_SLIDESHOW = MAME_CHOOSE + """
local frame, game, items = 0, {game}, {items}
emu.register_frame_done(function()
  frame = frame + 1
  local port = manager.machine.ioport.ports[":IO0"]
  local start = choose(port, frame, game)
  for k = 0, items - 1 do
    local at = start + {step} * (k + 1)
    if frame == at then manager.machine.screens[":soc:screen"]:snapshot("item" .. k .. ".png") end
    if frame == at + 2 then port.fields["P1 Right"]:set_value(1) end
    if frame == at + 6 then port.fields["P1 Right"]:set_value(0) end
  end
  if frame == start + {step} * (items + 1) then manager.machine:exit() end
end)
"""

# Animation: the player keeps the frame on the screen at $00; each wanted frame is taken
# once it has stood for three frames.
MAME_ANIMATION = MAME_CHOOSE + """
local frame, game = 0, {game}
local wanted, left = {{}}, 0
for _, k in ipairs({{{frames}}}) do wanted[k] = true; left = left + 1 end
local memory = manager.machine.devices[":soc:maincpu"].spaces["program"]
local last, stable, started = -1, 0, false
emu.register_frame_done(function()
  frame = frame + 1
  choose(manager.machine.ioport.ports[":IO0"], frame, game)
  -- The player marks "nothing shown yet" ($FF) first thing; until then the byte is the
  -- menu's, or the cleared RAM's.
  local shown = memory:read_u8(0)
  if shown == 0xFF then started = true end
  if shown == last then stable = stable + 1 else stable = 0 end
  last = shown
  if started and stable == 3 and wanted[shown] then
    wanted[shown] = nil
    manager.machine.screens[":soc:screen"]:snapshot("frame" .. shown .. ".png")
    left = left - 1
    if left == 0 then manager.machine:exit() end
  end
end)
"""

# The slideshow alone, then from the cartridge's menu (Down `game` times, Start).
FCEUX_SLIDESHOW = FCEUX_PRELUDE + """
if {game} >= 0 then
  wait(240)
  for i = 1, {game} do wait(4, {{down = true}}) wait(4, {{}}) end
  wait(4, {{start = true}})
end
wait(20)
for k = 0, {items} - 1 do
  wait({step})
  gui.savescreenshotas("{work}/fceux-{name}" .. k .. ".png")
  wait(4, {{right = true}})
  wait(4, {{}})
end
emu.exit()
"""

# The scanline wait the slideshow picked after measuring its first frames.
FCEUX_LINE_LOOPS = """
for i = 1, 30 do emu.frameadvance() end
local f = io.open("{out}", "w")
f:write(memory.readbyte({address}))
f:close()
emu.exit()
"""


def run(args, cwd=None):
    r = subprocess.run(args, cwd=cwd, capture_output=True, text=True)
    if r.returncode != 0:
        print(f"{' '.join(args)} failed:\n{r.stdout}{r.stderr}", flush=True)
        raise SystemExit(1)
    return r.stdout


def match(render, screen, box_a, box_b=None):
    ok, report = screen_match(render, screen, box_a, box_b)
    return ok, report.splitlines()[0]


class Mame:
    """MAME runs of gprnrs1, two at a time (the machine has two cores)."""

    def __init__(self, path):
        self.path, self.running = path, []

    def start(self, image, script, run_dir):
        """image: the ROM image (padded here to gprnrs1's 8 MB). Gives the snapshot folder."""
        shutil.rmtree(run_dir, ignore_errors=True)
        roms = mame_roms(image, os.path.join(run_dir, "roms"))
        while len(self.running) >= 2:
            self.running.pop(0).wait()
        process, shots = start_mame(self.path, roms, script, run_dir)
        self.running.append(process)
        return shots

    def wait(self):
        for p in self.running:
            p.wait()
        self.running = []


def copy_folder(source, target):
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(source, target)
    return target


def slideshow_items(cli, project):
    """(name, .pic path, tiles per row, tile rows, mode byte, sections) of every item, in
    tree order."""
    folder = os.path.dirname(project)
    items = []
    for line in run([cli, "project", "show", project], cwd=folder).splitlines():
        m = re.match(r"\s*item (\S+)  (.+)$", line)
        if not m:
            continue
        name, pic = m.group(1), m.group(2)
        asm = os.path.join(folder, name.upper() + ".ASM")
        if not os.path.exists(asm):
            continue  # skipped by the output
        with open(asm, "rb") as f:
            text = f.read()
        info = re.search(rb"_info:\s*db\s*\$(\w\w),\$(\w\w),\$(\w\w),\$(\w\w)", text)
        w, h, mode, blocks = (int(v, 16) for v in info.groups())
        w, h = w << (blocks >> 1), h << (blocks & 1)  # blocks 16 wide, 16 high
        sections = len(re.findall(rb"\$\w\w,\$10,", text[:text.find(b"_pnt:")]))
        items.append((name, os.path.join(folder, pic), w, h, mode, sections))
    return items


def build_slideshow(cli, project, out, no_output=False):
    args = [sys.executable, MAKE_SLIDESHOW, project, out, "--cli", cli]
    run(args + (["--no-output"] if no_output else []))


def build_animation(cli, listing, out, image=False, no_export=False, first=0):
    args = [sys.executable, MAKE_ANIMATION, listing, out, "--cli", cli, "--first", str(first)]
    run(args + (["--image"] if image else []) + (["--no-export"] if no_export else []))


def animation_frames(listing):
    """The pictures of the frames in ANI.asm's order, and the first frame of the second
    512 KB region (None when all lie in the first)."""
    folder = os.path.dirname(listing)
    with open(listing, "rb") as f:
        pictures = {os.path.splitext(os.path.basename(p))[0]: p
                    for p in f.read().decode().split()}
    with open(os.path.join(folder, "ANI.asm")) as f:
        names = re.findall(r"dw\s+(\w+)_BG", f.read())
    with open(os.path.join(folder, "ANIINDEX.asm")) as f:
        regions = [int(v, 16) for v in re.findall(r"V_Bank0\+\$(\w\w)", f.read())]
    second = next((k for k, r in enumerate(regions) if r >= 0x10), None)
    return [os.path.join(folder, pictures[n]) for n in names], second


def render(cli, picture, out, convert=False):
    if convert:
        pic = out + ".pic"
        run([cli, "convert", picture, "-o", pic])
        picture = pic
    run([cli, "render", picture, "-o", out])
    return out


def cartridge(romvane, menu_dir, games, work):
    cart = menu_folder(menu_dir, os.path.join(work, "cart"))
    listing = write_list(os.path.join(cart, "list.sav"), games)
    run([romvane, "build", listing, "--dir", cart])
    return os.path.join(cart, "rom.bin")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin")
    ap.add_argument("work")
    ap.add_argument("--project", required=True)
    ap.add_argument("--list", required=True)
    ap.add_argument("--with", dest="with_game", action="append", default=[],
                    help="a game to put before the two in the cartridge")
    args = ap.parse_args()
    started = time.monotonic()
    tools = {n: tool(n) for n in ("mame", "fceux", "xvfb-run")}
    if not tools["mame"]:
        print("SKIP: mame is not installed")
        return SKIP
    cli = os.path.join(args.bin, "tilvex-cli")
    romvane = os.path.join(args.bin, "romvane-cli")
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failures = []

    # The games as the example build makes them, from copies of the inputs.
    show_dir = copy_folder(os.path.dirname(os.path.abspath(args.project)),
                           os.path.join(work, "show"))
    project = os.path.join(show_dir, os.path.basename(args.project))
    show = os.path.join(work, "slideshow.nes")
    build_slideshow(cli, project, show)
    items = slideshow_items(cli, project)
    anim_dir = copy_folder(os.path.dirname(os.path.abspath(args.list)), os.path.join(work, "anim"))
    listing = os.path.join(anim_dir, os.path.basename(args.list))
    # An animation larger than a cartridge game may be is judged from a test image.
    run([cli, "batch", listing], cwd=anim_dir)
    alone = os.path.getsize(os.path.join(anim_dir, "ANIPGT.BIN")) > CARTRIDGE_TILES
    anim = os.path.join(work, "animation.bin" if alone else "animation.nes")
    build_animation(cli, listing, anim, image=alone, no_export=True)
    frames, _ = animation_frames(listing)

    # The animation crossing a 512 KB region, in a test image of its own, made beside the
    # rest; it starts a frame before the boundary.
    big_dir = os.path.join(work, "big")
    big_list = os.path.join(big_dir, "big.lst")
    big = os.path.join(work, "big.bin")
    region = {}

    def build_region():
        run([sys.executable, MAKE_FRAMES, big_dir, str(REGION_FRAMES), "--list", "big.lst",
             "--tiles", str(REGION_TILES)])
        run([cli, "batch", big_list], cwd=big_dir)
        region["frames"], region["second"] = animation_frames(big_list)
        first = max((region["second"] or 1) - 1, 0)
        build_animation(cli, big_list, big, image=True, no_export=True, first=first)

    region_thread = threading.Thread(target=build_region)
    region_thread.start()

    # The broken builds: the slideshow's first section boundary one row late, and the
    # animation's second frame (or its only one) pointing one 2 KB page further.
    broken_show = os.path.join(work, "broken-slideshow.nes")
    irq_file = os.path.join(show_dir, "VT03IRQ.ASM")
    with open(irq_file, "rb") as f:
        irq = f.read()
    late = next((m for m in re.finditer(rb"\tdb\t\$([0-9A-F]{2}),\$10", irq)
                 if m.group(1) != b"00"), None)
    late_item = None
    if late:
        text = irq[:late.start(1)] + b"%02X" % (int(late.group(1), 16) + 1) + irq[late.end(1):]
        with open(irq_file, "wb") as f:
            f.write(text)
        build_slideshow(cli, project, broken_show, no_output=True)
        owner = re.findall(rb"^(\w+)_irq:", irq[:late.start()], re.M)[-1].decode()
        late_item = next(k for k, it in enumerate(items) if it[0].upper() == owner)
    else:
        failures.append("no item of the project has a second section to break")
    broken_anim = os.path.join(work, "broken-animation" + os.path.splitext(anim)[1])
    index_file = os.path.join(anim_dir, "ANIINDEX.asm")
    with open(index_file, "rb") as f:
        index = f.read()
    wrong_frame = 1 if len(frames) > 1 else 0
    entries = list(re.finditer(rb"V_Bank1\+\$([0-9A-F]{2})", index))
    at = entries[wrong_frame]
    with open(index_file, "wb") as f:
        f.write(index[:at.start(1)] + b"%02X" % ((int(at.group(1), 16) + 1) & 0xFF)
                + index[at.end(1):])
    build_animation(cli, listing, broken_anim, image=alone, no_export=True)
    region_thread.join()
    if "second" not in region:
        return 1  # the region image could not be made (reported above)
    big_frames, second = region["frames"], region["second"]
    if second is None:
        failures.append("the region animation never reaches the second 512 KB region")
        second = 1
    big_checked = sorted({second - 1, second, min(second + 1, len(big_frames) - 1)})
    started = phase("games built", started)

    # Renders of every item and frame.
    renders = [render(cli, pic, os.path.join(work, f"render-item{k}.bmp"))
               for k, (_n, pic, *_r) in enumerate(items)]
    frame_renders = [render(cli, p, os.path.join(work, f"render-frame{k}.bmp"), convert=True)
                     for k, p in enumerate(frames)]
    big_renders = {k: render(cli, big_frames[k], os.path.join(work, f"render-big{k}.bmp"),
                             convert=True) for k in big_checked}

    mame = Mame(tools["mame"])
    games = args.with_game + [show] + ([] if alone else [anim])
    image = cartridge(romvane, args.bin, games, os.path.join(work, "good"))
    fceux = None
    if tools["fceux"] and tools["xvfb-run"]:
        # On a PAL console the slideshow must time its scanlines for PAL.
        labels = os.path.join(work, "slideshow.labels")
        run(["ld65", "-C", os.path.join(os.path.dirname(MAKE_SLIDESHOW), "slideshow.cfg"),
             "-o", os.path.join(work, "relinked.nes"), "-Ln", labels,
             os.path.join(os.path.splitext(show)[0] + ".src", "slideshow.o")])
        with open(labels) as f:
            loops = re.search(r"^al ([0-9A-F]+) \.lineLoops$", f.read(), re.M)
        with open(show, "rb") as f:
            header = bytearray(f.read())
        header[7] = (header[7] & 0xF3) | 0x08  # NES 2.0, whose timing byte FCEUX follows
        header[12] = 1  # PAL
        pal_show = os.path.join(work, "slideshow-pal.nes")
        with open(pal_show, "wb") as f:
            f.write(header)
        pal_loops = os.path.join(work, "pal-loops.txt")
        pal_script = FCEUX_LINE_LOOPS.format(out=pal_loops,
                                             address=f"0x{loops.group(1)}" if loops else "0")
        fceux = start_fceux(tools["fceux"], [
            (name, FCEUX_SLIDESHOW.format(items=len(items), step=STEP, work=work, name=name,
                                          game=game), nes, 50)
            for name, game, nes in (("alone", -1, show),
                                    ("cart", len(args.with_game),
                                     os.path.splitext(image)[0] + ".nes"))]
            + [("pal", pal_script, pal_show, 50, "--pal 1")], work)

    show_game = len(args.with_game)
    anim_game = -1 if alone else show_game + 1
    show_shots = mame.start(image, MAME_SLIDESHOW.format(game=show_game, items=len(items),
                                                         step=STEP), os.path.join(work, "mame-show"))
    frame_list = ",".join(str(k) for k in range(len(frames)))
    anim_shots = mame.start(anim if alone else image,
                            MAME_ANIMATION.format(game=anim_game, frames=frame_list),
                            os.path.join(work, "mame-anim"))
    big_shots = mame.start(big, MAME_ANIMATION.format(game=-1, frames=",".join(
        str(k) for k in big_checked)), os.path.join(work, "mame-big"))
    bad = cartridge(romvane, args.bin, args.with_game + [broken_show if late else show]
                    + ([] if alone else [broken_anim]), os.path.join(work, "bad"))
    bad_show = mame.start(bad, MAME_SLIDESHOW.format(game=show_game, items=(late_item or 0) + 1,
                                                     step=STEP), os.path.join(work, "mame-bad-show"))
    bad_anim = mame.start(broken_anim if alone else bad,
                          MAME_ANIMATION.format(game=anim_game, frames=str(wrong_frame)),
                          os.path.join(work, "mame-bad-anim"))
    mame.wait()
    if fceux:
        fceux.wait()
    started = phase("emulators", started)

    def judge(label, render_file, shot, box_a, box_b=None):
        if not os.path.exists(shot):
            failures.append(f"{label}: no screen")
            return False
        ok, detail = match(render_file, shot, box_a, box_b)
        if not ok:
            failures.append(f"{label}: {detail}")
        return ok

    def box(w, h, top=0, rows=240):
        return f"0,{top},{min(w * 8, 256)},{min(h * 8, rows) - top}"

    for k, (name, _pic, w, h, mode, sections) in enumerate(items):
        judge(f"slideshow item {name} in MAME", renders[k], os.path.join(show_shots,
              f"item{k}.png"), box(w, h))
        if not fceux or mode != 0:  # FCEUX: 4 colours in NES colours only
            continue
        # FCEUX's mapper 256 counts scanlines a row ahead of MAME, FCEUX's own MMC3 and
        # the chip: from the cartridge it judges the items of one section.
        for where in ("alone", "cart") if sections == 1 else ("alone",):
            shot = os.path.join(work, f"fceux-{where}{k}.png")
            top = 8 if os.path.exists(shot) and image_height(shot) == 240 else 0
            rows = min(h * 8, 232) - 8  # FCEUX shows rows 8-231
            judge(f"slideshow item {name} in FCEUX ({where})", renders[k], shot,
                  f"0,8,{min(w * 8, 256)},{rows}", f"0,{top},{min(w * 8, 256)},{rows}")
    for k in range(len(frames)):
        judge(f"animation frame {k} in MAME", frame_renders[k],
              os.path.join(anim_shots, f"frame{k}.png"), "0,0,256,240")
    for k in big_checked:
        judge(f"region animation frame {k} (region {int(k >= second)}) in MAME",
              big_renders[k], os.path.join(big_shots, f"frame{k}.png"), "0,0,256,240")

    if fceux:
        with open(pal_loops) if os.path.exists(pal_loops) else open(os.devnull) as f:
            got = f.read()
        if not loops:
            failures.append("the slideshow's labels name no lineLoops")
        elif got != "12":
            failures.append(f"on a PAL console the slideshow waits {got or '?'} loops a "
                            "scanline, not 12")

    # The broken builds must not match.
    if late:
        name, _pic, w, h, _mode, _sections = items[late_item]
        shot = os.path.join(bad_show, f"item{late_item}.png")
        if not os.path.exists(shot):
            failures.append("the broken slideshow showed no screen")
        elif match(renders[late_item], shot, box(w, h))[0]:
            failures.append(f"a section boundary one row late still matches item {name}")
        else:
            print(f"item {name} with its first section boundary one row late differs")
    shot = os.path.join(bad_anim, f"frame{wrong_frame}.png")
    if not os.path.exists(shot):
        failures.append("the broken animation showed no frame")
    elif match(frame_renders[wrong_frame], shot, "0,0,256,240")[0]:
        failures.append(f"frame {wrong_frame} one page off still matches its render")
    else:
        print(f"frame {wrong_frame} pointing one 2 KB page off differs")
    phase("comparisons", started)

    for f in failures:
        print("FAIL: " + f)
    print(f"{len(items)} items, {len(frames)} frames, region frames {big_checked}: "
          + ("all match" if not failures else f"{len(failures)} failures"))
    if failures:
        return 1
    if not fceux:
        print("SKIP: fceux or xvfb-run is not installed")
        return SKIP
    return 0


def image_height(path):
    from PIL import Image
    with Image.open(path) as im:
        return im.height


if __name__ == "__main__":
    sys.exit(main())
