#!/usr/bin/env bash
# Runs the dialog framework's Win32 tests on real windows under Xvfb: the
# four dialog templates loaded by the dialog manager, default OK and Cancel,
# refusal and focus return, message results, and a throwing handler.
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

# Wait for the prefix's wineserver inside the X session, so that no Wine
# process outlives the display it was using.
rc=0
timeout 300 xvfb-run -a bash -c '
  tests/wine-run.sh "$1" --gtest_filter="Dialog.*:GdiHolders.*"
  rc=$?
  /usr/lib/wine/wineserver -w
  exit $rc' _ "$exe" >"$out" 2>&1 || rc=$?
cat "$out"
if [ "$rc" -ne 0 ]; then
  echo "FAIL: dialog tests exited with $rc" >&2
  exit 1
fi
if grep -q '^\[  SKIPPED \]' "$out"; then
  echo "FAIL: dialog tests were skipped: Xvfb gave Wine no display" >&2
  exit 1
fi
grep -q '^\[  PASSED  \]' "$out"
