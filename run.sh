#!/usr/bin/env bash
# Builds Korvath and runs it under Wine on a simulated Core 2 Duo E8400 whose
# load, clock and temperatures change, or on the machine file given as the
# only argument (./run.sh sim/machines/n100.ini), printing the main window's
# readings once a second and keeping a screenshot of the display current in
# build/run/screen.png, until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")"

# The Windows executable to run, from build/win64/src/app/: the whole program
# on a processor simulated from simulated-machine.ini beside it.
program=korvath-sim.exe
machine=${1:-sim/machines/e8400-living.ini}
[ -f "$machine" ] || { echo "usage: $0 [machine file, e.g. sim/machines/i7-8700k.ini]" >&2; exit 2; }
stage=build/run
screen=$stage/screen.png

scripts/install-packages.sh
mkdir -p build
for preset in native win64; do
  echo "=== building $preset"
  cmake --preset "$preset" >"build/$preset-configure.log" 2>&1 || { cat "build/$preset-configure.log"; exit 1; }
  cmake --build --preset "$preset" -j2 >"build/$preset-build.log" 2>&1 || { tail -50 "build/$preset-build.log"; exit 1; }
done

source tests/e2e/lib-wine.sh
source tests/e2e/lib-nvapi.sh
e2e_begin "build/win64/src/app/$program" build/win64/sim/WinRing0x64.dll
# The simulated machine has an NVIDIA GPU: its driver double goes where the
# monitor looks for the driver, the system folder.
install_nvapi_double || true
trap 'echo; exit 130' INT TERM

# The program with the library double and the machine file beside it.
rm -rf "$stage"
mkdir -p "$stage"
cp "build/win64/src/app/$program" build/win64/sim/WinRing0x64.dll "$stage/"
cp "$machine" "$stage/simulated-machine.ini"

take_screenshot() {
  import -window root "$stage/screen-new.png" 2>/dev/null && mv "$stage/screen-new.png" "$screen" || true
}

# The windows of the process with every control that shows a text.
print_readings() {
  probe list "$1" | sed -E \
    -e 's/^window [^ ]+ pid [0-9]+ exe "[^"]*" class "([^"\\]|\\.)*" caption "(([^"\\]|\\.)*)".*/== \2/' \
    -e 's/^  control (-?[0-9]+) class "([^"\\]|\\.)*" text "(([^"\\]|\\.)*)" rect.*/  \1: \3/' |
    grep -v -E '^  -?[0-9]+: $' || true
}

pid=$(wine_launch "$stage/$program")
echo "=== $program runs under Wine on $machine (Windows pid $pid); screenshot: $screen; Ctrl+C ends"
seen_window=0
while :; do
  if code=$(probe wait "$pid" 0 2>/dev/null); then
    echo "$program ended with exit code $code"
    break
  fi
  readings=$(print_readings "$pid")
  if [ -n "$readings" ]; then
    seen_window=1
    echo "--- $(date +%H:%M:%S)"
    echo "$readings"
  fi
  take_screenshot
  sleep 1
done
take_screenshot
[ "$seen_window" -eq 1 ] || { echo "$program showed no window"; exit 1; }
