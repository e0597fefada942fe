#!/usr/bin/env bash
# Fails when a source file outside platform/qt/ includes a Qt header:
# everything above the platform layer must stay toolkit-free.
set -u
root=${1:-.}
cd "$root" || exit 2
bad=$(find . -path ./build -prune -o -path './build-*' -prune -o -path ./platform/qt -prune -o \
        -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print |
      xargs -r grep -lE '^\s*#\s*include\s*[<"](Q[A-Za-z]|qt[a-z]*/)' 2>/dev/null)
if [ -n "$bad" ]; then
  echo "Qt headers included outside platform/qt/:"
  echo "$bad"
  exit 1
fi
echo "no Qt header outside platform/qt/"
