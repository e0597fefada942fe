#!/usr/bin/env python3
"""Layer check: a folder includes only from itself and the layers below it.

Every include names its path from the repository root, so the folder of an
include says which layer it reaches. The table below is the whole rule; a
source folder the table does not know fails the check, so a new folder
states its place before its first build. tests/, bench/ and tools/ (build
tools) may include anything.

Usage: check_layers.py [ROOT]   exit 0 when every include is allowed.
"""
import os
import re
import sys

# Folder -> what it may include besides itself: folders (every header in
# them) or single headers. Order from the bottom up.
RTL = ["platform/rtl"]
GFX = RTL + ["platform/gfx"]
UI = GFX + ["platform/ui"]
# The dataset layer reaches the engine through the call-level client only.
CLIENT = ["dbclient/bapi.h"]
# The engine's public face: dictionaries to build tables, type numbers, codes.
ENGINE_PUBLIC = ["dbengine/dictionary.h", "dbengine/fieldtypes.h", "dbengine/result_codes.h"]
RICHTEXT = ["richtext/model", "richtext/io", "richtext/view", "richtext/controls", "richtext/bars"]

RULES = {
    "platform/rtl": [],
    "platform/gfx": RTL,
    "platform/ui": GFX,
    # The toolkit host implements the drawing platform and the window host.
    "platform/qt": GFX + ["platform/ui/windowhost.h"],
    "platform/db": UI + CLIENT,
    "calendar": RTL,
    "dbengine": RTL,
    "dbclient": RTL + ["dbengine"],
    "widgets": UI + ["calendar"],
    "richtext/model": GFX,
    "richtext/io": GFX + ["richtext/model"],
    "richtext/view": UI + ["richtext/model", "richtext/io"],
    # The data-aware editor binds the complete one to a field.
    "richtext/controls": UI + ["platform/db", "richtext/model", "richtext/io", "richtext/view"],
    "richtext/bars": UI + ["widgets"] + RICHTEXT[:4],
    "dbcontrols": UI + ["platform/db", "calendar", "widgets"] + CLIENT + RICHTEXT,
    "resources": UI,
    # The program uses every layer and starts the toolkit host; of the
    # engine only its public face.
    "app": UI + ["platform/qt", "platform/db", "calendar", "dbclient", "widgets", "dbcontrols", "resources"]
    + RICHTEXT + ENGINE_PUBLIC,
}
EXEMPT = {"tests", "bench", "tools", "build", "data", "cmake", "scripts", ".ci", ".git"}
SOURCE_EXT = (".h", ".hpp", ".cpp", ".cc", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def layer_of(rel):
    """The RULES key a file belongs to, '' for exempt files, None if unknown."""
    top = rel.split("/", 1)[0]
    if top in EXEMPT or top.startswith("build") or "/" not in rel:
        return ""
    for key in sorted(RULES, key=len, reverse=True):
        if rel.startswith(key + "/"):
            return key
    return None


def allowed(layer, target):
    if target.startswith(layer + "/"):
        return True
    for a in RULES[layer]:
        if target == a or target.startswith(a + "/"):
            return True
    return False


def check(root):
    problems = []
    for dirpath, dirnames, filenames in os.walk(root):
        rel_dir = os.path.relpath(dirpath, root)
        if rel_dir == ".":
            dirnames[:] = [d for d in dirnames if d not in EXEMPT and not d.startswith("build")]
            continue
        for name in sorted(filenames):
            if not name.endswith(SOURCE_EXT):
                continue
            rel = os.path.join(rel_dir, name).replace(os.sep, "/")
            layer = layer_of(rel)
            if layer == "":
                continue
            if layer is None:
                problems.append(f"{rel}: folder unknown to the layer check (add it to RULES in tools/check_layers.py)")
                continue
            with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
                for no, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m or "/" not in m.group(1):
                        continue  # same-folder includes
                    target = m.group(1)
                    if not allowed(layer, target):
                        problems.append(f"{rel}:{no}: {layer} may not include {target}")
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) break the layers")
        return 1
    print("every include keeps to the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
