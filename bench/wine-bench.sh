#!/usr/bin/env bash
# Builds one benchmark of the win32 build and runs it under Wine in the build's own test bed
# (build/win32/wine: prefix, Xvfb, persistent wineserver):
#   bench/wine-bench.sh TARGET [ARGS...]    e.g. bench/wine-bench.sh store_bench 9
# Do not run it while the win32 tests run: benchmarks share the test bed's prefix.
set -eu
target=${1:?benchmark target}
shift
cd "$(dirname "$0")/.."
root=$(pwd)
[ -f build/win32/CMakeCache.txt ] || cmake --preset win32 -B build/win32 >/dev/null
cmake --build build/win32 -j2 --target "$target" >/dev/null
scripts/wine/testbed.sh start build/win32/wine >/dev/null
exe=$(find build/win32/bench -name "$target.exe" -print -quit)
[ -n "$exe" ] || { echo "no $target.exe under build/win32/bench" >&2; exit 1; }
VELT_WINE_DIR=$root/build/win32/wine exec scripts/wine/wine-run.sh "$exe" "$@"
