#!/usr/bin/env bash
# korvath-sim.exe under Wine and Xvfb: the temperature log and the tray.
#
# Run 1, four cores, a text log written every second, alarms on at 0 degrees
# so that every icon is redrawn each cycle and blinks on odd ones: the log
# lines carry the readings the window shows, the process's GDI object count
# stays flat over the cycles, a display mode chosen in the tray menu and Esc
# end the run with the settings written.
# Run 1 also writes a metrics file into a folder below the program's: promtool
# accepts it, it carries the temperatures the window shows, and a real
# Prometheus exporter (on the loopback, for a few seconds) serves them.
# Run 2, same folder, two cores, CSV, written to disk only at midnight: the
# lines reach KorvathLog.csv only through the flush of the shutdown that the
# tray menu's Exit runs, and KorvathLog.txt keeps what run 1 wrote. Its
# metrics file's folder is missing, which costs nothing else.
# Run 3: a minimised start with neither tray icon nor task-bar button asked
# for still leaves a window the user can reach and restore.
# Run 3 also opens Settings and presses OK: the file keeps TaskBar=0.
# Run 4: a line a second while the alarm-program picker has been browsed to
# another folder: every line goes into the log beside the program.
# Run 5: the session ends (wineboot --end-session) with the log buffered:
# the lines and the window state are on disk all the same.
# Run 6: "/startup on|off" adds and removes the Task Scheduler task (read
# back from the file Wine's scheduler keeps), a wrong switch fails with a
# line on stderr; with the program minimised to the tray, its menu's "Start
# with Windows" adds and removes the task, its "Hottest core" adds that icon
# (saved in IconShow at exit), and a second start brings the
# window back and ends with 0, writing no log of its own; one that finds a
# Korvath of another session (the probe holds its machine-wide mutex) says so.
#
# The tray is Wine's own notification area for a display without a system
# tray (a "Wine System Tray" window; a virtual desktop is not needed): the
# icons are right-clicked and double-clicked there with the X mouse, and the
# menu is driven with the arrow keys or clicked.
set -uo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh

sim=$E2E_WIN64/src/app/korvath-sim.exe
# A display of our own, without a system tray: Wine then shows the icons in
# a "Wine System Tray" window of its own, where the mouse can reach them.
unset DISPLAY
e2e_begin "$sim"

folder=$E2E_TEMP/logs
mkdir -p "$folder"
cp "$sim" "$folder/"
txt=$folder/KorvathLog.txt
csv=$folder/KorvathLog.csv
ini=$folder/korvath-sim.ini

# Each line: "%x %H:%M:%S", then one temperature per present core, CR LF.
stamp='[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'

line_count() { if [ -f "$1" ]; then grep -c $'\r$' "$1"; else echo 0; fi; }

# wait_lines FILE N SECONDS: until FILE holds at least N lines.
wait_lines() {
  local deadline=$((SECONDS + $3))
  while [ "$SECONDS" -lt "$deadline" ]; do
    [ "$(line_count "$1")" -ge "$2" ] && return 0
    sleep 0.5
  done
  return 1
}

# The lines of FILE that do not match the pattern (CR LF included).
bad_lines() { LC_ALL=C grep -avE "^$2"$'\r$' "$1" | head -3; }

# The tray icons Wine shows in its own "Wine System Tray" window on a display
# without a system tray: one line "x y" (the centre) per icon.
tray_icons() {
  probe list | awk '/^window / { tray = ($0 ~ /class "__winex11_standalone_tray"/) }
    tray && /class "__winex11_tray_icon"/ {
      sub(/.* rect /, ""); print int(($1 + $3) / 2), int(($2 + $4) / 2) }'
}

