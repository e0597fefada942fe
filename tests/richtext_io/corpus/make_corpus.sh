#!/bin/sh
# Regenerates the corpus of RTF written by another program, with that
# program's own plain-text export beside each file. Needs pandoc.
set -e
cd "$(dirname "$0")"
for f in *.md; do
  b=${f%.md}
  pandoc -s -f markdown -t rtf "$f" -o "$b.rtf"
  pandoc -f markdown -t plain --wrap=none "$f" -o "$b.txt"
done
