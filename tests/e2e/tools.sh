#!/usr/bin/env bash
# The diagnostic tools of korvath-sim.exe under Wine and Xvfb. The Sensor
# Test button opens its dialog beside the main window with movement for the
# present cores only; Start runs the stand-in stress program picked in the
# open-file box that the dialog owns, Stop ends it; then the QZ Bench button runs the benchmark
# and its report box is read line by line.
set -uo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh

sim=build/win64/src/app/korvath-sim.exe
standin=build/win64/sim/korvath-stress-standin.exe
e2e_begin "$sim" "$standin"

folder=$E2E_TEMP/tools
mkdir -p "$folder"
cp "$sim" "$standin" "$folder/"
cp sim/machines/e8400.ini "$folder/simulated-machine.ini"
# The main window at (100, 80), the left of the screen: the dialog opens on
# its right.
printf '[Korvath]\r\nWindowXY=%d\r\n' $(((80 + 8192) * 65536 + 100 + 8192)) >"$folder/korvath-sim.ini"

# rect_of CAPTION: "left top right bottom" of the visible top-level window.
rect_of() {
  probe list "$pid" | grep -F "caption \"$1\" " | head -1 | sed 's/.* rect \([-0-9]*\) \([-0-9]*\) \([-0-9]*\) \([-0-9]*\) .*/\1 \2 \3 \4/'
}

# control_state WINDOW-CAPTION ID: "enabled 1" or "enabled 0".
control_state() {
  probe list "$pid" | sed -n "/caption \"$1\" /,/^window/p" | grep "^  control $2 " | grep -o 'enabled [01]'
}

# wait_text WINDOW ID TEXT SECONDS: until the control shows TEXT.
wait_text() {
  local i
  for i in $(seq 1 $(($4 * 4))); do
    [ "$(probe text "$1" "$2" 2>/dev/null)" = "$3" ] && return 0
    sleep 0.25
  done
  return 1
}

fail_with_screen() {
  check_eq "$1" "$2" "$3"
  mkdir -p "$E2E_ROOT/build/e2e-artifacts"
  screenshot "$E2E_ROOT/build/e2e-artifacts/tools.png"
  probe kill "$pid" >/dev/null 2>&1
  e2e_finish
  exit 1
}

cd "$folder"
pid=$(wine_launch "$folder/korvath-sim.exe") || { check_eq "started" yes no; e2e_finish; exit 1; }
wait_window Korvath 30 "$pid" >/dev/null || fail_with_screen "main window" shown "none: $(probe list --all "$pid")"

# Sensor Test: the movement test takes about four seconds before it shows.
probe click Korvath "$IDC_SENSOR_TEST" >/dev/null
sensor=$(wait_window "Sensor Test" 30 "$pid") || fail_with_screen "Sensor Test dialog" shown "none"
check_eq "button while the dialog runs" "Testing... enabled 0" \
  "$(probe text Korvath "$IDC_SENSOR_TEST") $(control_state Korvath "$IDC_SENSOR_TEST")"
read -r main_left main_top main_right main_bottom <<<"$(rect_of Korvath)"
read -r dialog_left dialog_top dialog_right dialog_bottom <<<"$(rect_of "Sensor Test")"
check_eq "main window where the settings put it" "100 80" "$main_left $main_top"
check_eq "dialog beside the main window, tops aligned" "$main_right $main_top" "$dialog_left $dialog_top"
movement() { probe text "Sensor Test" "$1"; }
check_eq "movement of the two cores" yes \
  "$(movement "$IDC_MOVEMENT0" | grep -qE '^[0-9]+$' && movement "$IDC_MOVEMENT1" | grep -qE '^[0-9]+$' && echo yes || echo no)"
check_eq "no movement for absent cores" "||" "|$(movement "$IDC_MOVEMENT2")|$(movement "$IDC_MOVEMENT3")"
check_eq "status" "Press Start to begin a 10 minute sensor test." "$(probe text "Sensor Test" "$IDC_STATUS")"

picker="Open Prime95 - Use Small FFTs option"
probe click "Sensor Test" "$IDC_START" >/dev/null
picker_window=$(wait_window "$picker" 20 "$pid") || fail_with_screen "stress program picker" shown "none"
check_eq "picker owned by the Sensor Test, which takes no input" "$sensor caption \"Sensor Test\" enabled 0" \
  "$(probe owner "$picker_window")"
