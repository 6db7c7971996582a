#!/usr/bin/env bash
# Builds the release ZIP of one Windows preset (win64 or win32) and checks
# its listing: the program, the warning sound, the README, the settings page
# and the license are in it, and no simulator, library double or test is.
# The program must also stay within its size budget (SIZE_BUDGET bytes,
# 700,000 unless given) and carry no C++ stream or locale machinery. The
# History window took the 32-bit program from about 571,000 to 611,000.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:?usage: scripts/check-release-package.sh win64|win32}
case "$preset" in
  win64) exe=korvath.exe ;;
  win32) exe=korvath32.exe ;;
  *) echo "unknown preset $preset"; exit 1 ;;
esac

cmake --preset "$preset" >/dev/null
rm -f "build/$preset"/Korvath-*.zip
cmake --build --preset "$preset" -j"${JOBS:-2}" --target package 2>&1 | grep -E -v '^\[ *[0-9]+%\]|^Consolidate|^Scanning' || true
[ "${PIPESTATUS[0]}" -eq 0 ] || exit 1
zip=$(ls "build/$preset"/Korvath-*-"$preset".zip)
listing=$(unzip -Z1 "$zip")
echo "$zip:"
echo "$listing"

status=0
for file in "$exe" KVWarning.wav README.md LICENSE docs/settings.md; do
  grep -q -E "^[^/]+/$file\$" <<<"$listing" || { echo "missing: $file"; status=1; }
done
# Anything that only the tests use: the simulator, the library doubles
# (every DLL), the stress stand-in and the test executables.
if grep -i -E 'sim|\.dll$|stand-?in|test|probe' <<<"$listing"; then
  echo "test doubles or tests in the package (listed above)"
  status=1
fi
[ "$(grep -c -v '/$' <<<"$listing")" -eq 5 ] || { echo "expected exactly five files"; status=1; }

# The executable as packed: its size, and the run-time type names that the
# C++ library's streams and locale facets leave behind even in a stripped
# file.
budget=${SIZE_BUDGET:-700000}
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q -j "$zip" "*/$exe" -d "$unpacked"
size=$(stat -c %s "$unpacked/$exe")
echo "$exe: $size bytes (budget $budget)"
if [ "$size" -gt "$budget" ]; then
  echo "$exe is larger than its budget of $budget bytes"
  status=1
fi
machinery=$(strings -a "$unpacked/$exe" | grep -E 'facet|ios_base|basic_filebuf|time_get|istreambuf' | head -5 || true)
if [ -n "$machinery" ]; then
  echo "$exe carries the C++ stream or locale machinery:"
  echo "$machinery"
  status=1
fi
exit $status
