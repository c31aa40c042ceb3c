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
# A program of the build runs from drive B:, the build's folder, rather than from Z:, the whole
# Unix tree. The driver-file check judges every folder above the driver, and Wine reads a
# world-writable folder above the checkout (/tmp, whose sticky bit it does not know) as one where
# every user may delete what others put there: the stand-in beside the test programs would be
# refused for where the checkout happens to be.
root=$(cd "$dir/.." && pwd)
case "$1" in
"$root"/*)
    ln -sfn "$root" "$WINEPREFIX/dosdevices/b:"
    rel=${1#"$root"/}
    shift
    set -- "B:\\${rel//\//\\}" "$@"
    ;;
esac
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
wine "$@" >"$out" 2>&1 || status=$?
cat "$out"
exit $status
