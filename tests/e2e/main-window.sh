#!/usr/bin/env bash
# korvath-sim.exe under Wine and Xvfb: the main window's readings on four
# simulated machines (two of 24 and 72 logical processors), the GPU text from the fourth cycle with the driver
# double (and the signature without it), Enter leaving the window open, Esc
# ending it with the window state written, a saved position far off every
# screen opening the window on screen, and one just off the left edge
# reopening in place. Then the real korvath.exe with the
# hardware-access double on this host's own processor. Last, mini mode at
# 120, 144 and 192 DPI: the temperatures wholly inside the mini window, and
# three restarts in mini mode leaving it where it was; and a first start in
# mini mode at Windows' place reopening exactly there. Then the History
# window at 144 and 96 DPI: opened, owned, redrawn, placed and exported. And
# every core of a 16-core hybrid and a 32-core two-socket machine on screen at
# 96 and 144 DPI, with mini mode's strip and a hover report for core 13.
set -uo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh
source tests/e2e/lib-nvapi.sh

# The History window's drawing on a real window: a line per core in its own
# colour, the legend's click, and the time of one redraw of an hour of 32 cores.
history_drawing=$(win32_unit_tests "History window" "HistoryWindow.*" 1 2>&1)
history_drawing_rc=$?
echo "$history_drawing" | grep -E '^history redraw' || true

sim=build/win64/src/app/korvath-sim.exe
real=build/win64/src/app/korvath.exe
library=build/win64/sim/WinRing0x64.dll
e2e_begin "$sim" "$real" "$library"
artifacts=$E2E_ROOT/build/e2e-artifacts
mkdir -p "$artifacts"
check_eq "History window: a line per core, switched by the legend" 0 "$history_drawing_rc"
[ "$history_drawing_rc" = 0 ] || echo "$history_drawing" | tail -20

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
    elapsed=$(probe text Korvath "$IDC_ELAPSED_TIME" 2>/dev/null)
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
  check_eq "$name: model" "$model" "$(probe text Korvath "$IDC_MODEL_NUMBER")"
  check_eq "$name: signature before the fourth cycle" "$signature" "$(probe text Korvath "$IDC_SIGNATURE")"
  check_eq "$name: temperatures" "$temp0 $temp1" "$(probe text Korvath "$IDC_TEMPERATURE0") $(probe text Korvath "$IDC_TEMPERATURE1")"
  check_eq "$name: distance" "$distance0" "$(probe text Korvath "$IDC_DISTANCE0")"
  check_eq "$name: status" "OK" "$(probe text Korvath "$IDC_THERMAL_STATUS0")"
  check_eq "$name: minimum" "$temp0°C" "$(probe text Korvath "$IDC_MINIMUM0")"
  check_eq "$name: maximum" "$temp0°C" "$(probe text Korvath "$IDC_MAXIMUM0")"
  check_eq "$name: minimum time" yes "$(probe text Korvath "$IDC_MINIMUM_TIME0" | grep -qE '^[0-9]{2}:[0-9]{2}:[0-9]{2}$' && echo yes || echo no)"
  check_eq "$name: clock text" yes "$(probe text Korvath "$IDC_CLOCK_SPEED" | grep -qE '^[0-9]+\.[0-9]{2} MHz$' && echo yes || echo no)"
  check_eq "$name: load text" yes "$(probe text Korvath "$IDC_LOAD" | grep -qE '^Load +[0-9]+\.[0-9]%$' && echo yes || echo no)"
  if [ -n "$load" ]; then
    # The mean over every logical processor, and the two further core slots.
    check_eq "$name: load over every processor" "$load" "$(probe text Korvath "$IDC_LOAD")"
    check_eq "$name: temperatures of cores 2 and 3" "$temp2 $temp3" "$(probe text Korvath "$IDC_TEMPERATURE2") $(probe text Korvath "$IDC_TEMPERATURE3")"
  fi
  wait_cycles 5 || true
  if [ -f "$(nvapi_system_folder)/nvapi64.dll" ]; then
    check_eq "$name: GPU text from the fourth cycle" "GPU  61°C" "$(probe text Korvath "$IDC_SIGNATURE")"
  else
    check_eq "$name: signature without a GPU" "$signature" "$(probe text Korvath "$IDC_SIGNATURE")"
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

