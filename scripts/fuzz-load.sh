#!/usr/bin/env bash
# Builds the storage-file load fuzzer with clang (libFuzzer + ASan + UBSan) and runs it.
#   scripts/fuzz-load.sh [SECONDS] [extra libFuzzer options...]
# Build folder: build/fuzz (corpus in build/fuzz/corpus, crashes in build/fuzz/artifacts).
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
out=build/fuzz
mkdir -p "$out/corpus" "$out/artifacts"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -Isrc -Itests \
    tests/profiles/fuzz/LoadFuzzer.cpp \
    src/profiles/profiles.cpp src/profiles/ProfileList.cpp src/profiles/ProfileRecord.cpp \
    src/profiles/RegistIO.cpp src/profiles/StoragePaths.cpp src/digest/*.cpp \
    tests/fakes/FakeFiles.cpp tests/fakes/FakeRegistry.cpp \
    -o "$out/load_fuzzer"
# Seeds: an empty file, one record, a partial tail.
printf '\x03\x04\x01\x00\x00\x00' >"$out/corpus/seed-empty"
{ printf '\x03\x04\x00\x00\x00\x00'; head -c 512 /dev/zero; } >"$out/corpus/seed-one"
{ printf '\x03\x04\x02\x00\x00\x00'; head -c 1100 /dev/urandom; } >"$out/corpus/seed-tail"
exec "$out/load_fuzzer" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/" "$@" "$out/corpus"
