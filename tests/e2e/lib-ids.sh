# The control ids the end-to-end scripts use, by the names the code gives
# them. Sourced by lib-wine.sh (and by korvath-sim.sh, which runs no Wine).
#
# Every "#define NAME number" of src/resources/resource.h becomes a shell
# variable of that name ($IDC_TEMPERATURE0, $IDM_ABOUT ...), read at run time
# so that the scripts cannot drift from the header. The scripts run under
# `set -u`: a name the header no longer defines stops them rather than
# reading as an empty id.

e2e_resource_header=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/src/resources/resource.h
if [ ! -r "$e2e_resource_header" ]; then
  echo "lib-ids.sh: cannot read $e2e_resource_header" >&2
  exit 1
fi
e2e_resource_ids=0
while read -r directive name value _; do
  [ "$directive" = "#define" ] || continue
  value=${value%$'\r'}
  case $value in
    0x*) [[ $value =~ ^0x[0-9A-Fa-f]+$ ]] || continue ;;
    *) [[ $value =~ ^[0-9]+$ ]] || continue; value=10#$value ;;
  esac
  declare -g "$name=$((value))"
  e2e_resource_ids=$((e2e_resource_ids + 1))
done <"$e2e_resource_header"
if [ "$e2e_resource_ids" -eq 0 ]; then
  echo "lib-ids.sh: no \"#define NAME number\" line in $e2e_resource_header" >&2
  exit 1
fi

# The main window's controls made at run time, once the cores are known; the
# rules are the code's in src/monitor/ExtraCoreControls.h (ExtraCoreControlId,
# PackageControlId) and src/monitor/MiniCores.h (MiniCellControlId).

# core_temperature_id DISPLAY_CORE: a core's temperature, in its slot's
# control for cores 0-3.
core_temperature_id() {
  if [ "$1" -lt 4 ]; then
    local slot=IDC_TEMPERATURE$1
    echo "${!slot}"
  else
    extra_core_id "$1" temperature
  fi
}

# extra_core_id DISPLAY_CORE FIELD: a control of a core beyond the four
# slots; FIELD names a CoreField, in that enum's order.
extra_core_id() {
  local fields=(temperature distance minimum maximum minimum-time maximum-time thermal-status label) field
  for field in "${!fields[@]}"; do
    [ "${fields[$field]}" = "$2" ] && { echo $((5000 + ${#fields[@]} * $1 + field)); return 0; }
  done
  echo "extra_core_id: no field \"$2\"" >&2
  return 1
}

package_id() { echo $((4900 + $1)); }    # package_id PACKAGE: its temperature
mini_cell_id() { echo $((4960 + $1)); }  # mini_cell_id CELL: mini mode's strip

# The History window's buttons (src/history/HistoryWindow.cpp): one per
# range, from 201 in kHistoryRanges' order, and Save as CSV.
HISTORY_FIRST_RANGE=201
HISTORY_SAVE_CSV=210

# The first tray icon's id (kTrayIconBaseId, src/platform/TrayShell.h).
TRAY_ICON_BASE=4294

# Controls of Windows' own dialogs, by the names of Windows' dlgs.h: the
# open and save boxes' file name combo (cmb13, an edit of the same id inside)
# and their folder combo (cmb2); a message box's text (0xFFFF), and Wine's
# static holding a message box's icon.
FILE_DIALOG_NAME=1148
FILE_DIALOG_FOLDER=1137
MESSAGE_BOX_TEXT=65535
MESSAGE_BOX_ICON=1088
