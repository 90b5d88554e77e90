#!/usr/bin/env python3
"""Checks the message catalogues against the texts in the sources.

Every text the programs show is written in the source as the Chinese/C-locale text, either
passed to common::Tr/TrFill or UiText, or as a literal with Chinese characters. Each
catalogue under po/ must translate every one of them, keep their placeholders ({0},
%d, %1 ...), and hold no text the sources no longer have; the English catalogue must
not contain a CJK character. No text is a printf format: values go in through {0}, {1} ...
(Qt's %1 in the windows), and no translation may carry a % directive its source lacks, for
a catalogue that did would make the program read values it was never given.

Usage: check_catalogues.py SOURCE_ROOT [--pot]   (--pot prints a template instead)
"""
import collections
import pathlib
import re
import sys

LITERAL = r'"(?:[^"\\\n]|\\.)*"'
CALL = re.compile(r'\b(?:Tr|TrFill|UiText)\(\s*((?:' + LITERAL + r'\s*)+)')
ANY_LITERAL = re.compile(LITERAL)
LITERAL_RUN = re.compile(r'(?:' + LITERAL + r'\s*)+')
CJK = re.compile(r'[\u3000-\u303f\u4e00-\u9fff\uff00-\uffef]')
PLACEHOLDER = re.compile(r'\{\d\}|%[-+ #0]*\d*(?:\.\d+)?(?:l|ll|z|h)?[dixXuscf]|%\d')
PRINTF = re.compile(r"%[-+ #0']*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|q|j|z|Z|t)?[diouxXeEfFgGaAcspnCS]")
# Chinese literals that are data, not messages: file contents and keys.
DATA_LITERALS = {
    "名称\\t\\t\\t\\t类型\\t\\t开始地址\\t结束地址\\n",  # the heading line of roms.map
}
SOURCE_DIRS = ["common", "romvane", "tilvex"]


def unescape(text):
    return text.encode("latin-1", "backslashreplace").decode("unicode_escape").encode(
        "latin-1").decode("utf-8") if "\\" in text else text


def strip_comments(code):
    out, i, n = [], 0, len(code)
    while i < n:
        if code.startswith("//", i):
            j = code.find("\n", i)
            i = n if j < 0 else j
        elif code.startswith("/*", i):
            j = code.find("*/", i + 2)
            i = n if j < 0 else j + 2
        elif code[i] == '"':
            m = ANY_LITERAL.match(code, i)
            if not m:
                out.append(code[i]); i += 1; continue
            out.append(m.group(0)); i = m.end()
        elif code[i] == "'":
            j = i + 1
            while j < n and code[j] != "'":
                j += 2 if code[j] == "\\" else 1
            out.append(code[i:j + 1]); i = j + 1
        else:
            out.append(code[i]); i += 1
    return "".join(out)


def source_texts(root):
    texts = {}
    for top in SOURCE_DIRS:
        for path in sorted((root / top).rglob("*")):
            if path.suffix not in (".cpp", ".h") or "tests" in path.parts or "gen" in path.parts:
                continue
            code = strip_comments(path.read_text(encoding="utf-8"))
            where = str(path.relative_to(root))
            for m in CALL.finditer(code):
                pieces = ANY_LITERAL.findall(m.group(1))
                raw = "".join(p[1:-1] for p in pieces)
                texts.setdefault(raw, where)
            # Adjacent literals are one text, however a line break splits them.
            for m in LITERAL_RUN.finditer(code):
                raw = "".join(p[1:-1] for p in ANY_LITERAL.findall(m.group(0)))
                if CJK.search(raw) and raw not in DATA_LITERALS:
                    texts.setdefault(raw, where)
    return texts


def read_po(path):
    entries, msgid, msgstr, field = {}, None, None, None
    def flush():
        if msgid is not None and msgid != "":
            entries[msgid] = msgstr
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if line.startswith("msgid "):
            flush()
            msgid, msgstr, field = line[7:-1], "", "id"
        elif line.startswith("msgstr "):
            msgstr, field = line[8:-1], "str"
        elif line.startswith('"') and field:
            if field == "id":
                msgid += line[1:-1]
            else:
                msgstr += line[1:-1]
    flush()
    return entries


def main():
    root = pathlib.Path(sys.argv[1])
    texts = source_texts(root)
    if "--pot" in sys.argv:
        for raw, where in texts.items():
            print(f"#: {where}\nmsgid \"{raw}\"\nmsgstr \"\"\n")
        return 0
    faults = []
    for raw, where in texts.items():
        if PRINTF.search(raw):
            faults.append(f"{where}: \"{raw}\" is a printf format; use {{0}} placeholders")
    catalogues = sorted((root / "po").glob("*.po"))
    if len(catalogues) < 2:
        faults.append("fewer than two catalogues under po/")
    for po in catalogues:
        entries = read_po(po)
        for raw, where in texts.items():
            if not entries.get(raw):
                faults.append(f"{po.name}: no translation of \"{raw}\" ({where})")
                continue
            if sorted(PLACEHOLDER.findall(raw)) != sorted(PLACEHOLDER.findall(entries[raw])):
                faults.append(f"{po.name}: the placeholders of \"{raw}\" differ in its translation")
            extra = collections.Counter(PRINTF.findall(entries[raw]))
            extra.subtract(PRINTF.findall(raw))
            if any(n > 0 for n in extra.values()):
                faults.append(f"{po.name}: the translation of \"{raw}\" carries a % directive "
                              f"its source lacks: {' '.join(sorted(k for k, n in extra.items() if n > 0))}")
            if po.stem == "en" and CJK.search(entries[raw]):
                faults.append(f"{po.name}: the English of \"{raw}\" has CJK text")
        for raw in entries:
            if raw not in texts:
                faults.append(f"{po.name}: \"{raw}\" is no longer in the sources")
    for f in faults:
        print(f)
    print(f"{len(texts)} texts, {len(catalogues)} catalogues, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
