#!/usr/bin/env python3
"""Literal check: text inside the program is Windows-1252, sources are UTF-8.

A string literal with a character beyond ASCII must be converted at compile
time: written inside CP1252(...) or with the _cp suffix (adjacent literals
that continue it count as one). A literal that is kept as UTF-8 on purpose,
because the code converts it at run time, carries a line comment starting
with "utf8:" that says where. Anything else reaches the user as mojibake.
tests/, bench/, tools/ and data/ are not checked.

Usage: check_literals.py [ROOT]   exit 0 when every literal is converted.
"""
import os
import re
import sys

CHECKED = ("app", "calendar", "dbclient", "dbcontrols", "dbengine", "platform", "resources", "richtext", "widgets")
SOURCE_EXT = (".h", ".hpp", ".cpp", ".cc", ".inc")
MARKER = re.compile(rb"//\s*utf8:")


def literal_groups(src):
    """(start, end) of each run of adjacent string literals, comments and
    character literals skipped."""
    groups, i, n = [], 0, len(src)
    while i < n:
        if src.startswith(b"//", i):
            j = src.find(b"\n", i)
            i = n if j < 0 else j
        elif src.startswith(b"/*", i):
            j = src.find(b"*/", i + 2)
            i = n if j < 0 else j + 2
        elif src[i] == ord("'") and not (i > 0 and chr(src[i - 1]).isalnum()):  # not a digit separator
            j = i + 1
            while j < n and src[j] != ord("'"):
                j += 2 if src[j] == ord("\\") else 1
            i = j + 1
        elif src[i] == ord('"'):
            if i > 0 and src[i - 1] == ord("R"):
                delim = re.match(rb'"([^(\s]*)\(', src[i:]).group(1)
                end = src.find(b")" + delim + b'"', i) + len(delim) + 2
            else:
                end = i + 1
                while end < n and src[end] != ord('"'):
                    end += 2 if src[end] == ord("\\") else 1
                end += 1
            if groups and not src[groups[-1][1]:i].strip(b" \t\r\nRuUL8"):
                groups[-1] = (groups[-1][0], end)
            else:
                groups.append((i, end))
            i = end
        else:
            i += 1
    return groups


def check_file(path, rel):
    with open(path, "rb") as f:
        src = f.read()
    problems = []
    for start, end in literal_groups(src):
        if all(b < 0x80 for b in src[start:end]):
            continue
        if re.search(rb"CP1252\(\s*R?$", src[max(0, start - 40):start]) or src.startswith(b"_cp", end):
            continue
        first = src.rfind(b"\n", 0, start) + 1
        last = src.find(b"\n", end)
        if MARKER.search(src[first:last if last >= 0 else len(src)]):
            continue
        line = src.count(b"\n", 0, start) + 1
        text = src[start:end].decode("utf-8", "replace").split("\n")[0][:60]
        problems.append(f"{rel}:{line}: literal beyond ASCII without CP1252(): {text}")
    return problems


def check(root):
    problems = []
    for top in CHECKED:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames.sort()
            for name in sorted(filenames):
                if name.endswith(SOURCE_EXT):
                    path = os.path.join(dirpath, name)
                    problems += check_file(path, os.path.relpath(path, root))
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems = check(root)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
