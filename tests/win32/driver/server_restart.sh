#!/usr/bin/env bash
# The controller recovers after the wineserver restarted: server_restart.sh WINE_DIR PHASES_EXE
# Runs the "before" half, restarts the wineserver the way the test bed starts it (the loaded driver
# goes, the service stays registered, a persistent server comes back for the tests after this
# one), then runs the "after" half. Must run alone (RUN_SERIAL): the restart ends every Wine
# program of the prefix.
set -u
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../../scripts/wine
dir=${1:?Wine test bed folder}
phases=${2:?phases executable}
export VELT_WINE_DIR=$dir

status=0
"$scripts/wine-run.sh" "$phases" --gtest_filter=ServerRestart.BeforeRestart || status=1
"$scripts/testbed.sh" start "$dir" || { echo "the test bed did not come back"; exit 1; }
if [ $status -eq 0 ]; then
    "$scripts/wine-run.sh" "$phases" --gtest_filter=ServerRestart.AfterRestart || status=1
fi
exit $status