# A saved corner is used wherever the title bar can be taken hold of: a few
# pixels past the screen's left edge reopens in place rather than at Windows'
# default place. (A task bar at the top cannot be had here: Wine on Xvfb
# without a window manager ignores _NET_WORKAREA, so its work area is the
# whole screen; the unit tests cover that case.)
reopens_at() {  # reopens_at NAME X Y: the window's top-left corner after a start with WindowXY there
  local folder=$E2E_TEMP/$1 pid window corner=
  install "$folder" e8400
  printf '[Korvath]\r\nWindowXY=%s\r\n' "$(pack "$2" "$3")" >"$folder/korvath-sim.ini"
  pid=$(wine_launch "$folder/korvath-sim.exe") || { echo "not started"; return; }
  if window=$(wait_window Korvath 30 "$pid"); then
    wait_cycles 1 || true
    corner=$(probe geometry "$window" | awk '$1 == "window" { print $2, $3 }')
    probe key "$window" Esc >/dev/null
    wait_exit "$pid" 30 >/dev/null
  else
    probe kill "$pid" >/dev/null 2>&1
  fi
  echo "${corner:-no window}"
}
check_eq "WindowXY (-3, 200) reopens in place" "-3 200" "$(reopens_at left-edge -3 200)"

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
    elapsed=$(probe text "$window" "$IDC_ELAPSED_TIME" 2>/dev/null)
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
  check_eq "$dpi dpi: temperatures inside the mini window" "$IDC_TEMPERATURE0 in $IDC_TEMPERATURE1 in" \
    "$(probe geometry "$window" "$IDC_TEMPERATURE0" "$IDC_TEMPERATURE1" | awk '
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

# pixel IMAGE X Y: one pixel of a screenshot as "r,g,b".
pixel() {
  convert "$1" -crop "1x1+$2+$3" +repage -depth 8 txt:- 2>/dev/null |
    sed -n 's/^0,0: (\([0-9]*,[0-9]*,[0-9]*\).*/\1/p'
}

# pixels IMAGE WIDTH HEIGHT X Y RGB: how many pixels of that area are RGB ("r,g,b").
pixels() {
  convert "$1" -crop "$2x$3+$4+$5" +repage -depth 8 txt:- 2>/dev/null | grep -cE "^[0-9]+,[0-9]+: \($6[,)]"
}

