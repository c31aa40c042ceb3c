#!/usr/bin/env bash
# Checks from a program's link map that the program was built by the win32 thread-model compiler
# alone:
#   thread_model_test.sh MAP
# It links no file of a posix-model gcc folder, and no archive of the build that it takes code
# from holds an object whose compiler record names the posix model.
set -eu
map=${1:?link map}
cd "$(dirname "$map")"
map=$(basename "$map")
status=0
if grep -q -- "-posix/" "$map"; then
    grep -o -- "[^ ()]*-posix/[^ ()]*" "$map" | sort -u | sed 's/^/posix-model runtime: /'
    status=1
fi
archives=$(grep -oE "^[^/ (][^ (]*\.a\(" "$map" | tr -d '(' | sort -u)
[ -n "$archives" ] || { echo "$map names no archive of the build" >&2; exit 1; }
for archive in $archives; do
    if grep -aq "GCC: ([^)]*) [^ ]*posix" "$archive"; then
        echo "compiled by the posix-model compiler: $archive"
        status=1
    fi
done
exit $status
