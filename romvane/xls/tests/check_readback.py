#!/usr/bin/python3
"""Runs the file writer, then opens every file it wrote with independent readers (olefile for
the compound file, xlrd for the workbook) and compares all streams and cells with the
list of what to find (.expect) written beside each file."""
import glob
import os
import subprocess
import sys

import olefile
import xlrd


def fail(file, message):
    raise AssertionError("%s: %s" % (file, message))


def check_container(path, manifest):
    name = manifest["file"]
    # Any defect a reader could notice (broken chains, bad sector numbers, a FAT or DIFAT out
    # of place) raises here.
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    streams = sorted("/".join(p) for p in ole.listdir(streams=True, storages=False))
    if streams != sorted(manifest["streams"]):
        fail(name, "streams %s, expected %s" % (streams, manifest["streams"]))
    storages = sorted("/".join(p) for p in ole.listdir(streams=False, storages=True))
    if storages != sorted(manifest.get("storages", [])):
        fail(name, "storages %s" % storages)
    for stream, content in manifest.get("content", {}).items():
        data = ole.openstream(stream).read()
        if data != bytes.fromhex(content):
            fail(name, "stream %s differs (%d bytes read)" % (stream, len(data)))
    ole.close()


def check_workbook(path, manifest):
    name = manifest["file"]
    book = xlrd.open_workbook(path)
    names = [sheet["name"] for sheet in manifest["sheets"]]
    if book.sheet_names() != names:
        fail(name, "sheets %s, expected %s" % (book.sheet_names(), names))
    for index, expected in enumerate(manifest["sheets"]):
        sheet = book.sheet_by_index(index)
        cells = {}
        for r, c, kind, value in expected["cells"]:
            cells[(r, c)] = (xlrd.XL_CELL_TEXT if kind == "s" else xlrd.XL_CELL_NUMBER, value)
        generated = manifest.get("generated") if index == 0 else None
        if generated:
            rows, cols, add = generated["rows"], generated["cols"], generated["add"]
            if (sheet.nrows, sheet.ncols) != (rows, cols):
                fail(name, "size %dx%d" % (sheet.nrows, sheet.ncols))
            for r in range(rows):
                values = sheet.row_values(r)
                for c in range(cols):
                    if values[c] != r * cols + c + add:
                        fail(name, "cell %d,%d is %r" % (r, c, values[c]))
            continue
        rows = max([r for r, _ in cells] + [-1]) + 1
        cols = max([c for _, c in cells] + [-1]) + 1
        if (sheet.nrows, sheet.ncols) != (rows, cols):
            fail(name, "sheet %d is %dx%d, expected %dx%d"
                 % (index, sheet.nrows, sheet.ncols, rows, cols))
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                want = cells.get((r, c))
                if want is None:
                    if cell.ctype not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                        fail(name, "cell %d,%d should be empty: %r" % (r, c, cell.value))
                elif (cell.ctype, cell.value) != want:
                    shown = repr(cell.value)[:60]
                    fail(name, "cell %d,%d is %s, expected %s" % (r, c, shown, repr(want)[:60]))


def read_expected(path):
    """The items of an .expect file: streams, storages, contents and sheets with their cells."""
    expected = {"streams": [], "storages": [], "content": {}, "sheets": []}
    with open(path, encoding="utf-8") as f:
        for line in f:
            kind, *fields = line.rstrip("\n").split("\t")
            if kind in ("stream", "storage"):
                expected[kind + "s"].append(fields[0])
            elif kind == "content":
                expected["content"][fields[0]] = fields[1]
            elif kind == "sheet":
                expected["sheets"].append({"name": fields[0], "cells": []})
            elif kind == "generated":
                rows, cols, add = fields
                expected["generated"] = {"rows": int(rows), "cols": int(cols), "add": float(add)}
            else:
                r, c, value = int(fields[0]), int(fields[1]), fields[2]
                cell = [r, c, "s", value] if kind == "text" else [r, c, "n", float(value)]
                expected["sheets"][-1]["cells"].append(cell)
    return expected


def main():
    writer, folder = sys.argv[1], sys.argv[2]
    subprocess.run([writer, folder], check=True)
    lists = sorted(glob.glob(os.path.join(folder, "*.expect")))
    if len(lists) < 10:
        fail(folder, "only %d files written" % len(lists))
    for list_path in lists:
        manifest = read_expected(list_path)
        manifest["file"] = os.path.basename(list_path)[: -len(".expect")]
        path = os.path.join(folder, manifest["file"])
        check_container(path, manifest)
        if manifest["sheets"]:
            check_workbook(path, manifest)
        print("ok", manifest["file"])


if __name__ == "__main__":
    main()
