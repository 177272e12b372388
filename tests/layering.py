#!/usr/bin/python3
"""The folders of src/ include only folders below them: prints the include graph, fails on an
arrow that points up or sideways. Usage: layering.py SRC_DIR"""

import os
import re
import sys

# Lowest first; a folder may include its own files and those of folders on lower rows only.
LAYERS = [
    ["text"],
    ["config", "platform"],
    ["platform/desktop", "platform/handheld", "gfx"],
    ["skin"],
    ["launcher"],
    ["check"],
    ["main"],
]
RANK = {folder: rank for rank, row in enumerate(LAYERS) for folder in row}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)/[^/"]+"', re.M)


def folder_of(path):
    """The deepest known folder holding path (relative to src/)."""
    parts = path.split("/")[:-1]
    while parts:
        name = "/".join(parts)
        if name in RANK:
            return name
        parts.pop()
    return None


def graph(src):
    edges = {}
    for root, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.relpath(os.path.join(root, name), src)
            here = folder_of(path)
            if here is None:
                raise SystemExit("%s: its folder has no place among the layers" % path)
            with open(os.path.join(root, name), encoding="utf-8") as f:
                for included in INCLUDE.findall(f.read()):
                    there = folder_of(included + "/x")
                    if there is not None and there != here:
                        edges.setdefault((here, there), []).append(path)
    return edges


def main():
    edges = graph(sys.argv[1])
    wrong = []
    for (here, there), files in sorted(edges.items()):
        ok = RANK[there] < RANK[here]
        print("%-18s -> %-18s %s" % (here, there, "" if ok else "WRONG WAY (" + ", ".join(sorted(set(files))) + ")"))
        if not ok:
            wrong.append((here, there))
    if wrong:
        print("%d include arrows point up or sideways" % len(wrong))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
