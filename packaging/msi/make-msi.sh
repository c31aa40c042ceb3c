#!/usr/bin/env bash
# Builds the Windows Installer package from the WiX source with wixl, then sets in its tables what
# wixl 0.101 does not write, as the source's own attributes say (wix_fixups.py):
#   make-msi.sh OUTFILE WXS STAGE [wixl -D definitions...]
# STAGE: a folder holding every file the package carries, under the names the definitions give
# (wixl finds files relative to the current folder only), and the included SharedNames.wxi.
set -eu
out=$1 wxs=$2 stage=$3
shift 3
fixups=$(cd "$(dirname "$0")" && pwd)/wix_fixups.py
cd "$stage"
rm -f "$out"
trap 'rm -f "$out.making"' EXIT
python3 "$fixups" strip "$wxs" "$stage/for-wixl.wxs"
wixl -a x86 "$@" -o "$out.making" "$stage/for-wixl.wxs"
python3 "$fixups" apply "$wxs" "$out.making"
mv -f "$out.making" "$out"