# open_history WINDOW PID HOW: the History window's handle once it shows,
# opened by the system menu command (WM_SYSCOMMAND 0x0120) or by a real
# double-click of the X mouse on the first core's temperature, which the
# edit itself turns into WM_LBUTTONDBLCLK. The mouse then leaves the windows.
open_history() {
  if [ "$3" = menu ]; then
    probe post "$1" 274 288 0 >/dev/null
  else
    local point
    point=$(probe geometry "$1" "$IDC_TEMPERATURE0" | awk -v id="$IDC_TEMPERATURE0" '$1 == id { print int(($2 + $4) / 2), int(($3 + $5) / 2) }')
    xdotool mousemove ${point% *} ${point#* } click --repeat 2 --delay 80 1
    xdotool mousemove 1279 1023
  fi
  wait_window "Korvath History" 20 "$2"
}

# history_export HISTORY PID CSV: "Save as CSV..." into CSV; prints the save
# box's owner as "probe owner" gives it.
history_export() {
  local picker
  probe click "$1" "$HISTORY_SAVE_CSV" >/dev/null
  picker=$(wait_window "Save History as CSV" 20 "$2") || { echo "no save box; windows: $(probe list --all "$2")"; return; }
  probe owner "$picker"
  probe set-text "$picker" "$FILE_DIALOG_NAME/Edit" "$(wine_path "$3")" >/dev/null
  probe click "$picker" 1/Button >/dev/null
  for _ in $(seq 1 40); do [ -s "$3" ] && break; sleep 0.25; done
}

# history_run DPI MACHINE HOW: the History window at that DPI, opened as
# open_history HOW does, owned by the main window; two pictures of it two
# seconds apart differ (the lines move on); each core of the legend that is
# shown has a line of its colour in the plot and each one hidden has none;
# the mouse over the plot draws the marker in RGB(96, 96, 96) down the whole
# plot at the second under it and the read-out box beside it. At 96 DPI it
# opens at the place in the settings file, exports what it shows through a
# save box that it owns, reopens by a double-click where it was closed, and
# its place is written at the end. On the 16-core hybrid it opens with the
# hottest core of each type and the package, and exports the day's minutes.
history_run() {
  local dpi=$1 machine=$2 how=$3 folder=$E2E_TEMP/history-$1-$2 pid window history
  local name="history $machine $dpi dpi"
  set_dpi "$dpi"
  install "$folder" "$machine"
  # (120, 100), 560 x 380 pixels: the smallest size at 96 DPI is 420 x 260.
  [ "$dpi" = 96 ] && printf '[Korvath]\r\nHistoryXY=%s\r\nHistorySize=%s\r\n' "$(pack 120 100)" \
    $((380 * 65536 + 560)) >"$folder/korvath-sim.ini"
  pid=$(wine_launch "$folder/korvath-sim.exe") || { check_eq "$name: started" yes no; return; }
  if ! window=$(wait_window Korvath 30 "$pid"); then
    check_eq "$name: main window" shown "none; windows: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
    return
  fi
  wait_cycles 3 || true
  if ! history=$(open_history "$window" "$pid" "$how"); then
    check_eq "$name: the $how opens it" shown "none; windows: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
    return
  fi
  check_eq "$name: owned by the main window" "$window" "$(probe owner "$history" | cut -d' ' -f1)"
  local xid shot=$artifacts/history-${dpi}dpi
  [ "$machine" = i9-12900k ] && shot=$artifacts/history-$machine-${dpi}dpi
  xid=$(timeout 10 xdotool search --name '^Korvath History$' 2>/dev/null | head -1)
  sleep 1
  timeout 20 import -window "${xid:-root}" "$shot-a.png" 2>/dev/null || true
  sleep 2
  timeout 20 import -window "${xid:-root}" "$shot.png" 2>/dev/null || true
  check_eq "$name: the picture changes from one second to the next" yes \
    "$(compare -metric AE "$shot-a.png" "$shot.png" null: 2>&1 | awk '{ print ($1 > 0) ? "yes" : "no: " $0 }')"

  # The window's own figures at 96 DPI, scaled as it scales them: the plot
  # and the legend's rows in client pixels, the client area on the screen.
  local cl ct cr cb
  read -r cl ct cr cb <<<"$(probe geometry "$history" | awk '$1 == "client" { print $2, $3, $4, $5 }')"
  scaled() { echo $((($1 * dpi + 48) / 96)); }
  local left top right bottom row swatch legend
  left=$(scaled 52) top=$(scaled 32) right=$((cr - cl - $(scaled 120))) bottom=$((cb - ct - $(scaled 24)))
  row=$(scaled 18) swatch=$(scaled 12) legend=$((cr - cl - $(scaled 112)))
  local root=$E2E_TEMP/history-$dpi-$machine-root.png
  timeout 20 import -window root "$root" 2>/dev/null || true
  # lines ENTRY...: per legend entry, whether its colour (its swatch's
  # outline) is drawn anywhere inside the plot's frame.
  lines() {
    local entry colour count out=
    for entry in "$@"; do
      colour=$(pixel "$root" $((cl + legend)) $((ct + top + entry * row + row / 2)))
      count=$(pixels "$root" $((right - left - 1)) $((bottom - top - 1)) $((cl + left + 1)) $((ct + top + 1)) "$colour")
      out+="${out:+ }$entry $([ "$count" -gt 0 ] && echo yes || echo no)"
    done
    echo "$out"
  }
  if [ "$machine" = i9-12900k ]; then
    # Cores 0-7 are the performance cores, 8-15 the efficient ones; the
    # hottest are core 3 (45°C) and core 8 (35°C).
    check_eq "$name: only the hottest core of each type is drawn" "3 yes 8 yes 0 no 7 no 11 no 15 no" \
      "$(lines 3 8 0 7 11 15)"
  elif [ "$machine" = e8400-living ]; then
    # (The plain E8400's two cores both read 62: one line lies over the other.)
    check_eq "$name: a line per core" "0 yes 1 yes" "$(lines 0 1)"
  fi

  # The mouse two pixels inside the plot's right edge, over the newest
  # readings: the marker stands at the column of the second under it (600
  # seconds across the plot's width), over the lines.
  local width=$((right - left)) x y second marker before after pad boxRight boxTop
  x=$((right - 2)) y=$(((top + bottom) / 2))
  second=$((((x - left) * 599 + width / 2) / width))
  marker=$((left + second * width / 599))
  before=$(pixels "$root" 1 $((bottom - top)) $((cl + marker)) $((ct + top)) 96,96,96)
  xdotool mousemove $((cl + x)) $((ct + y))
  sleep 1.5
  timeout 20 import -window root "$shot-hover.png" 2>/dev/null || true
  after=$(pixels "$shot-hover.png" 1 $((bottom - top)) $((cl + marker)) $((ct + top)) 96,96,96)
  check_eq "$name: hovering draws the marker down the plot at column $marker" "0 $((bottom - top))" "$before $after"
  # The read-out's box, turned to the marker's left at the plot's edge: its
  # outline in the marker's colour, filled in pale yellow, with writing in
  # the stretch of its first three lines nearest the marker.
  pad=$(scaled 4) boxRight=$((marker - 2 * pad)) boxTop=$((top + pad))
  local textWidth textHeight plain
  textWidth=$(scaled 50) textHeight=$(scaled 30)
  plain=$(pixels "$shot-hover.png" "$textWidth" "$textHeight" $((cl + boxRight - pad - textWidth)) \
    $((ct + boxTop + pad)) 255,255,225)
  check_eq "$name: the read-out box beside the marker" "96,96,96 255,255,225 written" \
    "$(pixel "$shot-hover.png" $((cl + boxRight - 1)) $((ct + boxTop + pad))) $(
      pixel "$shot-hover.png" $((cl + boxRight - 2)) $((ct + boxTop + 1))) $(
      [ "$plain" -lt $((textWidth * textHeight)) ] && echo written || echo "blank: $plain")"
  xdotool mousemove 1279 1023

  local csv=$folder/exported.csv owner
  if [ "$machine" = i9-12900k ]; then
    # The day's range: one row a minute, each minute's average.
    probe click "$history" $((HISTORY_FIRST_RANGE + 2)) >/dev/null
    sleep 0.5
    owner=$(history_export "$history" "$pid" "$csv")
    check_eq "$name: save box owned by the History window" "$history caption \"Korvath History\" enabled 0" "$owner"
    check_eq "$name: CSV head" "Time,Core 3,Core 8,Package 0,Load" "$(head -1 "$csv" 2>/dev/null | tr -d '\r')"
    check_eq "$name: CSV rows a minute each of 45, 35 and 47 degrees and a load of 5%" yes \
      "$(tail -n +2 "$csv" | tr -d '\r' | awk -F, '
          $1 !~ /^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:00$/ ||
            $2 != "45" || $3 != "35" || $4 != "47" || $5 != "5.0" || NF != 5 { bad = bad " " NR }
          END { print (NR >= 1 && NR <= 2 && bad == "") ? "yes" : "no: " NR " rows, wrong:" bad }')"
  fi
  if [ "$dpi" = 96 ]; then
    check_eq "history: opens at HistoryXY and HistorySize" "120 100 680 480" "$(window_rect "$history")"
    # The export: the save box belongs to the History window, which takes no
    # input meanwhile; every row holds the two cores' 62 degrees.
    owner=$(history_export "$history" "$pid" "$csv")
    check_eq "history: save box owned by the History window" "$history caption \"Korvath History\" enabled 0" "$owner"
    check_eq "history: CSV head" "Time,Core 0,Core 1,Load" "$(head -1 "$csv" 2>/dev/null | tr -d '\r')"
    check_eq "history: CSV rows of 62 and 62 degrees, a second each" yes \
      "$(tail -n +2 "$csv" | tr -d '\r' | awk -F, '
          $1 !~ /^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]$/ ||
            $2 != "62" || $3 != "62" || $4 !~ /^[0-9]+\.[0-9]$/ || NF != 4 { bad = bad " " NR }
          $1 == previous { bad = bad " " NR } { previous = $1 }
          END { print (NR >= 5 && bad == "") ? "yes" : "no: " NR " rows, wrong:" bad }')"
    probe post "$history" 16 0 0 >/dev/null  # WM_CLOSE
    probe wait-closed "$history" 20 || check_eq "history: closed" closed open
    if history=$(open_history "$window" "$pid" double-click); then
      check_eq "history: a double-click reopens it where it was closed" "120 100 680 480" "$(window_rect "$history")"
    else
      check_eq "history: a double-click reopens it" shown none
    fi
  fi
  probe key "$window" Esc >/dev/null
  check_eq "$name: Esc ends the program with 0" 0 "$(wait_exit "$pid" 30)"
  if [ "$dpi" = 96 ]; then
    check_eq "history: place and range written" "HistoryXY=$(pack 120 100) HistorySize=$((380 * 65536 + 560)) HistoryRange=10" \
      "$(grep -oE 'History(XY|Size|Range)=[0-9]*' "$folder/korvath-sim.ini" | tr '\n' ' ' | sed 's/ $//')"
  fi
  if [ "$machine" = i9-12900k ]; then
    check_eq "$name: the day's range written" "HistoryRange=1440" "$(grep -o 'HistoryRange=[0-9]*' "$folder/korvath-sim.ini")"
  fi
}

