#!/usr/bin/env bash
# Where Veltarion.exe's start-up goes, step by step, under Wine: runs the program from a fresh
# folder holding one stored profile (the stand-in driver already running, as bench/startup
# leaves it), with Wine's relay trace limited to the calls that mark each step, and prints every
# step's start and length in milliseconds from the process's first loaded DLL.
#   bench/startup/steps.sh [RUNS] [Veltarion.exe]
# Builds nothing: build the win32 preset and run bench/startup once first (it loads the driver).
# The relay trace costs a little per traced call, so steps read a few tenths of a millisecond
# long; compare steps with each other, not with bench/startup's figures.
set -eu
runs=${1:-5}
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${2:-$root/build/win32/src/win32/main/Veltarion.exe}
bed=$root/build/win32/wine
. "$root/scripts/wine/env.sh"
velt_wine_env "$bed"
work=$(mktemp -d)
trap 'wine reg delete "HKCU\\Software\\Wine\\Debug" /v RelayInclude /f >/dev/null 2>&1; rm -rf "$work"' EXIT

cp "$exe" "$work/Veltarion.exe"
cp "$(dirname "$exe")/OMXDRV.SYS" "$work/"
mkdir "$work/Profiles"
python3 - "$work/Profiles/profiles.omx" <<'EOF'
import sys
record = bytearray(512)
for offset, text in ((0, b"Bench"), (100, b"c:\\bench\\*.*")):
    record[offset] = len(text)
    record[offset + 1:offset + 1 + len(text)] = text
open(sys.argv[1], "wb").write(record)
EOF

calls="kernel32.CreateMutexA;advapi32.OpenSCManagerA;advapi32.CloseServiceHandle"
calls="$calls;ntdll.NtCreateFile;ntdll.NtDeviceIoControlFile;ntdll.NtReadFile"
calls="$calls;comctl32.InitCommonControlsEx;user32.RegisterClassA;shell32.Shell_NotifyIconA"
calls="$calls;advapi32.RegCreateKeyExA;advapi32.RegQueryValueExA;user32.CreateWindowExA"
calls="$calls;user32.ShowWindow;user32.BeginPaint;user32.EndPaint;user32.GetMessageA"
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d "$calls" /f >/dev/null 2>&1

for run in $(seq "$runs"); do
    log=$work/trace$run.log
    (cd "$work" && WINEDEBUG=+timestamp,+loaddll,+relay wine Veltarion.exe 2>"$log") &
    pid=$!
    sleep 4
    # The program lives in the tray until Quit: end it here, its start-up is over.
    WINEDEBUG=-all wine taskkill /f /im Veltarion.exe >/dev/null 2>&1 || true
    wait "$pid" 2>/dev/null || true
    echo "run $run"
    python3 "$root/bench/startup/steps.py" "$log"
done
