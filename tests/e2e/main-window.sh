#!/usr/bin/env bash
# korvath-sim.exe under Wine and Xvfb: the main window's readings on two
# simulated machines, the GPU text from the fourth cycle with the driver
# double (and the signature without it), Enter leaving the window open, Esc
# ending it with the window state written. Then the real korvath.exe with
# the hardware-access double on this host's own processor.
set -uo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh
source tests/e2e/lib-nvapi.sh

sim=build/win64/src/app/korvath-sim.exe
real=build/win64/src/app/korvath.exe
library=build/win64/sim/WinRing0x64.dll
e2e_begin "$sim" "$real" "$library"
artifacts=$E2E_ROOT/build/e2e-artifacts
mkdir -p "$artifacts"

# install FOLDER MACHINE: korvath-sim.exe with a machine file beside it.
install() {
  rm -rf "$1"
  mkdir -p "$1"
  cp "$sim" "$1/"
  cp "sim/machines/$2.ini" "$1/simulated-machine.ini"
}

texts() {  # texts PID ID...: the texts of the main window's controls, one per line
  local pid=$1 id
  shift
  for id in "$@"; do probe text Korvath "$id"; echo; done
}

wait_cycles() {  # until the elapsed time reads at least 0:00:0N
  local want=$1 i elapsed
  for i in $(seq 1 60); do
    elapsed=$(probe text Korvath 1158 2>/dev/null)
    [ -n "$elapsed" ] && [ "${elapsed##*:}" -ge "$want" ] 2>/dev/null && return 0
    sleep 0.5
  done
  return 1
}

run_machine() {  # run_machine NAME MODEL SIGNATURE TEMP0 TEMP1 DISTANCE0
  local name=$1 model=$2 signature=$3 temp0=$4 temp1=$5 distance0=$6
  local folder=$E2E_TEMP/$name pid window
  install "$folder" "$name"
  pid=$(wine_launch "$folder/korvath-sim.exe") || { check_eq "$name: started" yes no; return; }
  if ! window=$(wait_window Korvath 30 "$pid"); then
    check_eq "$name: main window" shown "none; windows: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
    return
  fi
  wait_cycles 1 || true
  check_eq "$name: model" "$model" "$(probe text Korvath 1043)"
  check_eq "$name: signature before the fourth cycle" "$signature" "$(probe text Korvath 1161)"
  check_eq "$name: temperatures" "$temp0 $temp1" "$(probe text Korvath 1001) $(probe text Korvath 1002)"
  check_eq "$name: distance" "$distance0" "$(probe text Korvath 1005)"
  check_eq "$name: status" "OK" "$(probe text Korvath 1109)"
  check_eq "$name: minimum" "$temp0°C" "$(probe text Korvath 1019)"
  check_eq "$name: maximum" "$temp0°C" "$(probe text Korvath 1020)"
  check_eq "$name: minimum time" yes "$(probe text Korvath 1028 | grep -qE '^[0-9]{2}:[0-9]{2}:[0-9]{2}$' && echo yes || echo no)"
  check_eq "$name: clock text" yes "$(probe text Korvath 1155 | grep -qE '^[0-9]+\.[0-9]{2} MHz$' && echo yes || echo no)"
  check_eq "$name: load text" yes "$(probe text Korvath 1157 | grep -qE '^Load +[0-9]+\.[0-9]%$' && echo yes || echo no)"
  wait_cycles 5 || true
  if [ -f "$(nvapi_system_folder)/nvapi64.dll" ]; then
    check_eq "$name: GPU text from the fourth cycle" "GPU  61°C" "$(probe text Korvath 1161)"
  else
    check_eq "$name: signature without a GPU" "$signature" "$(probe text Korvath 1161)"
  fi
  # The probe's handle is Wine's, not X's: find the X window by its title.
  local xid
  xid=$(timeout 10 xdotool search --name '^Korvath$' 2>/dev/null | head -1)
  if [ -n "$xid" ]; then timeout 20 import -window "$xid" "$artifacts/main-window-$name.png" 2>/dev/null || true
  else timeout 20 import -window root "$artifacts/main-window-$name.png" 2>/dev/null || true; fi

  probe key Korvath Enter >/dev/null
  sleep 1
  check_eq "$name: Enter leaves the window open" yes "$(probe list "$pid" | grep -q '"Korvath"' && echo yes || echo no)"
  probe key Korvath Esc >/dev/null
  check_eq "$name: Esc ends the program with 0" 0 "$(wait_exit "$pid" 30)"
  local settings=$folder/korvath-sim.ini
  check_eq "$name: window state written" yes \
    "$(grep -q 'WindowXY=' "$settings" 2>/dev/null && grep -q 'IconShow=' "$settings" && grep -q 'ClockMod=' "$settings" && echo yes || echo no)"
}

install_nvapi_double
run_machine e8400 E8400 1067A 62 62 38
remove_nvapi_double
run_machine q9550 "Quad Q9550" 1067A 55 56 45

# The real program reads this host's own CPUID.
folder=$E2E_TEMP/real
mkdir -p "$folder"
cp "$real" "$library" "$folder/"
cp sim/machines/e8400.ini "$folder/simulated-machine.ini"
pid=$(wine_launch "$folder/korvath.exe")
if grep -q 'GenuineIntel' /proc/cpuinfo; then
  if window=$(wait_window Korvath 30 "$pid"); then
    check_eq "real: main window on an Intel host" shown shown
    probe key Korvath Esc >/dev/null
    check_eq "real: exit code" 0 "$(wait_exit "$pid" 30)"
  else
    check_eq "real: main window on an Intel host" shown "none: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
  fi
else
  if wait_window Error 30 "$pid" >/dev/null; then
    check_eq "real: unsupported box" 'Error|The processor detected is not supported.\n\n\n\n\n' \
      "$(read_message_box Error)"
    probe key Error Enter >/dev/null
    check_eq "real: exit code" 0 "$(wait_exit "$pid" 30)"
  else
    check_eq "real: Error box on a host that is not Intel" shown "none: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
  fi
fi

e2e_finish
