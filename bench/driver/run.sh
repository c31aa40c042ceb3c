#!/usr/bin/env bash
# Builds and runs the driver connection benchmark under Wine: bench/driver/run.sh [ROUNDS]
# Uses the win32 build's own test bed, restarting its wineserver; do not run it while the win32
# tests run. The program itself puts the "OMXDRV" service into each state (removed, installed and
# stopped, running) before each sample, and leaves it installed and running.
exec "$(dirname "$0")/../wine-bench.sh" driver_connect_bench "$@"
