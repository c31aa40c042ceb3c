#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one program in the build's Wine test bed.
# The bed's folder comes from VELT_WINE_DIR (set on every Wine test), else build/win32/wine.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
dir=${VELT_WINE_DIR:-$here/../../build/win32/wine}
velt_wine_env "$dir"
exec wine "$@"
