#!/usr/bin/env bash
# Builds the release ZIP of one Windows preset (win64 or win32) and checks
# its listing: the program, the warning sound, the README, the settings page
# and the license are in it, and no simulator, library double or test is.
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
exit $status
