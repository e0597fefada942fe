#!/usr/bin/env bash
# Builds the program with its sample data and starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$here/build}
bash "$here/scripts/build.sh"
prog="$build/app/orvelan"
if [ ! -x "$prog" ]; then
  echo "Built the libraries, the tests and the sample data in $build/app/DATEN;"
  echo "the program itself is not part of this build yet."
  exit 0
fi
cd "$(dirname "$prog")"
exec "$prog" "$@"
