#!/usr/bin/env bash
# Builds and runs the store benchmark under Wine: bench/store/run.sh [ROUNDS]
# Uses the win32 build's own test bed; files go to the prefix's temp folder.
exec "$(dirname "$0")/../wine-bench.sh" store_bench "$@"
