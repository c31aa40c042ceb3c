#!/usr/bin/env bash
# Builds the Windows program. Starting it under Wine arrives with the main window.
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
