#!/usr/bin/env bash
# Runs every test: installs missing packages (as root on Debian), configures and builds the native,
# the fuzz and the win32 presets, runs the native suites, the static checks of the core, each fuzz
# target for a few seconds from the corpus it keeps (tests/fuzz) and the Wine suites. Exits
# non-zero on any failure.
set -u
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1
status=0
passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for preset in native fuzz win32; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null || { status=1; continue; }
    cmake --build --preset "$preset" || { status=1; continue; }
    echo "=== $preset: tests"
    ctest --preset "$preset" 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    # "100% tests passed, 0 tests failed out of 260"
    summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -n "$summary" ]; then
        f=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
        t=$(echo "$summary" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
        passed=$((passed + t - f))
        failed=$((failed + f))
        echo "=== $preset: $((t - f)) passed, $f failed"
    else
        status=1
    fi
    if [ "$preset" = native ]; then
        echo "=== lint: clang-format, shared names, clang-tidy (bugprone, cert) on the core"
        if bash scripts/lint.sh build/native; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            status=1
        fi
    fi
done
[ $status -eq 0 ] || [ $failed -gt 0 ] || failed=1
echo "$passed passed, $failed failed"
exit $status
