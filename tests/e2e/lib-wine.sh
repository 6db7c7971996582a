# Shared by every end-to-end script: source it, call e2e_begin, drive the
# Windows executables with the probe, check, and end with e2e_finish.
#
#   source tests/e2e/lib-wine.sh
#   e2e_begin
#   pid=$(wine_launch "$folder/korvath.exe")
#   wait_window "Driver Error" 20 "$pid"
#   check_eq "box text" "Driver Not Found" "$(probe text "Driver Error" "$MESSAGE_BOX_TEXT")"
#   probe key "Driver Error" Enter
#   check_eq "exit code" 0 "$(wait_exit "$pid" 20)"
#   e2e_finish
#
# Windows paths: wine_path turns a Linux path into the Z: form. Controls go
# by the names of lib-ids.sh ($IDC_TEMPERATURE0 ...). Message boxes are
# ordinary windows: caption, text in the static $MESSAGE_BOX_TEXT, buttons by
# their command id (1 = OK, 2 = Cancel, 6 = Yes, 7 = No), the icon in the
# static $MESSAGE_BOX_ICON (message_box_icon).

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$E2E_ROOT/tests/e2e/lib-ids.sh"
E2E_WIN64=$E2E_ROOT/build/win64
E2E_PROBE=${E2E_PROBE:-$E2E_WIN64/tests/e2e/korvath-probe.exe}
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

export WINEPREFIX=${WINEPREFIX:-$E2E_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

e2e_failures=0
e2e_checks=0
e2e_xvfb_pid=
e2e_temp=

# Starts the display (when there is none), the Wine prefix and a persistent
# wineserver, and a scratch folder in $E2E_TEMP removed at the end.
e2e_begin() {
  trap e2e_cleanup EXIT
  e2e_temp=$(mktemp -d "${TMPDIR:-/tmp}/korvath-e2e.XXXXXX")
  E2E_TEMP=$e2e_temp
  for file in "$E2E_PROBE" "$@"; do
    [ -e "$file" ] || { echo "missing $file: build the win64 preset first" >&2; exit 1; }
  done
  start_display
  if [ ! -d "$WINEPREFIX" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot --init >/dev/null 2>&1
  fi
  "$WINESERVER" -p >/dev/null 2>&1 || true
}

# Xvfb on a free display number of its own choosing, unless one is set.
start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local number_file=$e2e_temp/display
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  e2e_xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  [ -s "$number_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(head -1 "$number_file")
}

e2e_cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ -n "$e2e_xvfb_pid" ]; then
    kill "$e2e_xvfb_pid" 2>/dev/null || true
    wait "$e2e_xvfb_pid" 2>/dev/null || true
  fi
  [ -n "$e2e_temp" ] && rm -rf "$e2e_temp"
}

# /a/b -> Z:\a\b (Wine maps Z: to the Linux root).
wine_path() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}

probe() {
  "$WINE64" "$E2E_PROBE" "$@"
}

# Starts a Windows executable (a Linux path) in the background from the
# current folder and prints its Windows process id. The probe that started
# it stays until it ends, so its exit code stays readable.
wine_launch() {
  local exe=$1
  shift
  local out
  out=$(mktemp "$e2e_temp/launch.XXXXXX")
  "$WINE64" "$E2E_PROBE" run "$(wine_path "$exe")" "$@" >"$out" 2>&1 &
  local i
  for i in $(seq 1 200); do
    if [ -s "$out" ] && head -1 "$out" | grep -q '^[0-9][0-9]*$'; then
      head -1 "$out"
      return 0
    fi
    sleep 0.1
  done
  echo "could not start $exe: $(cat "$out")" >&2
  return 1
}

# wait_window CAPTION SECONDS [PID]: the window handle once it shows.
wait_window() {
  probe wait-window "$@"
}

# wait_exit PID SECONDS: the exit code, or "timeout".
wait_exit() {
  probe wait "$1" "$2" || echo timeout
}

# The caption and text of a message box, as one "caption|text" line with
# the text's line breaks kept as \n.
read_message_box() {
  local caption=$1
  printf '%s|%s' "$caption" "$(probe text "$caption" "$MESSAGE_BOX_TEXT" | sed ':a;N;$!ba;s/\n/\\n/g')"
}

# Which standard icon a message box shows: error, warning, information,
# question or other. Wine's message box holds it in a static of its own.
message_box_icon() {
  probe icon "$1" "$MESSAGE_BOX_ICON"
}

# Saves a picture of the whole display, for a look after a failure.
screenshot() {
  import -window root "$1" 2>/dev/null || true
}

# win32_unit_tests WHAT FILTER [COUNT]: runs the Win32 unit tests that
# FILTER selects on a display of their own (xvfb-run) and fails unless they
# passed, exactly COUNT of them when given. Those tests skip without a
# display; here a skip is a failure. Needs no e2e_begin.
win32_unit_tests() {
  local what=$1 filter=$2 count=${3:-}
  local exe=$E2E_WIN64/tests/unit/korvath_win32_tests.exe
  if [ ! -f "$exe" ]; then
    echo "the Win32 unit tests are not built: $exe" >&2
    return 1
  fi
  local out rc=0
  out=$(mktemp "${TMPDIR:-/tmp}/korvath-win32-tests.XXXXXX")
  # The prefix's wineserver is waited for inside the X session, so that no
  # Wine process outlives the display it was using.
  timeout 300 xvfb-run -a bash -c '
    "$1/tests/wine-run.sh" "$2" --gtest_filter="$3"
    rc=$?
    /usr/lib/wine/wineserver -w
    exit $rc' _ "$E2E_ROOT" "$exe" "$filter" >"$out" 2>&1 || rc=$?
  cat "$out"
  local verdict=
  if [ "$rc" -ne 0 ]; then
    verdict="$what tests exited with $rc"
  elif grep -q '^\[  SKIPPED \]' "$out"; then
    verdict="$what tests were skipped: Xvfb gave Wine no display"
  elif [ -n "$count" ] && ! grep -qE "^\[  PASSED  \] $count tests?\." "$out"; then
    verdict="not exactly $count $what tests passed"
  elif ! grep -q '^\[  PASSED  \]' "$out"; then
    verdict="the $what tests did not pass"
  fi
  rm -f "$out"
  [ -z "$verdict" ] && return 0
  echo "FAIL: $verdict" >&2
  return 1
}

check_eq() {
  local name=$1 expected=$2 actual=$3
  e2e_checks=$((e2e_checks + 1))
  if [ "$expected" = "$actual" ]; then
    echo "ok   $name"
  else
    e2e_failures=$((e2e_failures + 1))
    echo "FAIL $name"
    echo "       expected: $expected"
    echo "       actual:   $actual"
  fi
}

e2e_finish() {
  echo "$((e2e_checks - e2e_failures)) of $e2e_checks checks passed"
  [ "$e2e_failures" -eq 0 ]
}
