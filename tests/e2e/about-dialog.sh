#!/usr/bin/env bash
# Runs the About box's Win32 test on its real template under Xvfb: the
# home-page button shows its bitmap, and each link opens its page and
# closes the box as cancelled.
# Without a display the test skips; here a skip is a failure.
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
  tests/wine-run.sh "$1" --gtest_filter="AboutDialog.*"
  rc=$?
  /usr/lib/wine/wineserver -w
  exit $rc' _ "$exe" >"$out" 2>&1 || rc=$?
cat "$out"
if [ "$rc" -ne 0 ]; then
  echo "FAIL: About box tests exited with $rc" >&2
  exit 1
fi
if grep -q '^\[  SKIPPED \]' "$out"; then
  echo "FAIL: About box tests were skipped: Xvfb gave Wine no display" >&2
  exit 1
fi
grep -q '^\[  PASSED  \] 1 test' "$out" || { echo "FAIL: the About box test did not pass" >&2; exit 1; }
