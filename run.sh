#!/usr/bin/env bash
# Builds Korvath and runs it under Wine on a simulated Core 2 Duo E8400 whose
# load, clock and temperatures change, or on the machine file given as the
# only argument (./run.sh sim/machines/n100.ini), inside a Wine virtual
# desktop with its task bar, with the History window open, printing the
# windows' readings once a second and keeping a screenshot of the display
# current in build/run/screen.png, until Ctrl+C.
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

# A Wine prefix of its own whose programs run inside one virtual desktop:
# Wine's desktop window with a task bar and notification area, so that the
# screenshot shows the windows with their captions and the tray icons as a
# user sees them on Windows. The tests' prefix keeps the plain screen.
export WINEPREFIX=${WINEPREFIX:-$PWD/build/run-wineprefix}
source tests/e2e/lib-wine.sh
source tests/e2e/lib-nvapi.sh
e2e_begin "build/win64/src/app/$program" build/win64/sim/WinRing0x64.dll
"$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Korvath /f >/dev/null 2>&1
"$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Korvath /d 1280x1024 /f >/dev/null 2>&1
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
"$WINESERVER" -p >/dev/null 2>&1 || true
# The simulated machine has an NVIDIA GPU: its driver double goes where the
# monitor looks for the driver, the system folder.
install_nvapi_double || true
trap 'echo; exit 130' INT TERM

# The program with the library double and the machine file beside it.
rm -rf "$stage"
mkdir -p "$stage"
cp "build/win64/src/app/$program" build/win64/sim/WinRing0x64.dll "$stage/"
cp "$machine" "$stage/simulated-machine.ini"
# Both cores' icons and the GPU's in the notification area.
printf '[Korvath]\r\nIconShow=19\r\n' >"$stage/korvath-sim.ini"

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
    # Once the main window is there, its History window opens beside it, as
    # the system menu's "History..." opens it.
    [ "$seen_window" -eq 0 ] && probe post Korvath 274 288 0 >/dev/null 2>&1
    seen_window=1
    echo "--- $(date +%H:%M:%S)"
    echo "$readings"
  fi
  take_screenshot
  sleep 1
done
take_screenshot
[ "$seen_window" -eq 1 ] || { echo "$program showed no window"; exit 1; }
