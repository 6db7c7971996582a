#!/usr/bin/env bash
# korvath-sim.exe under Wine and Xvfb: the Settings dialog opened from the
# main window's button beside it, live changes showing in the main window at
# the next cycle, Enter validating the focused edit, OK writing exactly the
# dialog's keys in their order, Cancel and Esc putting the opening state
# back (Esc from an edit too) but not a tray check ("Hottest core tray
# icon"), the colour picker owned by the dialog, "Start
# with Windows" showing the scheduler's task and changing it on OK only;
# then mini mode entered and left by double-clicks (client area read
# back) and the anchor set with Shift + right double-click. Screenshots of
# the main window, the dialog and mini mode go to build/e2e-artifacts.
set -uo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh
source tests/e2e/lib-nvapi.sh

sim=build/win64/src/app/korvath-sim.exe
e2e_begin "$sim"
artifacts=$E2E_ROOT/build/e2e-artifacts
mkdir -p "$artifacts"
# Without a GPU the file gets no IconTextColor4.
remove_nvapi_double

folder=$E2E_TEMP/settings
mkdir -p "$folder"
cp "$sim" "$folder/"
cp sim/machines/e8400.ini "$folder/simulated-machine.ini"
settings=$folder/korvath-sim.ini
# "Start with Windows": Wine's scheduler keeps the task as a file in the
# prefix with its settings but without its program, trigger or principal;
# korvath-sim.exe keeps the definition it registered beside itself and
# reads the program back from there.
task_file=$WINEPREFIX/drive_c/windows/system32/tasks/Korvath/Korvath
task_state() {
  if [ -f "$task_file" ]; then echo "present $(sed -n 's|.*<Command>\(.*\)</Command>.*|\1|p' "$folder/scheduled-task.xml")"
  else echo absent; fi
}
"$WINE64" "$folder/korvath-sim.exe" /startup off >/dev/null 2>&1

# wait_text WINDOW ID EXPECTED SECONDS: polls a control until it reads
# EXPECTED, then prints what it read last.
wait_text() {
  local text= i
  for i in $(seq 1 $(($4 * 2))); do
    text=$(probe text "$1" "$2" 2>/dev/null)
    [ "$text" = "$3" ] && break
    sleep 0.5
  done
  printf '%s' "$text"
}

# WINDOW below is a caption or the 0x handle the probe printed.
window_line() {  # window_line WINDOW: what identifies its line in "probe list"
  case $1 in
    0x*) echo "window $1 " ;;
    *) echo "caption \"$1\" rect" ;;
  esac
}

# control_state PID WINDOW ID: "enabled 1" or "enabled 0" of one control.
control_state() {
  probe list "$1" | awk -v window="$(window_line "$2")" -v id="$3" '
    /^window / { mine = index($0, window) > 0 }
    mine && $1 == "control" && $2 == id { for (i = 1; i < NF; i++) if ($i == "enabled") print "enabled " $(i + 1); exit }'
}

wait_enabled() {  # wait_enabled PID CAPTION ID
  local i
  for i in $(seq 1 20); do
    [ "$(control_state "$@")" = "enabled 1" ] && return 0
    sleep 0.5
  done
  return 1
}

window_rect() {  # window_rect PID WINDOW: left top right bottom
  probe list "$1" | awk -v window="$(window_line "$2")" '
    /^window / && index($0, window) { sub(/.* rect /, ""); print $1, $2, $3, $4; exit }'
}

wait_rect() {  # wait_rect PID WINDOW "L T R B" SECONDS: prints the last rectangle read
  local rect= i
  for i in $(seq 1 $(($4 * 2))); do
    rect=$(window_rect "$1" "$2")
    [ "$rect" = "$3" ] && break
    sleep 0.5
  done
  printf '%s' "$rect"
}

wait_client() {  # wait_client CAPTION "W H" SECONDS: prints the last size read
  local size= i
  for i in $(seq 1 $(($3 * 2))); do
    size=$(probe client "$1" 2>/dev/null)
    [ "$size" = "$2" ] && break
    sleep 0.5
  done
  printf '%s' "$size"
}

# The probe's handles are Wine's, not X's: find the X window by its title.
shoot() {  # shoot TITLE FILE
  local xid
  xid=$(timeout 10 xdotool search --name "$1" 2>/dev/null | head -1)
  if [ -n "$xid" ]; then timeout 20 import -window "$xid" "$artifacts/$2" 2>/dev/null || true
  else timeout 20 import -window root "$artifacts/$2" 2>/dev/null || true; fi
}

