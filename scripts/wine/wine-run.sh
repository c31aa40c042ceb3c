#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one program in the build's Wine test bed.
# The bed's folder comes from VELT_WINE_DIR (set on every Wine test), else build/win32/wine.
# The program's output goes through a file: a Wine process it starts that outlives it (explorer's
# desktop, started by the first window) inherits the output it was given, and would hold CTest's
# pipe open, so that CTest waits for it long after the test has ended.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
dir=${VELT_WINE_DIR:-$here/../../build/win32/wine}
velt_wine_env "$dir"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
wine "$@" >"$out" 2>&1 || status=$?
cat "$out"
exit $status
