#!/usr/bin/env bash
# Builds and runs the store benchmark under Wine: bench/store/run.sh [ROUNDS]
# Uses the win32 build's own test bed (build/win32/wine); files go to the prefix's temp folder.
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)
[ -f build/win32/CMakeCache.txt ] || cmake --preset win32 -B build/win32 >/dev/null
cmake --build build/win32 -j2 --target store_bench >/dev/null
scripts/wine/testbed.sh start build/win32/wine >/dev/null
VELT_WINE_DIR=$root/build/win32/wine scripts/wine/wine-run.sh \
    build/win32/bench/store/store_bench.exe "$@"
