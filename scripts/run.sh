#!/usr/bin/env bash
# Builds the program with its sample data and starts it in a window.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$here/build}
# The program and what it needs beside it: the reference data (DATEN) and
# the default templates; the tests are left to scripts/test.sh.
ORV_TARGETS="orvelan orvdata_tables default_templates" bash "$here/scripts/build.sh"
prog="$build/app/orvelan"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  exit 1
fi
# The program keeps its settings (Orvelan.Ini) and the user's tables
# (BENUTZER) in its own directory, beside the sample data (DATEN).
cd "$(dirname "$prog")"
exec "$prog" "$@"
