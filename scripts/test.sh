#!/usr/bin/env bash
# Builds everything and runs every test headless.
#   bash scripts/test.sh             optimised build in build/
#   bash scripts/test.sh --sanitize  address and undefined-behaviour sanitizers, in build-asan/
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--sanitize" ]; then
  export ORV_BUILD_DIR=${ORV_BUILD_DIR:-$here/build-asan}
  bash "$here/scripts/build.sh" -DORV_SANITIZE=ON -DORV_BUILD_BENCH=OFF
  export LSAN_OPTIONS="suppressions=$here/tools/lsan.supp"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
else
  export ORV_BUILD_DIR=${ORV_BUILD_DIR:-$here/build}
  bash "$here/scripts/build.sh"
fi
cd "$ORV_BUILD_DIR"
export QT_QPA_PLATFORM=offscreen
# Twice as many tests as processors: the real-program tests spend most of
# their time waiting on the program under a virtual X server.
ctest --output-on-failure -j "$((2 * $(nproc)))" --timeout 900
