#!/usr/bin/env bash
# The real korvath.exe with the hardware-access library double: the Driver
# Error box for an unusable library, the library loaded only from the
# executable's own folder, and the 32-bit outputs really 32-bit.
set -uo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh

exe=build/win64/src/app/korvath.exe
library=build/win64/sim/WinRing0x64.dll
e2e_begin "$exe" "$library"

for file in build/win32/src/app/korvath32.exe build/win32/sim/WinRing0.dll; do
  check_eq "$file is a 32-bit executable" yes \
    "$(file "$file" 2>/dev/null | grep -q 'PE32 executable.*Intel 80386' && echo yes || echo no)"
done

# install FOLDER [MACHINE-TEXT]: korvath.exe, and with a machine text the
# library double and its machine file beside it.
install() {
  mkdir -p "$1"
  cp "$exe" "$1/"
  if [ $# -gt 1 ]; then
    cp "$library" "$1/"
    printf '%b' "$2" >"$1/simulated-machine.ini"
  fi
}

# expect_box NAME FOLDER TEXT: korvath.exe started from the current folder
# shows the Driver Error box with TEXT; OK ends it with exit code 0.
expect_box() {
  local name=$1 folder=$2 text=$3 pid
  pid=$(wine_launch "$folder/korvath.exe") || { check_eq "$name: started" yes no; return; }
  if ! wait_window "Driver Error" 30 "$pid" >/dev/null; then
    screenshot "$E2E_ROOT/build/e2e-hardware-access-$pid.png"
    check_eq "$name: Driver Error box" shown "none; windows: $(probe list "$pid")"
    probe kill "$pid" >/dev/null 2>&1
    return
  fi
  check_eq "$name: box" "Driver Error|$text" "$(read_message_box "Driver Error")"
  check_eq "$name: error icon" error "$(message_box_icon "Driver Error")"
  probe key "Driver Error" Enter
  check_eq "$name: exit code" 0 "$(wait_exit "$pid" 20)"
}

machine="[system]\naffinity = 0x1\n"

install "$E2E_TEMP/status2" "$machine[driver]\nstatus = 2\n"
expect_box "status 2" "$E2E_TEMP/status2" 'Driver Not Loaded\nTry Run as Administrator.'

install "$E2E_TEMP/nosupport" "$machine[driver]\nstatus = 0\nmsr_support = 0\n"
expect_box "status 0 without MSR support" "$E2E_TEMP/nosupport" "No Error"

install "$E2E_TEMP/alone"
expect_box "no library beside the executable" "$E2E_TEMP/alone" "Driver Not Found"

# A working library planted in the current folder and on PATH must not be
# picked up by an executable that has none beside it.
install "$E2E_TEMP/planted" "$machine[driver]\nstatus = 0\nmsr_support = 1\n"
rm "$E2E_TEMP/planted/korvath.exe"
install "$E2E_TEMP/victim"
pushd "$E2E_TEMP/planted" >/dev/null
export WINEPATH
WINEPATH=$(wine_path "$E2E_TEMP/planted")
expect_box "library planted in the current folder and on PATH" "$E2E_TEMP/victim" "Driver Not Found"
unset WINEPATH
popd >/dev/null

# The same library beside the executable is usable: the start-up goes past
# the hardware check to this host's own processor, so an Intel host shows
# the main window and any other host the unsupported-processor box.
install "$E2E_TEMP/usable" "$machine[driver]\nstatus = 0\nmsr_support = 1\n"
pid=$(wine_launch "$E2E_TEMP/usable/korvath.exe")
if grep -q GenuineIntel /proc/cpuinfo; then next=Korvath; else next=Error; fi
if wait_window "$next" 30 "$pid" >/dev/null; then
  check_eq "usable library: no Driver Error" none "$(probe list "$pid" | grep -q '"Driver Error"' && echo shown || echo none)"
  probe key "$next" Esc >/dev/null 2>&1 || true
  probe key "$next" Enter >/dev/null 2>&1 || true
  check_eq "usable library: exit code" 0 "$(wait_exit "$pid" 20)"
else
  check_eq "usable library: $next window" shown "none; windows: $(probe list --all "$pid")"
  probe kill "$pid" >/dev/null 2>&1
fi

e2e_finish