history_run 144 e8400-living double-click
history_run 144 i9-12900k menu

# every_core MACHINE DPI TEMPERATURES PACKAGES MINI [scrolls]: korvath-sim.exe on a
# processor of more than four cores. Every core's temperature is the text of
# its own control (core_temperature_id: the four slots' own, then one made
# at run time per further core) and lies inside the client area, the package
# temperatures likewise (package_id), and the window on the 1280 x 1024
# screen. Where the window is taller than the screen it scrolls: its cores
# then lie inside it across, and the hottest core and the packages in view.
# At 96 DPI a rest over core 13's minimum opens its report and one over its
# label none; mini mode (a double-click) shows MINI, the strip of further
# temperatures, inside the mini client area. The temperatures are the machine
# file's: TjMax less each core's 0x19C readout, read through the core's first
# logical processor.
joined_texts() {  # joined_texts WINDOW SEPARATOR ID...: the controls' texts on one line
  local window=$1 separator=$2 joined= id
  shift 2
  for id in "$@"; do joined+="${joined:+$separator}$(probe text "$window" "$id")"; done
  echo "$joined"
}

every_core() {
  local machine=$1 dpi=$2 temperatures=$3 packages=$4 mini=$5 scrolls=${6:-}
  local name="$machine at $dpi dpi" folder=$E2E_TEMP/cores-$machine-$dpi pid window core id ids=() package_ids=()
  local count hottest_id=$IDC_TEMPERATURE0 max=-1000 temperature
  install "$folder" "$machine"
  set_dpi "$dpi"
  pid=$(wine_launch "$folder/korvath-sim.exe") || { check_eq "$name: started" yes no; return; }
  if ! window=$(wait_window Korvath 30 "$pid"); then
    check_eq "$name: main window" shown "none; windows: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
    return
  fi
  wait_cycles 2 || true
  count=$(wc -w <<<"$temperatures")
  core=0
  for temperature in $temperatures; do
    id=$(core_temperature_id "$core")
    ids+=("$id")
    # The first of the hottest, as the window keeps it in view.
    if [ "$temperature" -gt "$max" ]; then max=$temperature; hottest_id=$id; fi
    core=$((core + 1))
  done
  for package in $(seq 0 $(($(wc -w <<<"$packages") - 1))); do package_ids+=("$(package_id "$package")"); done
  check_eq "$name: every core's temperature" "$temperatures" \
    "$(joined_texts "$window" ' ' "${ids[@]}")"
  check_eq "$name: the packages" "$packages" \
    "$(joined_texts "$window" ' ' "${package_ids[@]}")"
  local geometry
  geometry=$(probe geometry "$window" "${ids[@]}" "${package_ids[@]}")
  # Across, every control lies inside the client area; down, all of them,
  # or where the window scrolls the hottest core and the packages.
  check_eq "$name: every core and package inside the client area" "$((count + ${#package_ids[@]})) in" \
    "$(awk -v hottest="$hottest_id" -v packages="$(package_id 0)" -v scrolls="$scrolls" '
        $1 == "client" { l = $2; t = $3; r = $4; b = $5; next }
        $1 ~ /^[0-9]+$/ {
          across = $2 >= l && $4 <= r; down = $3 >= t && $5 <= b
          kept = $1 == hottest || ($1 >= packages && $1 < packages + 16) || scrolls == ""
          if (across && (down || !kept)) inside++; else out = out " " $0
        }
        END { print inside + 0 " in" (out == "" ? "" : ", not:" out " of " l " " t " " r " " b) }' <<<"$geometry")"
  check_eq "$name: the window lies on the 1280 x 1024 screen" yes \
    "$(awk '$1 == "window" { print ($2 >= 0 && $3 >= 0 && $4 <= 1280 && $5 <= 1024) ? "yes" : "no: " $0 }' <<<"$geometry")"
  timeout 20 import -window root "$artifacts/every-core-$machine-${dpi}dpi.png" 2>/dev/null || true

  if [ "$dpi" = 96 ] && [ "$count" -gt 13 ]; then
    # WM_MOUSEHOVER (0x2A1) at the middle of core 13's minimum, then of its label.
    local menu
    spot() {
      probe geometry "$window" "$1" | awk '$1 == "client" { l = $2; t = $3; next }
        $1 ~ /^[0-9]+$/ { x = int(($2 + $4) / 2) - l; y = int(($3 + $5) / 2) - t; print y * 65536 + x }'
    }
    probe post "$window" 673 0 "$(spot "$(extra_core_id 13 minimum)")" >/dev/null
    if menu=$(probe wait-menu 10 "$pid"); then
      check_eq "$name: a rest on core 13's minimum reports it" shown shown
      timeout 20 import -window root "$artifacts/every-core-$machine-hover.png" 2>/dev/null || true
      probe key "$menu" Esc >/dev/null
      for _ in $(seq 1 20); do probe wait-menu 0 "$pid" >/dev/null || break; sleep 0.3; done
    else
      check_eq "$name: a rest on core 13's minimum reports it" shown none
    fi
    probe post "$window" 673 0 "$(spot "$(extra_core_id 13 label)")" >/dev/null
    check_eq "$name: a rest on core 13's label reports nothing" none \
      "$(probe wait-menu 3 "$pid" >/dev/null && echo shown || echo none)"
    # A real double-click on core 13's temperature opens the History, as
    # one on a slot's temperature does.
    local point history core13
    core13=$(extra_core_id 13 temperature)
    point=$(probe geometry "$window" "$core13" | awk -v id="$core13" '$1 == id { print int(($2 + $4) / 2), int(($3 + $5) / 2) }')
    xdotool mousemove ${point% *} ${point#* } click --repeat 2 --delay 80 1
    xdotool mousemove 1279 1023
    if history=$(wait_window "Korvath History" 20 "$pid"); then
      check_eq "$name: a double-click on core 13's temperature opens the History" shown shown
      probe post "$history" 16 0 0 >/dev/null  # WM_CLOSE
      probe wait-closed "$history" 20 || true
    else
      check_eq "$name: a double-click on core 13's temperature opens the History" shown none
    fi
  fi

  if [ -n "$mini" ]; then
    local cells=() cell
    for cell in $(seq 0 $(($(tr -cd ',' <<<"$mini" | wc -c)))); do cells+=("$(mini_cell_id "$cell")"); done
    probe double-click "$window" 2 2 >/dev/null
    sleep 1.5
    check_eq "$name: mini mode's further temperatures" "$mini" \
      "$(joined_texts "$window" ', ' "${cells[@]}")"
    check_eq "$name: mini mode shows them inside its client area" "${#cells[@]} in" \
      "$(probe geometry "$window" "${cells[@]}" | awk '
          $1 == "client" { l = $2; t = $3; r = $4; b = $5; next }
          $1 ~ /^[0-9]+$/ { if ($2 >= l && $3 >= t && $4 <= r && $5 <= b) inside++; else out = out " " $0 }
          END { print inside " in" out }')"
    timeout 20 import -window root "$artifacts/every-core-$machine-mini-${dpi}dpi.png" 2>/dev/null || true
  fi
  probe key "$window" Esc >/dev/null
  check_eq "$name: Esc ends the program with 0" 0 "$(wait_exit "$pid" 30)"
}

# The i9-12900K: P-cores 0-7, E-cores 8-15, TjMax 100, its package 53 below.
i9_cores="40 43 39 45 42 38 44 41 35 33 31 34 30 32 29 28"
i9_mini="P 4: 42°C, P 5: 38°C, P 6: 44°C, P 7: 41°C, E 8: 35°C, E 9: 33°C, E 10: 31°C, E 11: 34°C, E 12: 30°C, E 13: 32°C, E 14: 29°C, E 15: 28°C"
# Two Xeon Gold 6130, TjMax 100: cores 0-15 on package 0, 16-31 on package 1.
xeon_cores="48 41 34 43 36 45 38 47 40 33 42 35 44 37 46 39 64 59 54 49 60 55 50 61 56 51 62 57 52 63 58 53"
every_core i9-12900k 96 "$i9_cores" "47°C" "$i9_mini"
every_core xeon-6130-2s 96 "$xeon_cores" "49°C 65°C" "16: 64°C, Package 0: 49°C, Package 1: 65°C"
every_core i9-12900k 144 "$i9_cores" "47°C" ""
every_core xeon-6130-2s 144 "$xeon_cores" "49°C 65°C" "" scrolls

# Later scripts in this prefix see 96 DPI again.
set_dpi 96

# A first start in mini mode at Windows' place, then a restart: the mini
# window comes back exactly there (a window at the screen's corner is saved
# as (0, -1), which is read back as (0, 0)).
folder=$E2E_TEMP/mini-first
install "$folder" e8400
printf '[Korvath]\r\nMiniMode=1\r\n' >"$folder/korvath-sim.ini"
rects=()
for start in 1 2; do
  if started=$(start_mini "$folder"); then
    read -r pid window <<<"$started"
    rects+=("$(window_rect "$window")")
    stop_mini "$pid" "$window" >/dev/null
  fi
done
check_eq "a first mini start at Windows' place reopens there" yes \
  "$([ "${#rects[@]}" -eq 2 ] && [ "${rects[0]}" = "${rects[1]}" ] && echo yes || echo "no: ${rects[*]}")"

history_run 96 e8400 menu

e2e_finish
