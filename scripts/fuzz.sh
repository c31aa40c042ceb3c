#!/usr/bin/env bash
# Builds the fuzz preset and runs one fuzz target for longer than the test command does.
#   scripts/fuzz.sh TARGET [SECONDS] [extra libFuzzer options...]
# TARGET: load_fuzzer, command_message_fuzzer, command_line_fuzzer or service_image_fuzzer
# (tests/fuzz/CMakeLists.txt). It starts from the corpus kept in tests/fuzz/corpus/TARGET and
# the inputs earlier runs found (build/fuzz/tests/fuzz/found/TARGET, where new ones go: copy
# those worth keeping into the tree); a crash's input lands in build/fuzz/tests/fuzz/artifacts.
set -eu
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
[ -d "tests/fuzz/corpus/$target" ] || { echo "no fuzz target $target" >&2; exit 2; }
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
out=build/fuzz/tests/fuzz
mkdir -p "$out/found/$target" "$out/artifacts"
exec "$out/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$target-" "$@" "$out/found/$target" "tests/fuzz/corpus/$target"
