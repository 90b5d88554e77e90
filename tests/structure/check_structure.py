#!/usr/bin/env python3
"""Checks the shape of the source tree.

- Includes point one way: each folder includes only the base library, its own folder and the
  folders below it in its program's order; windows and command lines stand on top. Tests
  may reach higher, since a test of one layer may take its inputs from the next.
- Inside a folder, includes between its files run one way too: no file includes a header
  whose own files (the .h and its .cpp) include it back, directly or round a longer loop.
- No folder outside the windows includes Qt.
- No source file is longer than 400 lines, and no function longer than 60 lines, apart from
  the few listed below (tables and window layout code, which read top to bottom).

Usage: check_structure.py SOURCE_ROOT. Prints each fault and exits 1 when there is one.
"""
import pathlib
import re
import sys

ORDER = {
    "romvane": ["model", "cart", "xls", {"ui", "cli"}],
    "tilvex": ["image", "palette", "convert", "doc", "output", "project", "app", {"ui", "cli", "viewer"}],
}
# Folders whose files include one another one way only; the others are to follow.
LOOP_FREE = {"tilvex/convert", "tilvex/output", "tilvex/doc", "tilvex/palette", "romvane/cart"}
MAX_FILE_LINES = 400
MAX_FUNCTION_LINES = 60
# Functions that are one window's layout, read top to bottom.
LONG_FUNCTIONS_ALLOWED = {
    "attribute_dialog.cpp:AttributeDialog::AttributeDialog",
    "transformation_dialog.cpp:QDialog",
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def rank(program, folder):
    for i, step in enumerate(ORDER[program]):
        if folder == step or (isinstance(step, set) and folder in step):
            return i
    return None


def include_faults(path, program, folder, lines):
    faults = []
    own = rank(program, folder)
    windows = folder == "ui"
    test = "tests" in path.parts
    for number, line in enumerate(lines, 1):
        m = INCLUDE.match(line)
        if not m:
            continue
        kind, name = m.groups()
        where = f"{path}:{number}"
        if kind == "<" and re.match(r"Q[A-Za-z]*(/|$)|Qt", name) and not windows:
            faults.append(f"{where}: a logic folder includes Qt ({name})")
        if kind != '"' or "/" not in name:
            continue
        top = name.split("/")[0]
        if top == "common":
            continue
        target = rank(program, top)
        if target is None:
            continue  # a header of a library, or of the other program: not a folder here
        if not test and (target > own or (target == own and top != folder)):
            faults.append(f"{where}: {program}/{folder} includes {name}, a layer above it")
    return faults


def loop_faults(root):
    """Loops among the files of one folder, each .h taken with its .cpp as one piece."""
    faults = []
    for program in ORDER:
        for folder in sorted(p for p in (root / program).iterdir() if p.is_dir()):
            if f"{program}/{folder.name}" not in LOOP_FREE:
                continue
            prefix = f"{folder.name}/"
            uses = {}
            for path in folder.glob("*.[ch]*"):
                if path.suffix not in (".cpp", ".h"):
                    continue
                piece = uses.setdefault(path.stem, set())
                for line in path.read_text(encoding="utf-8").splitlines():
                    m = INCLUDE.match(line)
                    if m and m.group(1) == '"' and m.group(2).startswith(prefix):
                        other = pathlib.Path(m.group(2)).stem
                        if other != path.stem and "/" not in m.group(2)[len(prefix):]:
                            piece.add(other)
            state = {}

            def visit(piece, trail):
                state[piece] = "open"
                for other in sorted(uses.get(piece, ())):
                    if state.get(other) == "open":
                        loop = trail[trail.index(other):] + [piece, other]
                        faults.append(f"{program}/{folder.name}: includes run back up: "
                                      + " -> ".join(loop))
                    elif other not in state:
                        visit(other, trail + [piece])
                state[piece] = "done"

            for piece in sorted(uses):
                if piece not in state:
                    visit(piece, [])
    return faults


def function_faults(path, lines):
    """Finds function bodies: a line ending in "{" that starts a definition at namespace
    level, measured to its closing brace at the same depth."""
    faults = []
    depth = 0
    start = None
    name = None
    in_block_comment = False
    for number, raw in enumerate(lines, 1):
        line = re.sub(r'"(\\.|[^"\\])*"', '""', raw)
        line = re.sub(r"'(\\.|[^'\\])*'", "''", line)
        if in_block_comment:
            if "*/" not in line:
                continue
            line = line.split("*/", 1)[1]
            in_block_comment = False
        line = line.split("//", 1)[0]
        if "/*" in line and "*/" not in line:
            in_block_comment = True
            line = line.split("/*", 1)[0]
        opens, closes = line.count("{"), line.count("}")
        if start is None and opens > closes and re.search(r"\)\s*(const)?\s*(override)?\s*(noexcept)?\s*(->\s*[\w:<>]+\s*)?\{\s*$", line) \
                and not re.match(r"\s*(if|for|while|switch|else|do|namespace|class|struct|enum)\b", line):
            start, name, base = number, line.strip(), depth
        depth += opens - closes
        if start is not None and depth <= base:
            length = number - start - 1
            key = f"{pathlib.Path(path).name}:{re.sub(r'[(].*', '', name).split()[-1] if name else ''}"
            if length > MAX_FUNCTION_LINES and key not in LONG_FUNCTIONS_ALLOWED:
                faults.append(f"{path}:{start}: function of {length} lines ({key})")
            start = None
    return faults


def main():
    root = pathlib.Path(sys.argv[1])
    faults = []
    for program in ORDER:
        for path in sorted((root / program).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            rel = path.relative_to(root)
            folder = rel.parts[1]
            lines = path.read_text(encoding="utf-8").splitlines()
            faults += include_faults(rel, program, folder, lines)
            if "tests" in rel.parts:
                continue
            if len(lines) > MAX_FILE_LINES:
                faults.append(f"{rel}: {len(lines)} lines")
            faults += function_faults(rel, lines)
    faults += loop_faults(root)
    for path in sorted((root / "common").rglob("*")):
        if path.suffix in (".cpp", ".h"):
            rel = path.relative_to(root)
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                m = INCLUDE.match(line)
                if m and m.group(1) == '"' and "/" in m.group(2) and not m.group(2).startswith("common/"):
                    faults.append(f"{rel}:{number}: the base library includes {m.group(2)}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
