#!/usr/bin/env bash
# Configures and builds the tree into build/ (or $ORV_BUILD_DIR): every
# target, or only those named in $ORV_TARGETS (blank-separated).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$here/build}
bash "$here/scripts/deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
targets=()
[ -n "${ORV_TARGETS:-}" ] && read -r -a targets <<<"$ORV_TARGETS"
cmake --build "$build" -j "$(nproc)" ${targets[@]+--target "${targets[@]}"}
