#!/usr/bin/env bash
# Runs one compile or link with another compiler than the one the build was configured with.
# CMake calls it as a compiler launcher:
#   scripts/other-compiler.sh [LAUNCHER...] COMPILER -- BUILD-COMPILER ARGS...
# and it runs LAUNCHER... COMPILER ARGS..., leaving BUILD-COMPILER out. LAUNCHER is an optional
# launcher of the build's own (ccache), kept in front of the compiler that is really run.
set -eu
words=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    words+=("$1")
    shift
done
if [ $# -lt 2 ] || [ ${#words[@]} -eq 0 ]; then
    echo "usage: $0 [LAUNCHER...] COMPILER -- BUILD-COMPILER ARGS..." >&2
    exit 2
fi
shift 2
exec "${words[@]}" "$@"