# The dialog's keys in the order OK writes them, for the two E8400 cores,
# after TjMax0 150 (120), Log File on with 7 seconds (8) and Excel .CSV on.
expected_file() {
  cat <<EOF
[Korvath]
IconTextColor0=0xFFFFFF
Idle0=0.0
TjMax0=120
IconTextColor1=0xFFFFFF
Idle1=0.0
TjMax1=100
IconShow=$1
FontNumber=0
StartMinimized=0
TaskBar=$2
OnTop=0
TrayInfo=0
LogFile=1
LogInterval=8
Alarm=0
Alarm1=100
Alarm2=0
CSV=1
AlarmFile=
GUIColor=0xF4F3EE
GUIMiniColor=0xF4F3EE
GUIText=0x000000
GUIMiniText=0x000000
CustomGUI=0
CustomGUIMini=0
EOF
}

# The pointer stays off the windows: a rest over them would show reports.
timeout 5 xdotool mousemove 1279 1023 >/dev/null 2>&1 || true

# From the folder, where the log file goes.
pid=$(cd "$folder" && wine_launch "$folder/korvath-sim.exe") || { check_eq started yes no; e2e_finish; exit; }
# Once resized, the window is titled "Korvath 2.90": it is known by its handle.
if ! main=$(wait_window Korvath 30 "$pid"); then
  check_eq "main window" shown "none; windows: $(probe list --all "$pid")"
  probe kill "$pid" >/dev/null 2>&1
  e2e_finish
  exit
fi
check_eq "main window: core 0 at TjMax 100" 62 "$(wait_text "$main" "$IDC_TEMPERATURE0" 62 20)"
shoot '^Korvath' settings-main-window.png

# OK: live changes, Enter in an edit, then the file.
probe click "$main" "$IDC_SETTINGS" >/dev/null
if wait_window Settings 20 "$pid" >/dev/null; then
  check_eq "Settings button greyed while the dialog runs" "enabled 0" "$(control_state "$pid" "$main" "$IDC_SETTINGS")"
  read -r _ main_top main_right _ <<<"$(window_rect "$pid" "$main")"
  read -r dialog_left dialog_top _ <<<"$(window_rect "$pid" Settings)"
  check_eq "dialog to the right of the main window" "$main_right $main_top" "$dialog_left $dialog_top"
  shoot '^Settings$' settings-dialog.png

  probe click Settings "$IDC_SET_TJ_MAX" >/dev/null  # Set TJ Max enables the TjMax edits
  wait_enabled "$pid" Settings "$IDC_TJ_MAX0" || check_eq "Set TJ Max enables IDC_TJ_MAX0" "enabled 1" "$(control_state "$pid" Settings "$IDC_TJ_MAX0")"
  probe focus Settings "$IDC_TJ_MAX0" >/dev/null
  probe set-text Settings "$IDC_TJ_MAX0" 150 >/dev/null
  probe focus Settings 1 >/dev/null  # leaving the edit validates it
  check_eq "TjMax 150 becomes 120" 120 "$(wait_text Settings "$IDC_TJ_MAX0" 120 10)"
  check_eq "main window at TjMax 120 by the next cycle" 82 "$(wait_text "$main" "$IDC_TEMPERATURE0" 82 10)"
  check_eq "Apply enabled by typing" "enabled 1" "$(control_state "$pid" Settings "$IDC_APPLY")"

  probe click Settings "$IDC_LOG_FILE" >/dev/null  # Log File on enables the interval
  wait_enabled "$pid" Settings "$IDC_LOG_SECONDS" || check_eq "Log File enables IDC_LOG_SECONDS" "enabled 1" "$(control_state "$pid" Settings "$IDC_LOG_SECONDS")"
  probe focus Settings "$IDC_LOG_SECONDS" >/dev/null
  probe set-text Settings "$IDC_LOG_SECONDS" 7 >/dev/null
  probe key Settings Enter >/dev/null
  check_eq "Enter in the interval edit: 7 becomes 8" 8 "$(wait_text Settings "$IDC_LOG_SECONDS" 8 10)"
  check_eq "Enter in an edit leaves the dialog open" 1 "$(probe list "$pid" | grep -c 'caption "Settings"')"
  probe click Settings "$IDC_EXCEL_CSV_FORMAT" >/dev/null  # Excel .CSV Format
  check_eq "CSV ticked" 1 "$(probe check Settings "$IDC_EXCEL_CSV_FORMAT")"
  check_eq "Start with Windows clear without the task" 0 "$(probe check Settings "$IDC_START_WITH_WINDOWS")"
  probe click Settings "$IDC_START_WITH_WINDOWS" >/dev/null
  check_eq "Start with Windows waits for OK" absent "$(task_state)"

  probe click Settings 1 >/dev/null
  probe wait-closed Settings 20 || check_eq "OK closes the dialog" closed open
  icon_show=$(sed -n 's/^IconShow=//p' "$settings" | tr -d '\r')
  task_bar=$(sed -n 's/^TaskBar=//p' "$settings" | tr -d '\r')
  # The tray decides these two: an icon shown keeps IconShow 1 and TaskBar 0.
  check_eq "tray state after OK" "1 0" "$icon_show $task_bar"
  check_eq "OK writes the dialog's keys in order" "$(expected_file 1 0)" "$(tr -d '\r' <"$settings")"
  check_eq "Settings button enabled again" "enabled 1" "$(control_state "$pid" "$main" "$IDC_SETTINGS")"
  check_eq "OK adds the task for this copy" "present $(wine_path "$folder/korvath-sim.exe")" "$(task_state)"
