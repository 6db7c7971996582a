#!/usr/bin/env bash
# Prints every figure of docs/performance.md, each with the command that
# produced it. Needs the native and win64 builds (and win32 for the 32-bit
# size); builds what is missing with -j2.
#   scripts/measure-performance.sh [--no-wine]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
wine=1
[ "${1:-}" = "--no-wine" ] && wine=0

run() {  # run COMMAND...: shows the command, then runs it
  echo "\$ $*"
  "$@"
}

ensure_built() {  # ensure_built PRESET TARGET...
  local preset=$1
  shift
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 --target "$@" >/dev/null || { echo "build of $preset failed" >&2; exit 1; }
}

echo "== host"
echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"

ensure_built native korvath_benchmarks korvath-sim korvath_soak_test
bench=build/native/tests/benchmark/korvath_benchmarks

echo
echo "== CPU time per monitor cycle and of the work kernel (Google Benchmark, CPU column)"
json=$(mktemp)
report_benchmarks() {  # report_benchmarks JSON [NAME SUFFIX]
  python3 - "$@" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
suffix = sys.argv[2] if len(sys.argv) > 2 else ""
for b in data["benchmarks"]:
    name, cpu, unit = b["name"], b["cpu_time"], b["time_unit"]
    line = f"{name}{suffix}: {cpu:.3f} {unit} CPU per iteration"
    if "items_per_second" in b:
        # items are kernel or generator steps, counted against CPU time
        line += f", {1e9 / b['items_per_second']:.3f} ns CPU per step"
    if "allocations/cycle" in b:
        line += f", {b['allocations/cycle']:.1f} heap allocations per cycle"
    print(line)
EOF
}
run "$bench" --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null 2>&1
report_benchmarks "$json"
# The metrics file once more on a RAM disk, without the disk's own cost.
if [ -d /dev/shm ]; then
  TMPDIR=/dev/shm run "$bench" --benchmark_filter=MonitorCycleMetricsFile --benchmark_format=json \
    --benchmark_out="$json" --benchmark_out_format=json >/dev/null 2>&1
  report_benchmarks "$json" " (tmpfs)"
fi
rm -f "$json"

echo
echo "== instructions per monitor cycle (callgrind, only inside Monitor::OnMonitorTimer)"
# Two runs whose difference is 1000 cycles: start-up and the first tick
# cancel out, and what is left does not depend on the machine's load.
instructions() {  # instructions CYCLES [SETTINGS-FILE]
  local out
  out=$(mktemp)
  local settings=()
  [ -n "${2:-}" ] && settings=(--settings "$2")
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect='korvath::Monitor::OnMonitorTimer*' \
    build/native/src/app/korvath-sim --machine sim/machines/e8400.ini "${settings[@]}" --cycles "$1" >/dev/null 2>&1
  sed -n 's/^totals: //p' "$out"
  rm -f "$out"
}
busy=$(mktemp --suffix=.ini)
printf '[Korvath]\nLogFile=1\nLogInterval=1\nHDWrite=10\nAlarm=1\nAlarm1=0\nIconShow=19\n' >"$busy"
for case in default busy; do
  settings=
  [ "$case" = busy ] && settings=$busy
  echo "\$ valgrind --tool=callgrind --toggle-collect='korvath::Monitor::OnMonitorTimer*' build/native/src/app/korvath-sim --machine sim/machines/e8400.ini ${settings:+--settings $settings }--cycles 200 (and 1200)"
  low=$(instructions 200 "$settings")
  high=$(instructions 1200 "$settings")
  echo "$case settings: $(( (high - low) / 1000 )) instructions per cycle"
done
echo "(busy: $(tr '\n' ' ' <"$busy"))"
rm -f "$busy"

echo
echo "== allocations per cycle and heap growth over seven simulated days"
run build/native/tests/soak/korvath_soak_test --cycles 604800 --gtest_brief=1 | grep -E 'cycles;|PASSED|FAILED'

echo
echo "== heap of korvath-sim after 600 and 3600 cycles (valgrind massif, largest mem_heap_B)"
for cycles in 600 3600; do
  out=$(mktemp)
  echo "\$ valgrind --tool=massif build/native/src/app/korvath-sim --machine sim/machines/e8400.ini --cycles $cycles"
  valgrind --tool=massif --massif-out-file="$out" build/native/src/app/korvath-sim --machine sim/machines/e8400.ini \
    --cycles "$cycles" >/dev/null 2>&1
  echo "$cycles cycles: $(sed -n 's/^mem_heap_B=//p' "$out" | sort -n | tail -1) bytes"
  rm -f "$out"
done

echo
echo "== executable sizes (bytes)"
ensure_built win64 korvath korvath-sim-win
[ -f build/win32/CMakeCache.txt ] || cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target korvath korvath-sim-win >/dev/null 2>&1 || echo "(win32 build failed)"
run stat -c '%s %n' build/win64/src/app/korvath.exe build/win64/src/app/korvath-sim.exe \
  build/win32/src/app/korvath32.exe build/win32/src/app/korvath-sim32.exe 2>/dev/null

if [ "$wine" -eq 1 ]; then
  echo
  echo "== the Wine process of korvath-sim.exe after a minute (probe stats, /proc)"
  ensure_built win64 korvath-probe korvath_nvapi_double
  # shellcheck source=/dev/null
  source tests/e2e/lib-wine.sh
  source tests/e2e/lib-nvapi.sh
  e2e_begin
  folder=$E2E_TEMP/minute
  mkdir -p "$folder"
  cp build/win64/src/app/korvath-sim.exe "$folder/"
  cp sim/machines/e8400.ini "$folder/simulated-machine.ini"
  install_nvapi_double
  pid=$(wine_launch "$folder/korvath-sim.exe")
  wait_window Korvath 60 "$pid" >/dev/null
  sleep 60
  echo "\$ korvath-probe stats $pid   (60 s after the window showed)"
  probe stats "$pid"
  unix_pid=$(pgrep -n -f "$(basename "$E2E_TEMP").minute.korvath-sim\.exe")
  echo "\$ grep -E 'VmRSS|VmHWM|RssAnon' /proc/$unix_pid/status"
  grep -E 'VmRSS|VmHWM|RssAnon' "/proc/$unix_pid/status"
  probe key Korvath Esc >/dev/null
  wait_exit "$pid" 30 >/dev/null
  remove_nvapi_double
fi