# The file name box of the open-file dialog (cmb13) holds an edit of the
# same identifier; several parts also share 1 with the Open button.
check_eq "picker proposes" prime95 "$(probe text "$picker" "$FILE_DIALOG_NAME/Edit")"
probe set-text "$picker" "$FILE_DIALOG_NAME/Edit" "$(wine_path "$folder/korvath-stress-standin.exe")" >/dev/null
probe click "$picker" 1/Button >/dev/null
wait_text "Sensor Test" "$IDC_STATUS" "Run Small FFTs" 20
check_eq "status once started" "Run Small FFTs" "$(probe text "Sensor Test" "$IDC_STATUS")"
# The stand-in makes its window a moment after it was started.
for _ in $(seq 1 20); do
  standin_pid=$(probe list --all korvath-stress-standin.exe | sed -n 's/^window [^ ]* pid \([0-9]*\) .*/\1/p' | head -1)
  [ -n "$standin_pid" ] && break
  sleep 0.25
done
check_eq "stand-in running" yes "$([ -n "$standin_pid" ] && echo yes || echo no)"
check_eq "Start and Stop while running" "enabled 0 enabled 1" \
  "$(control_state "Sensor Test" "$IDC_START") $(control_state "Sensor Test" "$IDC_STOP")"

# A waiting probe holds the stand-in's handle, so its exit code stays readable.
exit_file=$E2E_TEMP/standin-exit
[ -n "$standin_pid" ] && wait_exit "$standin_pid" 30 >"$exit_file" &
waiter=$!
sleep 0.5
probe click "Sensor Test" "$IDC_STOP" >/dev/null
wait_text "Sensor Test" "$IDC_STATUS" "CPU Cool Down Test Stopped." 20
check_eq "status after Stop" "CPU Cool Down Test Stopped." "$(probe text "Sensor Test" "$IDC_STATUS")"
wait "$waiter" 2>/dev/null
check_eq "Stop terminates the stand-in with 0" 0 "$(cat "$exit_file" 2>/dev/null)"
check_eq "no stand-in left" "" "$(probe list --all korvath-stress-standin.exe)"

probe key "Sensor Test" Esc >/dev/null
probe wait-closed "Sensor Test" 20 >/dev/null || fail_with_screen "Sensor Test closed" yes no
check_eq "button after the dialog" "Sensor Test enabled 1" \
  "$(probe text Korvath "$IDC_SENSOR_TEST") $(control_state Korvath "$IDC_SENSOR_TEST")"

# QZ Bench: the window does not answer while the kernel runs.
probe click Korvath "$IDC_QZ_BENCH" >/dev/null
started=$SECONDS
wait_window "QZ Bench Score" 150 "$pid" >/dev/null || fail_with_screen "benchmark report" shown "none"
echo "the benchmark took about $((SECONDS - started)) s"
report=$(probe text "QZ Bench Score" "$MESSAGE_BOX_TEXT")
printf "%s\n" "$report" | sed -n "9,14p"
head=$(printf '%s\n' "$report" | head -8)
check_eq "report: the reference lines" "$(printf '%s\n' "Base Score          1000" \
  "E8400         3000 MHz         " "" "High Score          1848" "Time           7.915 secs" \
  "i7 940     4600.05 MHz" "jbn     QuazelleBoard" "")" "$head"
line() { printf '%s\n' "$report" | sed -n "$1p"; }
check_eq "report: score right-aligned in 11" yes "$(line 9 | grep -qE '^Your Score   [ 0-9]{10}[0-9]$' && echo yes || echo no)"
check_eq "report: time" yes "$(line 10 | grep -qE '^Time         [0-9]+\.[0-9]{3} secs$' && echo yes || echo no)"
check_eq "report: speed" yes "$(line 11 | grep -qE '^Speed    [0-9]+\.[0-9]{2} MHz$' && echo yes || echo no)"
check_eq "report: blank line" "" "$(line 12)"
check_eq "report: timer" yes "$(line 13 | grep -qxE 'Performance Timer|Standard Timer' && echo yes || echo no)"
check_eq "report: checksum" "CheckSum Pass" "$(line 14)"
probe key "QZ Bench Score" Enter >/dev/null
probe wait-closed "QZ Bench Score" 20 >/dev/null
wait_text Korvath "$IDC_QZ_BENCH" "QZ Bench" 20
check_eq "button after the benchmark" "QZ Bench enabled 1" "$(probe text Korvath "$IDC_QZ_BENCH") $(control_state Korvath "$IDC_QZ_BENCH")"

probe key Korvath Esc >/dev/null
check_eq "Esc ends the program with 0" 0 "$(wait_exit "$pid" 30)"
e2e_finish