else
  check_eq "Settings dialog" shown "none; windows: $(probe list --all "$pid")"
fi
cp "$settings" "$E2E_TEMP/after-ok.ini" 2>/dev/null

# Cancel: a live TjMax change and Log File off go back; the file stays.
probe click "$main" "$IDC_SETTINGS" >/dev/null
if wait_window Settings 20 "$pid" >/dev/null; then
  check_eq "TjMax kept from the OK" 120 "$(probe text Settings "$IDC_TJ_MAX0")"
  check_eq "Start with Windows read from the task" 1 "$(probe check Settings "$IDC_START_WITH_WINDOWS")"
  probe click Settings "$IDC_START_WITH_WINDOWS" >/dev/null
  probe click Settings "$IDC_SET_TJ_MAX" >/dev/null
  wait_enabled "$pid" Settings "$IDC_TJ_MAX0" || true
  probe focus Settings "$IDC_TJ_MAX0" >/dev/null
  probe set-text Settings "$IDC_TJ_MAX0" 90 >/dev/null
  probe focus Settings 1 >/dev/null
  check_eq "main window at TjMax 90 by the next cycle" 52 "$(wait_text "$main" "$IDC_TEMPERATURE0" 52 10)"
  probe click Settings "$IDC_LOG_FILE" >/dev/null
  check_eq "Hottest core tray icon clear" 0 "$(probe check Settings "$IDC_HOTTEST_DISPLAY")"
  probe click Settings "$IDC_HOTTEST_DISPLAY" >/dev/null  # a tray check: at once, and Cancel keeps it
  probe click Settings 2 >/dev/null
  probe wait-closed Settings 20 || check_eq "Cancel closes the dialog" closed open
  check_eq "Cancel: main window back at TjMax 120" 82 "$(wait_text "$main" "$IDC_TEMPERATURE0" 82 10)"
  check_eq "Cancel writes nothing" same "$(cmp -s "$settings" "$E2E_TEMP/after-ok.ini" && echo same || echo changed)"
  check_eq "Cancel keeps the task" "present $(wine_path "$folder/korvath-sim.exe")" "$(task_state)"
else
  check_eq "Settings dialog again" shown "none; windows: $(probe list --all "$pid")"
fi

