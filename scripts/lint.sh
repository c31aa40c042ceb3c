#!/usr/bin/env bash
# Static checks: clang-format conformance of every C++ file, no name of cmake/shared-names.txt
# written out in the program's or the installers' sources (scripts/check-shared-names.py), and
# clang-tidy's bugprone and cert checks on src/ outside src/win32 (using the native build's
# compile commands).
set -u
cd "$(dirname "$0")/.."
build=${1:-build/native}
status=0
files=$(git ls-files '*.cpp' '*.h' | grep -v '^standin/.*\.c$')
bad=$(for f in $files; do clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || echo "$f"; done)
if [ -n "$bad" ]; then
    echo "clang-format: these files differ from .clang-format:"
    echo "$bad" | sed 's/^/  /'
    status=1
fi
python3 scripts/check-shared-names.py || status=1
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: configure the native preset first" >&2
    exit 1
fi
core=$(git ls-files 'src/*.cpp' | grep -v '^src/win32/')
out=$(clang-tidy -p "$build" --quiet $core 2>/dev/null | grep -E 'warning:|error:')
if [ -n "$out" ]; then
    echo "clang-tidy (bugprone, cert) on the core:"
    echo "$out"
    status=1
fi
[ $status -eq 0 ] && echo "lint: clean"
exit $status
