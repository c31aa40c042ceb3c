#!/usr/bin/env bash
# Builds and runs the driver connection benchmark under Wine: bench/driver/run.sh [ROUNDS]
# Uses the win32 build's own test bed (build/win32/wine: prefix, Xvfb, persistent wineserver),
# restarting its wineserver; do not run it while the win32 tests run. The program itself puts
# the "OMXDRV" service into each state (removed, installed and stopped, running) before each
# sample, and leaves it installed and running.
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)
[ -f build/win32/CMakeCache.txt ] || cmake --preset win32 -B build/win32 >/dev/null
cmake --build build/win32 -j2 --target driver_connect_bench >/dev/null
scripts/wine/testbed.sh start build/win32/wine >/dev/null
VELT_WINE_DIR=$root/build/win32/wine scripts/wine/wine-run.sh \
    build/win32/bench/driver/driver_connect_bench.exe "$@"
