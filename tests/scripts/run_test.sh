#!/usr/bin/env bash
# scripts/run.sh as a new user starts it, with the build tools replaced by
# recorders: it configures the tree, builds the program, its reference data
# and its default templates (real targets of this build tree) and nothing
# else (no tests, no benchmarks), then starts the program from its own
# directory with the arguments given.
#   run_test.sh SOURCE_DIR BINARY_DIR
set -euo pipefail
src=$1 real=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/build/app"
log="$work/log"
# Recorders: every package counts as installed; cmake notes its arguments.
printf '#!/bin/sh\necho "install ok installed"\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho "cmake $*" >>"%s"\n' "$log" >"$work/bin/cmake"
printf '#!/bin/sh\necho "started in $(pwd) with $*" >>"%s"\n' "$log" >"$work/build/app/orvelan"
chmod +x "$work/bin/dpkg-query" "$work/bin/cmake" "$work/build/app/orvelan"

PATH="$work/bin:$PATH" ORV_BUILD_DIR="$work/build" QT_QPA_PLATFORM=offscreen bash "$src/scripts/run.sh" /a
fail() { echo "FAILED: $*"; cat "$log"; exit 1; }

grep -q "^cmake -S $src -B $work/build " "$log" || fail "the tree was not configured"
build=$(grep "^cmake --build " "$log") || fail "nothing was built"
[ "$(grep -c "^cmake --build " "$log")" = 1 ] || fail "more than one build step"
targets=$(echo "$build" | sed -n 's/.* --target //p' | tr ' ' '\n' | sort | xargs)
[ "$targets" = "default_templates orvdata_tables orvelan" ] || fail "built: '$targets'"
grep -qx "started in $work/build/app with /a" "$log" || fail "the program was not started from its directory"

# The targets are this tree's own: the program, DATEN and the templates.
known=$(ninja -C "$real" -t targets all)
# A here-string, not a pipe: grep -q leaves early and pipefail would count
# the writer's broken pipe as a missing target.
for t in $targets; do
  grep -q "^$t: phony" <<<"$known" || fail "no target $t in the build tree"
done