# Opened once more, the dialog shows what Cancel put back. A tray colour
# picker belongs to it and blocks it. Esc with the focus in an idle edit
# cancels, and the edit's lose-focus that ending the dialog brings applies
# nothing.
probe click "$main" "$IDC_SETTINGS" >/dev/null
if dialog=$(wait_window Settings 20 "$pid"); then
  check_eq "after Cancel: Log File still on, TjMax 120, the hottest core's icon kept" "1 120 1" \
    "$(probe check Settings "$IDC_LOG_FILE") $(probe text Settings "$IDC_TJ_MAX0") $(probe check Settings "$IDC_HOTTEST_DISPLAY")"
  probe click Settings "$IDC_CORE_COLOR0" >/dev/null
  if colour=$(wait_window Color 20 "$pid"); then
    check_eq "colour picker owned by Settings, which takes no input" "$dialog caption \"Settings\" enabled 0" \
      "$(probe owner "$colour")"
    probe click "$colour" 2 >/dev/null
    probe wait-closed "$colour" 20 || check_eq "colour picker closed" closed open
  else
    check_eq "colour picker" shown "none; windows: $(probe list --all "$pid")"
  fi
  wait_enabled "$pid" Settings "$IDC_IDLE_CALIBRATION0" || true
  probe focus Settings "$IDC_IDLE_CALIBRATION0" >/dev/null
  probe set-text Settings "$IDC_IDLE_CALIBRATION0" 25 >/dev/null
  probe key Settings Esc >/dev/null
  probe wait-closed Settings 20 || check_eq "Esc closes the dialog" closed open
  sleep 2.5  # two monitor cycles
  check_eq "Esc in the idle edit: core 0 still at 82" 82 "$(probe text "$main" "$IDC_TEMPERATURE0")"
fi

shifted() {  # shifted "L T R B" DX DY
  local l t r b
  read -r l t r b <<<"$1"
  echo "$((l + $2)) $((t + $3)) $((r + $2)) $((b + $3))"
}

# Dragging by the client area, then mini mode: a double-click enters, the
# mini window dragged 100 pixels right takes the full window along when a
# second double-click leaves.
rect=$(window_rect "$pid" "$main")
probe drag "$main" 150 150 190 170 >/dev/null
check_eq "dragged by the client area" "$(shifted "$rect" 40 20)" "$(wait_rect "$pid" "$main" "$(shifted "$rect" 40 20)" 10)"
full_client=$(probe client "$main")
full_rect=$(window_rect "$pid" "$main")
probe double-click "$main" 150 150 >/dev/null
check_eq "mini mode: client area" "312 118" "$(wait_client "$main" "312 118" 10)"
shoot '^Korvath' settings-mini-mode.png
mini_rect=$(window_rect "$pid" "$main")
probe drag "$main" 50 50 150 50 >/dev/null
check_eq "mini window dragged" "$(shifted "$mini_rect" 100 0)" "$(wait_rect "$pid" "$main" "$(shifted "$mini_rect" 100 0)" 10)"
probe double-click "$main" 20 20 >/dev/null
check_eq "leaving mini mode: client area" "$full_client" "$(wait_client "$main" "$full_client" 10)"
check_eq "leaving mini mode: the full window 100 pixels right" "$(shifted "$full_rect" 100 0)" \
  "$(wait_rect "$pid" "$main" "$(shifted "$full_rect" 100 0)" 10)"

# Shift + right double-click sets the anchor at the window's corner; a
# plain right double-click brings the window back there.
read -r left top _ <<<"$(window_rect "$pid" "$main")"
probe double-click "$main" 20 20 right shift >/dev/null
if wait_window "Anchor Position" 10 "$pid" >/dev/null; then
  check_eq "anchor box" "Anchor Position|Previous Position\n( 0, 0 )\n\nNew Position\n( $left, $top )\n" \
    "$(read_message_box "Anchor Position")"
  probe key "Anchor Position" Enter >/dev/null
  probe wait-closed "Anchor Position" 10 || true
else
  check_eq "anchor box" shown none
fi
anchored=$(window_rect "$pid" "$main")
probe drag "$main" 150 150 100 180 >/dev/null
wait_rect "$pid" "$main" "$(shifted "$anchored" -50 30)" 10 >/dev/null
probe double-click "$main" 20 20 right >/dev/null
check_eq "right double-click goes to the anchor" "$anchored" "$(wait_rect "$pid" "$main" "$anchored" 10)"

probe key "$main" Esc >/dev/null
check_eq "Esc ends the program with 0" 0 "$(wait_exit "$pid" 30)"
check_eq "window state written after the dialog's keys" "MiniMode=0 AnchorXY=$(( (top + 8192) * 65536 + left + 8192 ))" \
  "$(grep -E '^MiniMode=' "$settings" | tr -d '\r') $(grep -E '^AnchorXY=' "$settings" | tr -d '\r')"
check_eq "the hottest core's icon saved at exit" "IconShow=33" "$(grep -E '^IconShow=' "$settings" | tr -d '\r')"

# The prefix is shared with the other scripts: the task goes.
"$WINE64" "$folder/korvath-sim.exe" /startup off >/dev/null 2>&1
check_eq "the task removed at the end" absent "$(task_state)"

e2e_finish