# Right-clicks the first tray icon with the X mouse, as a user would. When
# the display has a system tray of its own, Wine docks the icons there; then
# the click is replaced by what the shell sends the window for one, the
# callback message 0x8000 with the mouse message WM_RBUTTONDOWN.
open_tray_menu() {
  local window=$1 pid=$2 point
  point=$(tray_icons | head -1)
  if [ -n "$point" ]; then
    xdotool mousemove ${point% *} ${point#* } click 3
  else
    echo "     no Wine System Tray window: posting the tray callback instead" >&2
    probe post "$window" 0x8000 "$TRAY_ICON_BASE" 0x204
  fi
  probe wait-menu 15 "$pid"
}

gdi_table() { probe resources "$1" | sed -n 's/.* table \([0-9]*\)$/\1/p'; }

# wait_main_window PID SECONDS: the process's shown main window, found by
# its dialog class: minimised, it carries the temperatures as its caption.
wait_main_window() {
  local deadline=$((SECONDS + $2)) found
  while [ "$SECONDS" -lt "$deadline" ]; do
    found=$(probe list "$1" | sed -n 's/^window \(0x[0-9A-Fa-f]*\) .* class "#32770" .*/\1/p' | head -1)
    [ -n "$found" ] && echo "$found" && return 0
    sleep 0.5
  done
  return 1
}

# start_run N: korvath-sim.exe started from its own folder, where the log
# goes; sets pid and window, or ends the script.
start_run() {
  cd "$folder"
  pid=$(wine_launch "$folder/korvath-sim.exe") || { check_eq "run $1: started" yes no; e2e_finish; exit; }
  cd "$E2E_ROOT"
  if ! window=$(wait_main_window "$pid" 40); then
    check_eq "run $1: main window" shown "none; windows: $(probe list --all "$pid")"
    probe kill "$pid" >/dev/null 2>&1
    e2e_finish
    exit
  fi
}

# The main window 400 pixels right of and 200 below where it opens, clear of
# Wine's tray window in the top-left corner (positions carry a bias of 0x2000).
away=$(( (0x2000 + 400) | ((0x2000 + 200) << 16) ))

# --- Run 1 -----------------------------------------------------------------
cp sim/machines/q9550.ini "$folder/simulated-machine.ini"
printf '[Korvath]\r\nLogFile=1\r\nLogInterval=1\r\nHDWrite=1\r\nCSV=0\r\nAlarm=1\r\nAlarm1=0\r\nIconShow=15\r\nWindowXY=%s\r\n' "$away" >"$ini"
printf 'MetricsFile=metrics\\korvath.prom\r\n' >>"$ini"
mkdir -p "$folder/metrics"
start_run 1

wait_lines "$txt" 4 30
shown="$(probe text "$window" "$IDC_TEMPERATURE0") $(probe text "$window" "$IDC_TEMPERATURE1") $(probe text "$window" "$IDC_TEMPERATURE2") $(probe text "$window" "$IDC_TEMPERATURE3")"
check_eq "run 1: the window reads the machine file" "55 56 53 57" "$shown"
check_eq "run 1: a line a second, written each second" yes \
  "$([ "$(line_count "$txt")" -ge 4 ] && echo yes || echo "no: $(line_count "$txt") lines")"
check_eq "run 1: every line carries the readings shown" "" "$(bad_lines "$txt" "$stamp ${shown// / }")"

check_eq "run 1: one tray icon per core" 4 "$(tray_icons | wc -l)"

# The metrics file, relative to the program's folder.
metrics=$folder/metrics/korvath.prom
core_temperatures() { sed -n 's/^korvath_core_temperature_celsius{core="[0-3]"} //p' | paste -sd' '; }
check_eq "run 1: the metrics file carries the temperatures shown" "$shown" "$(core_temperatures <"$metrics" 2>&1)"
check_eq "run 1: promtool accepts the metrics file" "ok" \
  "$(promtool check metrics <"$metrics" 2>&1 && echo ok)"
check_eq "run 1: the metrics file has the cpu alarm on" 'korvath_alarm_active{source="cpu"} 1' \
  "$(grep -a '^korvath_alarm_active{source="cpu"}' "$metrics")"
# A real exporter with only its textfile collector, on a free loopback port,
# ended by timeout at the latest.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
timeout 30 prometheus-node-exporter --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$folder/metrics" >"$E2E_TEMP/exporter.log" 2>&1 &
exporter=$!
served=
for i in $(seq 1 40); do
  served=$(curl -sf --max-time 2 "http://127.0.0.1:$port/metrics") && break
  sleep 0.25
done
kill "$exporter" 2>/dev/null
wait "$exporter" 2>/dev/null
check_eq "run 1: the exporter serves every core's temperature" "$shown" \
  "$(core_temperatures <<<"$served")"
check_eq "run 1: the exporter read the file without error" "node_textfile_scrape_error 0" \
  "$(grep '^node_textfile_scrape_error' <<<"$served" || tail -3 "$E2E_TEMP/exporter.log")"

# The GDI objects while the icons are redrawn every second and blink. Each
# drawn icon holds two bitmaps, so the count swings by two per icon between
# odd and even cycles; a leak makes it climb.
first=$(probe resources "$pid")
echo "     GDI and user objects: $first (GetGuiResources, then the live entries of the GDI handle table)"
case "$first" in
  "gdi 0 user 0 "*) echo "     Wine answers 0 to GetGuiResources: the GDI handle table is what is counted" ;;
esac
check_eq "run 1: the probe counts GDI objects exactly" ok "$(probe resources-self-check)"
samples=()
lines_before=$(line_count "$txt")
deadline=$((SECONDS + 24))
while [ "$SECONDS" -lt "$deadline" ]; do
  samples+=("$(gdi_table "$pid")")
  sleep 1.5
done
cycles=$(($(line_count "$txt") - lines_before))
low=$(printf '%s\n' "${samples[@]}" | sort -n | head -1)
high=$(printf '%s\n' "${samples[@]}" | sort -n | tail -1)
echo "     GDI handle table over $cycles cycles: ${samples[*]}"
check_eq "run 1: cycles ran while counting" yes "$([ "$cycles" -ge 15 ] && echo yes || echo "no: $cycles")"
check_eq "run 1: GDI objects stay flat" yes \
  "$([ "${low:-0}" -gt 0 ] && [ $((high - low)) -le 10 ] && echo yes || echo "no: from $low to $high")"
echo "     GetGuiResources at the end: $(probe resources "$pid")"

# "Maximum", five arrow presses down the menu: IconShow gains 0x400.
if open_tray_menu "$window" "$pid" >/dev/null; then
  for i in 1 2 3 4 5; do probe key "$window" Down >/dev/null; done
  probe key "$window" Enter >/dev/null
  for i in $(seq 1 20); do probe wait-menu 0 "$pid" >/dev/null || break; sleep 0.3; done
  check_eq "run 1: the menu closes after a command" no "$(probe wait-menu 0 "$pid" >/dev/null && echo yes || echo no)"
else
  check_eq "run 1: a right click on the tray icon opens the menu" shown none
fi
probe key "$window" Esc >/dev/null
check_eq "run 1: Esc ends the program with 0" 0 "$(wait_exit "$pid" 30)"
check_eq "run 1: the menu's display mode is saved" "IconShow=1039" "$(grep -a '^IconShow=' "$ini" | tr -d '\r')"
check_eq "run 1: the window state is saved" yes \
  "$(grep -aq '^WindowXY=' "$ini" && grep -aq '^ClockMod=' "$ini" && grep -aq '^APICID=' "$ini" && echo yes || echo no)"
check_eq "run 1: every line still well formed" "" "$(bad_lines "$txt" "$stamp 55 56 53 57")"
check_eq "run 1: only the metrics file is left in its folder" "korvath.prom" "$(ls "$folder/metrics" | paste -sd' ')"
txt_copy=$E2E_TEMP/KorvathLog.txt.run1
cp "$txt" "$txt_copy"

# --- Run 2 -----------------------------------------------------------------
cp sim/machines/e8400.ini "$folder/simulated-machine.ini"
printf '[Korvath]\r\nLogFile=1\r\nLogInterval=1\r\nHDWrite=86400\r\nCSV=1\r\nIconShow=1\r\nWindowXY=%s\r\n' "$away" >"$ini"
printf 'MetricsFile=missing\\korvath.prom\r\n' >>"$ini"
day=$(date +%j)
start_run 2
# Five cycles by the elapsed-time field.
for i in $(seq 1 40); do
  elapsed=$(probe text "$window" "$IDC_ELAPSED_TIME" 2>/dev/null)
  [ -n "$elapsed" ] && [ "${elapsed##*:}" -ge 5 ] 2>/dev/null && break
  sleep 0.5
done
shown="$(probe text "$window" "$IDC_TEMPERATURE0") $(probe text "$window" "$IDC_TEMPERATURE1")"
check_eq "run 2: the window reads the machine file" "62 62" "$shown"
if [ "$(date +%j)" = "$day" ]; then
  check_eq "run 2: nothing on disk before the shutdown" no "$([ -e "$csv" ] && echo yes || echo no)"
fi
# A double click on the icon minimises the window, which then lives in the
# tray only (TaskBar is off); a second one brings it back restored.
visible() { probe list --all "$pid" | grep "^window $window " | sed -n 's/.* visible \([01]\)$/\1/p'; }
wait_visible() {  # wait_visible 0|1
  local i
  for i in $(seq 1 30); do [ "$(visible)" = "$1" ] && return 0; sleep 0.3; done
  return 1
}
point=$(tray_icons | head -1)
if [ -n "$point" ]; then
  xdotool mousemove ${point% *} ${point#* } click --repeat 2 --delay 80 1
  check_eq "run 2: a double click on the icon hides the window in the tray" yes \
    "$(wait_visible 0 && echo yes || echo "no: visible $(visible)")"
  xdotool click --repeat 2 --delay 80 1
  check_eq "run 2: a second double click restores it" yes "$(wait_visible 1 && echo yes || echo no)"
  check_eq "run 2: the restored window's title" "Korvath 2.90" "$(probe list --all "$pid" | grep "^window $window " | sed 's/.* caption "\([^"]*\)" .*/\1/')"
fi

# Exit is the menu's last item: clicked with the mouse.
if menu=$(open_tray_menu "$window" "$pid"); then
  set -- $(probe list --all "$pid" | grep "^window $menu " | sed 's/.* rect \([-0-9]*\) \([-0-9]*\) \([-0-9]*\) \([-0-9]*\) .*/\1 \2 \3 \4/')
  xdotool mousemove $((($1 + $3) / 2)) $(($4 - 8)) click 1
else
  check_eq "run 2: a right click on the tray icon opens the menu" shown none
fi
check_eq "run 2: Exit in the tray menu ends the program with 0" 0 "$(wait_exit "$pid" 30)"
check_eq "run 2: the shutdown flushed the buffer to the CSV file" yes \
  "$([ "$(line_count "$csv")" -ge 5 ] && echo yes || echo "no: $(line_count "$csv") lines")"
check_eq "run 2: CSV lines with the readings shown" "" "$(bad_lines "$csv" "${stamp/ /,},62,62")"
check_eq "run 2: the text log is left as it was" yes "$(cmp -s "$txt" "$txt_copy" && echo yes || echo no)"
check_eq "run 2: the settings are saved" yes \
  "$(grep -aq '^IconShow=1' "$ini" && grep -aq '^WindowXY=' "$ini" && echo yes || echo no)"
check_eq "run 2: a metrics folder that is missing stays missing" no "$([ -e "$folder/missing" ] && echo yes || echo no)"

# --- Run 3 -----------------------------------------------------------------
# A hand edit asks for a minimised start, no task-bar button and no tray
# icon: with nothing in the tray the window still gets its task-bar button,
# so the probe finds it shown (minimised) and restores it as a click on
# that button does.
printf '[Korvath]\r\nStartMinimized=1\r\nTaskBar=0\r\nIconShow=0\r\nWindowXY=%s\r\n' "$away" >"$ini"
start_run 3
check_eq "run 3: no tray icon" 0 "$(tray_icons | wc -l)"
probe post "$window" 0x0112 0xF120 0 >/dev/null  # WM_SYSCOMMAND, SC_RESTORE
title=
for i in $(seq 1 30); do
  title=$(probe list --all "$pid" | grep "^window $window " | sed 's/.* caption "\([^"]*\)" .*/\1/')
  [ "$title" = "Korvath 2.90" ] && break
  sleep 0.3
done
check_eq "run 3: the window restores from its task-bar button" "Korvath 2.90" "$title"
# Settings' OK in a run without tray icons: the dialog shows the task bar
# the run forced on, and the file keeps the user's TaskBar=0.
probe click "$window" "$IDC_SETTINGS" >/dev/null
if wait_window Settings 20 "$pid" >/dev/null; then
  check_eq "run 3: Settings shows the task bar forced on" 1 "$(probe check Settings "$IDC_TASK_BAR")"
  probe click Settings 1 >/dev/null
  probe wait-closed Settings 20 || check_eq "run 3: OK closes Settings" closed open
else
  check_eq "run 3: Settings dialog" shown "none; windows: $(probe list --all "$pid")"
fi
check_eq "run 3: Settings OK keeps the file's TaskBar" "TaskBar=0" "$(grep -a '^TaskBar=' "$ini" | tr -d '\r')"
# Closing is timed inside one probe, from Esc to the window gone and from
# there to the process end. Under Wine on a display without a window manager
# hiding any shown window waits two seconds for an acknowledgement that never
# comes (as does removing the last tray icon, in Wine's tray); the probe
# shows that on a window of its own, and only the rest counts as Korvath's.
costs=$(probe close-cost)
closing=$(probe close-time "$window" Esc 30)
echo "     Wine on this display: $costs; Korvath's Esc: $closing (milliseconds)"
hide_ms=$(echo "$costs" | sed -n 's/^hide \([0-9]*\) .*/\1/p')
exit_ms=$(echo "$closing" | sed -n 's/.* exit \([0-9]*\) .*/\1/p')
check_eq "run 3: the process ends within a second of the window closing, beyond Wine's own wait" yes \
  "$([ -n "$exit_ms" ] && [ -n "$hide_ms" ] && [ $((exit_ms - hide_ms)) -lt 1000 ] && echo yes || echo "no: $closing, $costs")"
check_eq "run 3: Esc ends the program with 0" 0 "${closing##* code }"
check_eq "run 3: the user's choice stays as written" "TaskBar=0 IconShow=0" \
  "$(grep -a '^TaskBar=' "$ini" | tr -d '\r') $(grep -a '^IconShow=' "$ini" | tr -d '\r')"

# --- Run 4 -----------------------------------------------------------------
# A line a second while Settings' alarm-program picker is open and has been
# browsed to another folder, which becomes the process's current folder
# (Windows and Wine alike): every line still goes into the log beside the
# program, none into the folder browsed to.
elsewhere=$E2E_TEMP/elsewhere
mkdir -p "$elsewhere"
rm -f "$txt"
printf '[Korvath]\r\nLogFile=1\r\nLogInterval=1\r\nHDWrite=1\r\nIconShow=1\r\nWindowXY=%s\r\n' "$away" >"$ini"
start_run 4
wait_lines "$txt" 2 30
picker="Open File to Run on Alarm"
probe click "$window" "$IDC_SETTINGS" >/dev/null
if wait_window Settings 20 "$pid" >/dev/null && probe click Settings "$IDC_ALARM_EXE" >/dev/null &&
  wait_window "$picker" 20 "$pid" >/dev/null; then
  # A folder typed into the file name box and opened is browsed to.
  probe set-text "$picker" "$FILE_DIALOG_NAME/Edit" "$(wine_path "$elsewhere")" >/dev/null
  probe click "$picker" 1/Button >/dev/null
  for i in $(seq 1 20); do [ "$(probe text "$picker" "$FILE_DIALOG_FOLDER")" = elsewhere ] && break; sleep 0.25; done
  check_eq "run 4: the picker shows the folder browsed to" elsewhere "$(probe text "$picker" "$FILE_DIALOG_FOLDER")"
  lines_before=$(line_count "$txt")
  sleep 5
  check_eq "run 4: lines reach the log while the picker is open" yes \
    "$([ $(($(line_count "$txt") - lines_before)) -ge 4 ] && echo yes || echo "no: $(($(line_count "$txt") - lines_before)) lines in 5 s")"
  probe click "$picker" 2/Button >/dev/null
  probe wait-closed "$picker" 20 || check_eq "run 4: Cancel closes the picker" closed open
  probe click Settings 2 >/dev/null
  probe wait-closed Settings 20 || check_eq "run 4: Cancel closes Settings" closed open
else
  check_eq "run 4: the alarm-program picker" shown "none; windows: $(probe list --all "$pid")"
fi
probe key "$window" Esc >/dev/null
check_eq "run 4: Esc ends the program with 0" 0 "$(wait_exit "$pid" 30)"
check_eq "run 4: no line went into the folder browsed to" "" "$(ls "$elsewhere")"
check_eq "run 4: every line well formed" "" "$(bad_lines "$txt" "$stamp 62 62")"

# --- Run 5 -----------------------------------------------------------------
# Log-off: the session ends with lines still buffered (written to disk only
# at midnight). Every logged second reaches KorvathLog.txt and the window
# state reaches the settings file before Wine ends the process.
rm -f "$txt"
printf '[Korvath]\r\nLogFile=1\r\nLogInterval=1\r\nHDWrite=86400\r\nIconShow=1\r\nWindowXY=%s\r\n' "$away" >"$ini"
start_run 5
for i in $(seq 1 40); do
  elapsed=$(probe text "$window" "$IDC_ELAPSED_TIME" 2>/dev/null)
  [ -n "$elapsed" ] && [ "${elapsed##*:}" -ge 6 ] 2>/dev/null && break
  sleep 0.5
done
seen=${elapsed##*:}
seen=$((10#${seen:-0}))
if [ "$(date +%j)" = "$day" ]; then
  check_eq "run 5: nothing on disk before the session ends" no "$([ -e "$txt" ] && echo yes || echo no)"
fi
timeout 60 "$WINE64" wineboot.exe --end-session >/dev/null 2>&1
echo "     wineboot --end-session: $?"
# A process already gone cannot be opened any more: that counts as ended.
code=$(probe wait "$pid" 20 2>/dev/null)
case $? in
  0) ended="ended $code" ;;
  1) ended=ended ;;
  *) ended="still running" ;;
esac
echo "     the process after the session end: $ended"
check_eq "run 5: the program ends with the session" ended "${ended%% *}"
check_eq "run 5: every logged second is on disk" yes \
  "$([ "$(line_count "$txt")" -ge "$seen" ] && [ "$seen" -ge 6 ] && echo yes || echo "no: $(line_count "$txt") lines for $seen seconds")"
check_eq "run 5: the lines carry the readings shown" "" "$(bad_lines "$txt" "$stamp 62 62")"
check_eq "run 5: the window state is saved" yes \
  "$(grep -aq '^WindowXY=' "$ini" && grep -aq '^MiniMode=0' "$ini" && grep -aq '^APICID=' "$ini" && grep -aq '^ClockMod=' "$ini" && echo yes || echo no)"

# --- Run 6 -----------------------------------------------------------------
# Wine's scheduler keeps each task as a file under system32\tasks with its
# settings but without its trigger, principal and program (its taskschd
# reads and writes none); korvath-sim.exe keeps the definition it registered
# beside itself (scheduled-task.xml) and reads the program back from there.
# So the settings are checked in Wine's file and the rest in the kept one.
task_file=$WINEPREFIX/drive_c/windows/system32/tasks/Korvath/Korvath
kept_file=$folder/scheduled-task.xml
field() { sed -n "s|.*<$2>\(.*\)</$2>.*|\1|p" "$1" 2>/dev/null | head -1; }
wait_task() {  # wait_task present|absent
  local i
  for i in $(seq 1 40); do
    if [ -f "$task_file" ]; then [ "$1" = present ] && return 0; else [ "$1" = absent ] && return 0; fi
    sleep 0.5
  done
  return 1
}
sim_windows_path=$(wine_path "$folder/korvath-sim.exe")
run_switches() {  # run_switches ARGS...: "exit code|stdout|stderr"
  local code
  (cd "$folder" && "$WINE64" "$folder/korvath-sim.exe" "$@" >"$E2E_TEMP/switch.out" 2>"$E2E_TEMP/switch.err")
  code=$?
  printf '%s|%s|%s' "$code" "$(tr -d '\r' <"$E2E_TEMP/switch.out")" "$(tr -d '\r' <"$E2E_TEMP/switch.err")"
}
rm -f "$txt" "$ini"
check_eq "run 6: /startup on exits with 0 and says nothing" "0||" "$(run_switches /startup on)"
wine_task="$(field "$task_file" ExecutionTimeLimit) $(field "$task_file" DisallowStartIfOnBatteries)"
wine_task+=" $(field "$task_file" StopIfGoingOnBatteries)"
check_eq "run 6: Wine's scheduler keeps the task: no time limit, started and kept on battery" "PT0S false false" \
  "$wine_task"
user=$(field "$kept_file" UserId)
kept="$(field "$kept_file" Command)|$(field "$kept_file" WorkingDirectory)|$(field "$kept_file" RunLevel)"
kept+="|$(grep -o '<LogonTrigger>' "$kept_file" | tr -d '<>') $(field "$kept_file" Delay)|$(field "$kept_file" LogonType)"
check_eq "run 6: the task starts korvath-sim.exe from its folder at logon, with the highest rights" \
  "$sim_windows_path|${sim_windows_path%\\*}|HighestAvailable|LogonTrigger PT15S|InteractiveToken" "$kept"
check_eq "run 6: for the user who asked" yes "$([[ "$user" == *\\* ]] && echo yes || echo "no: $user")"
check_eq "run 6: a wrong switch exits with 2 and one line on stderr" \
  '2||korvath-sim.exe: unknown command line "/startup maybe"; korvath-sim.exe /? lists the switches' \
  "$(run_switches /startup maybe)"
check_eq "run 6: /? lists the switches" "0|Usage: korvath-sim.exe [/startup on|off | /?]" \
  "$(run_switches "/?" | head -1)"
check_eq "run 6: /startup off exits with 0 and removes the task" "0|| absent" \
  "$(run_switches /startup off) $([ -f "$task_file" ] && echo present || echo absent)"
check_eq "run 6: no switch wrote a log or settings" "no no" \
  "$([ -e "$txt" ] && echo yes || echo no) $([ -e "$ini" ] && echo yes || echo no)"

# Minimised to the tray: hidden, with one icon.
cp sim/machines/e8400.ini "$folder/simulated-machine.ini"
printf '[Korvath]\r\nLogFile=1\r\nLogInterval=1\r\nHDWrite=1\r\nStartMinimized=1\r\nTaskBar=0\r\nIconShow=1\r\nWindowXY=%s\r\n' "$away" >"$ini"
cd "$folder"
pid=$(wine_launch "$folder/korvath-sim.exe") || { check_eq "run 6: started" yes no; e2e_finish; exit; }
cd "$E2E_ROOT"
window=
for i in $(seq 1 80); do
  window=$(probe list --all "$pid" | sed -n 's/^window \(0x[0-9A-Fa-f]*\) .* class "#32770" .*/\1/p' | head -1)
  [ -n "$window" ] && [ "$(tray_icons | wc -l)" -ge 1 ] && break
  sleep 0.5
done
check_eq "run 6: minimised to the tray" "1 0" "$(tray_icons | wc -l) $(visible)"

# "Start with Windows" is the ninth item of the tray menu, after "History...".
toggle_startup() {
  if open_tray_menu "$window" "$pid" >/dev/null; then
    for i in 1 2 3 4 5 6 7 8 9; do probe key "$window" Down >/dev/null; done
    probe key "$window" Enter >/dev/null
  fi
}
toggle_startup
check_eq "run 6: the tray item adds the task for this copy" "present $sim_windows_path" \
  "$(wait_task present && echo present || echo absent) $(field "$kept_file" Command)"
toggle_startup
check_eq "run 6: the tray item again removes it" absent "$(wait_task absent && echo absent || echo present)"

# "Hottest core", the tenth item, adds the hottest core's icon beside core 0's.
if open_tray_menu "$window" "$pid" >/dev/null; then
  for i in $(seq 1 10); do probe key "$window" Down >/dev/null; done
  probe key "$window" Enter >/dev/null
fi
for i in $(seq 1 20); do [ "$(tray_icons | wc -l)" -ge 2 ] && break; sleep 0.5; done
check_eq "run 6: the tray item adds the hottest core's icon" 2 "$(tray_icons | wc -l)"

# A second start from another folder: the first's window comes back, the
# second ends with 0 within 5 seconds and writes no log where it started.
mkdir -p "$E2E_TEMP/second"
lines_before=$(line_count "$txt")
second=$(cd "$E2E_TEMP/second" && wine_launch "$folder/korvath-sim.exe")
check_eq "run 6: a second start ends with 0 within 5 seconds" 0 "$(wait_exit "$second" 5)"
check_eq "run 6: and brings the first's window out of the tray" yes "$(wait_visible 1 && echo yes || echo no)"
check_eq "run 6: restored" "Korvath 2.90" \
  "$(probe list --all "$pid" | grep "^window $window " | sed 's/.* caption "\([^"]*\)" .*/\1/')"
wait_lines "$txt" $((lines_before + 2)) 10
check_eq "run 6: one log, the first's, still written" "no yes" \
  "$([ -e "$E2E_TEMP/second/KorvathLog.txt" ] && echo yes || echo no) $([ "$(line_count "$txt")" -ge $((lines_before + 2)) ] && echo yes || echo no)"
probe key "$window" Esc >/dev/null
check_eq "run 6: Esc ends the first with 0" 0 "$(wait_exit "$pid" 30)"
check_eq "run 6: the hottest core's icon is saved with core 0's" "IconShow=33" \
  "$(grep -a '^IconShow=' "$ini" | tr -d '\r')"

# Another session's Korvath holds the machine-wide mutex.
"$WINE64" "$E2E_PROBE" hold-mutex 'Global\Korvath-sim.MachineInstance' 20 >"$E2E_TEMP/held" 2>&1 &
holder=$!
for i in $(seq 1 40); do grep -q held "$E2E_TEMP/held" && break; sleep 0.25; done
rm -f "$txt"
cd "$folder"
other=$(wine_launch "$folder/korvath-sim.exe")
cd "$E2E_ROOT"
if wait_window Korvath-sim 20 "$other" >/dev/null; then
  check_eq "run 6: another session's Korvath is told apart" \
    "Korvath-sim|Korvath is already running in another session" "$(read_message_box Korvath-sim)"
  probe key Korvath-sim Enter >/dev/null
else
  check_eq "run 6: another session's Korvath is told apart" shown "none; windows: $(probe list --all "$other")"
fi
check_eq "run 6: and the start ends with 0, writing no log" "0 no" \
  "$(wait_exit "$other" 20) $([ -e "$txt" ] && echo yes || echo no)"
wait "$holder" 2>/dev/null

e2e_finish
