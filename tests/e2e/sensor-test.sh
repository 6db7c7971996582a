#!/usr/bin/env bash
# Runs the Sensor Test window under Xvfb on its real template: it opens
# beside the main window with the movement cells of the present cores, Start
# launches the stand-in stress program, a tick watches it, and Stop and
# closing terminate it. The stand-in must be gone afterwards.
# Without a display those tests skip; here a skip is a failure.
set -euo pipefail

exe=build/win64/tests/unit/korvath_win32_tests.exe
if [ ! -f "$exe" ]; then
  echo "the Win32 unit tests are not built: $exe" >&2
  exit 1
fi

export WINEPREFIX=${WINEPREFIX:-$(pwd)/build/wineprefix}
out=$(mktemp)
trap 'rm -f "$out"' EXIT

rc=0
timeout 300 xvfb-run -a bash -c '
  tests/wine-run.sh "$1" --gtest_filter="SensorTestDialog.*"
  rc=$?
  /usr/lib/wine/wineserver -w
  exit $rc' _ "$exe" >"$out" 2>&1 || rc=$?
cat "$out"
if [ "$rc" -ne 0 ]; then
  echo "FAIL: Sensor Test window tests exited with $rc" >&2
  exit 1
fi
if grep -q '^\[  SKIPPED \]' "$out"; then
  echo "FAIL: Sensor Test window tests were skipped: Xvfb gave Wine no display" >&2
  exit 1
fi
grep -q '^\[  PASSED  \] 2 tests' "$out" || { echo "FAIL: not both Sensor Test window tests passed" >&2; exit 1; }
