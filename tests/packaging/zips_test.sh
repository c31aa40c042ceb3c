#!/usr/bin/env bash
# The portable zips: zips_test.sh X86_ZIP [X64_ZIP]. Each holds one folder named as the zip with
# the same files; only OMXDRV.SYS differs, built for i386 or AMD64; a stand-in zip says so.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
machine_of() { od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$1") + 4)) -N2 "$1" | tr -d ' '; }
failed=0
fail() { echo "FAIL $*"; failed=$((failed + 1)); }
first=""
for zip in "$@"; do
    stem=$(basename "$zip" .zip) want=014c
    [[ $stem == *-x64 ]] && want=8664
    unzip -q "$zip" -d "$work/$stem" || { fail "$zip does not unpack"; continue; }
    dir="$work/$stem/$stem"
    [ "$(machine_of "$dir/OMXDRV.SYS")" = $want ] || fail "$stem: OMXDRV.SYS is not for $want"
    notice=no
    [ -f "$dir/STAND-IN DRIVER.txt" ] && notice=yes
    [[ $stem == *-standin* ]] && want=yes || want=no
    [ $notice = $want ] || fail "$stem: stand-in notice $notice"
    if [ -z "$first" ]; then
        first=$dir
    elif ! diff -r -x OMXDRV.SYS -x "STAND-IN DRIVER.txt" "$first" "$dir" >/dev/null; then
        fail "$stem: other files than $(basename "$first")"
    fi
done
echo "$failed failed"
[ $failed -eq 0 ]
