#!/usr/bin/env bash
# Runs every test: installs missing packages (as root on Debian), configures and builds the native
# and the win32 presets, runs the native suites and the Wine suites. Exits non-zero on any failure.
set -u
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1
status=0
for preset in native win32; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null || { status=1; continue; }
    cmake --build --preset "$preset" || { status=1; continue; }
    echo "=== $preset: tests"
    ctest --preset "$preset" || status=1
done
if [ $status -eq 0 ]; then echo "ALL TESTS PASSED"; else echo "SOME TESTS FAILED"; fi
exit $status
