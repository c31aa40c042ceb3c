#!/usr/bin/env bash
# Checks from a program's link map (thread_model_test.sh MAP) that it links no file of a
# posix-model gcc folder, and no archive of the build holding an object whose compiler record
# names the posix model.
set -eu
cd "$(dirname "$1")"
map=$(basename "$1")
status=0
if grep -q -- "-posix/" "$map"; then
    grep -o -- "[^ ()]*-posix/[^ ()]*" "$map" | sort -u | sed 's/^/posix-model runtime: /'
    status=1
fi
archives=$(grep -oE "^[^/ (][^ (]*\.a\(" "$map" | tr -d '(' | sort -u)
[ -n "$archives" ] || { echo "$map names no archive of the build" >&2; exit 1; }
for archive in $archives; do
    grep -aq "GCC: ([^)]*) [^ ]*posix" "$archive" && { echo "posix-model objects: $archive"; status=1; }
done
exit $status
