#!/usr/bin/env bash
# Runs every test of Korvath: the portable unit tests natively, under the
# sanitizers and in the 32-bit build under qemu-i386; the Windows builds with
# their unit tests under Wine; and the end-to-end tests under Wine and Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

scripts/install-packages.sh

jobs=$(nproc 2>/dev/null || echo 2)
failed=()
passed=()

stage() {
  local name=$1
  shift
  echo "=== $name"
  local start=$SECONDS
  if "$@"; then
    passed+=("$name")
    echo "--- $name: passed ($((SECONDS - start)) s)"
  else
    failed+=("$name")
    echo "--- $name: FAILED ($((SECONDS - start)) s)"
  fi
}

build_and_test() {
  local preset=$1
  cmake --preset "$preset" >"build/$preset-configure.log" 2>&1 || { cat "build/$preset-configure.log"; return 1; }
  cmake --build --preset "$preset" -j"$jobs" 2>&1 | grep -E -v '^\[ *[0-9]+%\]|^Consolidate|^Scanning' || true
  [ "${PIPESTATUS[0]}" -eq 0 ] || return 1
  [ "$preset" = win32 ] && return 0
  ctest --preset "$preset" --timeout 600
}

check_win32_executables() {
  local found=0
  for exe in build/win32/src/app/*.exe build/win32/sim/*.dll; do
    [ -e "$exe" ] || continue
    found=1
    file "$exe" | grep -q 'PE32 executable.*Intel 80386' || { file "$exe"; return 1; }
  done
  [ "$found" -eq 1 ] || { echo "no 32-bit executables were built"; return 1; }
}

mkdir -p build
stage "include arrows (with self-test)" scripts/check-includes.py
stage "native unit tests" build_and_test native
stage "sanitizer unit tests" build_and_test sanitize
stage "fuzz targets (5 s each)" tests/fuzz/run-fuzzers.sh 5
stage "32-bit unit tests (qemu-i386)" build_and_test native32
stage "win64 build and unit tests (Wine)" build_and_test win64
stage "win32 build" build_and_test win32
stage "win32 executables are 32-bit" check_win32_executables
stage "release packages (win64, win32)" bash -c 'scripts/check-release-package.sh win64 && scripts/check-release-package.sh win32'

# End-to-end tests: each script under tests/e2e/ is one stage.
for script in tests/e2e/*.sh; do
  [ -e "$script" ] || continue
  case "$script" in */lib-*) continue ;; esac
  stage "e2e $(basename "$script" .sh)" bash "$script"
done

echo
echo "=== summary"
for name in "${passed[@]}"; do echo "passed: $name"; done
for name in "${failed[@]+"${failed[@]}"}"; do echo "FAILED: $name"; done
echo "${#passed[@]} passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
