#!/bin/sh
# Regenerates the corpus of RTF written by other programs, with the document
# converter's own plain-text export beside each of its files. Needs pandoc;
# the files made from *.fodt need LibreOffice and are left alone without it.
set -e
cd "$(dirname "$0")"
for f in *.md; do
  b=${f%.md}
  pandoc -s -f markdown -t rtf "$f" -o "$b.rtf"
  pandoc -f markdown -t plain --wrap=none "$f" -o "$b.txt"
done
if command -v soffice >/dev/null 2>&1; then
  profile=$(mktemp -d)
  for f in *.fodt; do
    HOME=$profile soffice -env:UserInstallation=file://$profile/profile --headless --convert-to rtf "$f" >/dev/null
  done
  rm -rf "$profile"
fi
