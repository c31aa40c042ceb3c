#!/usr/bin/env bash
# Checks that every function the given Windows programs or DLLs import is on a list of what the
# oldest supported Windows exports:
#   scripts/check-imports.sh LIST FILE...
# LIST holds one line per function, "dll function minimum" (see scripts/winxp-sp3-exports.txt);
# DLL names compare without regard to case. Prints every import that is not listed, as
# "FILE: dll!function", and fails when there is one. A function imported by ordinal only is
# reported as "dll!#ordinal" and must be listed that way.
set -eu
export LC_ALL=C
list=${1:?list of exports}
shift
[ $# -gt 0 ] || { echo "usage: $0 LIST FILE..." >&2; exit 2; }
objdump=${VELT_OBJDUMP:-i686-w64-mingw32-objdump}
allowed=$(grep -v '^\s*\(#\|$\)' "$list" | awk '{print tolower($1) "!" $2}' | sort -u)
status=0
for file in "$@"; do
    [ -f "$file" ] || { echo "$file: no such file" >&2; status=1; continue; }
    imports=$("$objdump" -p "$file" | awk '
        /^The Import Tables/ { inside = 1; next }
        inside && /^[A-Za-z]/ { inside = 0 }
        inside && /DLL Name:/ { dll = tolower($3); next }
        inside && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+/ {
            print dll "!" ($3 == "<none>" ? "#" $2 : $3)
        }' | sort -u)
    if [ -z "$imports" ]; then
        echo "$file: no import table found" >&2
        status=1
        continue
    fi
    missing=$(comm -23 <(echo "$imports") <(echo "$allowed"))
    if [ -n "$missing" ]; then
        echo "$missing" | sed "s|^|$file: not exported by the oldest supported Windows: |"
        status=1
    else
        echo "$file: $(echo "$imports" | wc -l) imports, all on $(basename "$list")"
    fi
done
exit $status
