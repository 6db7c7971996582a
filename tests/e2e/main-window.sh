#!/usr/bin/env bash
# korvath-sim.exe under Wine and Xvfb: the main window's readings on four
# simulated machines (two of 24 and 72 logical processors), the GPU text from the fourth cycle with the driver
# double (and the signature without it), Enter leaving the window open, Esc
# ending it with the window state written, a saved position far off every
# screen opening the window on screen. Then the real korvath.exe with the
# hardware-access double on this host's own processor. Last, mini mode at
# 120, 144 and 192 DPI: the temperatures wholly inside the mini window, and
# three restarts in mini mode leaving it where it was.
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

# pack X Y: a "WindowXY" value, each coordinate biased by 8192 in its half.
pack() { echo $(( ($2 + 8192) * 65536 + $1 + 8192 )); }

run_machine() {  # run_machine NAME MODEL SIGNATURE TEMP0 TEMP1 DISTANCE0 [WINDOWXY] [LOAD TEMP2 TEMP3]
  local name=$1 model=$2 signature=$3 temp0=$4 temp1=$5 distance0=$6 windowxy=${7:-} load=${8:-}
  local temp2=${9:-} temp3=${10:-}
  local folder=$E2E_TEMP/$name pid window
  install "$folder" "$name"
  [ -n "$windowxy" ] && printf '[Korvath]\r\nWindowXY=%s\r\n' "$windowxy" >"$folder/korvath-sim.ini"
  pid=$(wine_launch "$folder/korvath-sim.exe") || { check_eq "$name: started" yes no; return; }
  if ! window=$(wait_window Korvath 30 "$pid"); then
    check_eq "$name: main window" shown "none; windows: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
    return
  fi
  wait_cycles 1 || true
  if [ -n "$windowxy" ]; then
    # Xvfb's one screen is 1280 x 1024.
    check_eq "$name: a WindowXY off every screen opens the window on screen" yes \
      "$(probe geometry "$window" | awk '$1 == "window" { print ($2 >= 0 && $3 >= 0 && $2 < 1280 && $3 < 1024) ? "yes" : "no: " $0 }')"
  fi
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
  if [ -n "$load" ]; then
    # The mean over every logical processor, and the two further core slots.
    check_eq "$name: load over every processor" "$load" "$(probe text Korvath 1157)"
    check_eq "$name: temperatures of cores 2 and 3" "$temp2 $temp3" "$(probe text Korvath 1003) $(probe text Korvath 1004)"
  fi
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
  if [ -n "$windowxy" ]; then
    check_eq "$name: the unused WindowXY is kept" "WindowXY=$windowxy" "$(grep -o 'WindowXY=[0-9]*' "$settings")"
  fi
}

install_nvapi_double
run_machine e8400 E8400 1067A 62 62 38
remove_nvapi_double
run_machine q9550 "Quad Q9550" 1067A 55 56 45 "$(pack 9000 9000)"
# 24 logical processors of a hybrid desktop, and 72 in two processor groups.
run_machine i9-12900k i9-12900K 90672 40 43 60 "" "Load   5.0%" 39 45
run_machine xeon-6154-2s "Xeon 6154" 50654 68 66 36 "" "Load  10.0%" 67 65

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

# set_dpi N: the desktop's DPI, which Wine takes when its server starts.
set_dpi() {
  "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$WINESERVER" -k >/dev/null 2>&1
  "$WINESERVER" -w >/dev/null 2>&1
  "$WINESERVER" -p >/dev/null 2>&1 || true
}

# start_mini FOLDER: korvath-sim.exe in mini mode; prints "PID WINDOW" once
# the first cycles have run. Its title shows temperatures from the first tick
# on, so the dialog is found by its process and followed by its handle.
start_mini() {
  local pid window= i elapsed
  pid=$(wine_launch "$1/korvath-sim.exe") || return 1
  for i in $(seq 1 60); do
    window=$(probe list "$pid" 2>/dev/null | awk '$1 == "window" && /class "#32770"/ { print $2; exit }')
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || { probe kill "$pid" >/dev/null 2>&1; return 1; }
  for i in $(seq 1 60); do
    elapsed=$(probe text "$window" 1158 2>/dev/null)
    [ -n "$elapsed" ] && [ "${elapsed##*:}" -ge 2 ] 2>/dev/null && break
    sleep 0.5
  done
  echo "$pid $window"
}

stop_mini() {  # stop_mini PID WINDOW: Esc, and the exit code
  probe key "$2" Esc >/dev/null
  wait_exit "$1" 30
}

window_rect() { probe geometry "$1" | awk '$1 == "window" { print $2, $3, $4, $5 }'; }

mini_xy=$(pack 200 150)
for dpi in 120 144 192; do
  folder=$E2E_TEMP/mini-$dpi
  install "$folder" e8400
  printf '[Korvath]\r\nMiniMode=1\r\nWindowXY=%s\r\n' "$mini_xy" >"$folder/korvath-sim.ini"
  set_dpi "$dpi"
  if ! started=$(start_mini "$folder"); then
    check_eq "$dpi dpi: mini window" shown "none"
    continue
  fi
  read -r pid window <<<"$started"
  # The E8400's two cores: their temperature edits lie wholly inside the mini client area.
  check_eq "$dpi dpi: temperatures inside the mini window" "1001 in 1002 in" \
    "$(probe geometry "$window" 1001 1002 | awk '
        $1 == "client" { l = $2; t = $3; r = $4; b = $5; next }
        $1 ~ /^[0-9]+$/ { printf "%s%s %s", sep, $1, ($2 >= l && $3 >= t && $4 <= r && $5 <= b) ? "in" : "out: " $0 " of " l " " t " " r " " b; sep = " " }')"
  timeout 20 import -window root "$artifacts/mini-mode-${dpi}dpi.png" 2>/dev/null || true
  rect=$(window_rect "$window")
  check_eq "$dpi dpi: Esc ends the mini window with 0" 0 "$(stop_mini "$pid" "$window")"
done

# Restarting in mini mode puts the mini window back where it was, every
# time; dragged 40 pixels right in the first restart, it comes back there.
for restart in 1 2 3; do
  if ! started=$(start_mini "$folder"); then
    check_eq "mini restart $restart: window" shown "none"
    break
  fi
  read -r pid window <<<"$started"
  check_eq "mini restart $restart: same rectangle" "$rect" "$(window_rect "$window")"
  if [ "$restart" = 1 ]; then
    probe drag "$window" 20 20 60 20 >/dev/null
    sleep 1.5  # a cycle takes the full window that goes with it
    rect=$(window_rect "$window")
  fi
  stop_mini "$pid" "$window" >/dev/null
done
check_eq "mini restarts keep the dragged WindowXY" "WindowXY=$(pack 240 150)" \
  "$(grep -o 'WindowXY=[0-9]*' "$folder/korvath-sim.ini")"

# Later scripts in this prefix see 96 DPI again.
set_dpi 96

e2e_finish
