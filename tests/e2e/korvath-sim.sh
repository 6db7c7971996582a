#!/usr/bin/env bash
# Runs the native korvath-sim on every machine under sim/machines/ and checks
# the JSON lines it prints: the start-up result per machine, the cycles and
# their control texts, and the usage errors. Run from the repository root.
set -euo pipefail
source "$(dirname "$0")/lib-ids.sh"
# The Python checks below find the controls in the JSON by these names.
export "${!IDC_@}"

sim=build/native/src/app/korvath-sim
if [ ! -x "$sim" ]; then
  echo "korvath-sim is not built: $sim" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Usage errors: message on stderr, nothing on stdout, exit code 2.
expect_usage_error() {
  local what=$1
  shift
  local rc=0
  "$sim" "$@" >"$work/out" 2>"$work/err" || rc=$?
  [ "$rc" -eq 2 ] || fail "$what: exit code $rc, expected 2"
  [ -s "$work/err" ] || fail "$what: no message on stderr"
  [ ! -s "$work/out" ] || fail "$what: printed on stdout"
}
expect_usage_error "unknown option" --machine sim/machines/e8400.ini --bogus
expect_usage_error "no machine" --cycles 1
expect_usage_error "missing machine file" --machine "$work/none.ini"
expect_usage_error "directory as machine file" --machine sim/machines
expect_usage_error "unreadable settings" --machine sim/machines/e8400.ini --settings "$work/none.ini"
expect_usage_error "bad cycle count" --machine sim/machines/e8400.ini --cycles -1
printf '[cpuid]\n0x1 = 1 2\n' >"$work/broken.ini"
expect_usage_error "malformed machine file" --machine "$work/broken.ini"

# Every machine file must have an expectation here, so a new one is checked too.
# The processors after Core i7 report TjMax in MSR 0x1A2, are named from
# their brand strings and show their clock from 0xCE's ratio and the counters.
# "packages" is the package sensor's reading per cycle (null without one).
cat >"$work/expected.py" <<'JSON'
{
  "e8400":     {"modelNumber": "E8400",       "signatureText": "1067A", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 2, 0, 0],    "temperature": ["62", "62", "", ""], "clock": ["3000.00 MHz", "333.33 x 9.0", "Load   0.0%"], "cores": [" 0 0", " 0 1"]},
  "e8400-living": {"modelNumber": "E8400",    "signatureText": "1067A", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 2, 0, 0],    "temperature": ["52", "49", "", ""], "clock": ["3000.00 MHz", "333.33 x 9.0", "Load  30.0%"]},
  "q9550":     {"modelNumber": "Quad Q9550",  "signatureText": "1067A", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 2, 4, 8],    "temperature": ["55", "56", "53", "57"], "clock": ["2666.35 MHz", "333.29 x 8.0", "Load  37.5%"]},
  "t9300":     {"modelNumber": "T9300",       "signatureText": "10676", "tjMax": [105, 105, 105, 105], "coreSlotMask": [1, 2, 0, 0],    "temperature": ["50", "53", "", ""], "status": ["OK", "LOG", "", ""], "clock": ["2400.00 MHz", "200.00 x 12.0", "Load   0.0%"]},
  "n270":      {"modelNumber": "Atom N270",   "signatureText": "106C2", "tjMax": [90, 90, 90, 90],     "coreSlotMask": [1, 0, 0, 0],    "temperature": ["50", "", "", ""], "clock": ["1600.00 MHz", "133.33 x 12.0", "Load   0.0%"]},
  "e5472":     {"modelNumber": "Xeon E5472",  "signatureText": "10676", "tjMax": [90, 90, 90, 90],     "coreSlotMask": [1, 2, 4, 8],    "temperature": ["40", "41", "39", "42"], "clock": ["3000.00 MHz", "333.33 x 9.0", "Load   0.0%"]},
  "i7-920":    {"modelNumber": "Core i7 920", "signatureText": "106A5", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 4, 16, 64],  "temperature": ["40", "42", "39", "43"], "clock": ["2933.70 MHz", "133.35 x 22.0", "Load  30.0%"]},
  "i7-8700k":  {"modelNumber": "i7-8700K",        "signatureText": "906EA", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 4, 16, 64], "temperature": ["45", "48", "42", "50"], "clock": ["800.00 MHz", "100.00 x 8.0", "Load  10.0%"]},
  "i9-12900k": {"modelNumber": "i9-12900K",       "signatureText": "90672", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 4, 16, 64], "temperature": ["40", "43", "39", "45"], "clock": ["800.00 MHz", "100.00 x 8.0", "Load   5.0%"], "packages": [{"temperature": 47}], "load": "Load   5.0%",
                "allCores": ([40, 43, 39, 45, 42, 38, 44, 41, 35, 33, 31, 34, 30, 32, 29, 28], "PPPPPPPPEEEEEEEE", 3),
                "cores": ["P 0 0,1", "P 0 2,3", "P 0 4,5", "P 0 6,7", "P 0 8,9", "P 0 10,11", "P 0 12,13", "P 0 14,15", "E 0 16", "E 0 17", "E 0 18", "E 0 19", "E 0 20", "E 0 21", "E 0 22", "E 0 23"]},
  "ultra7-155h": {"modelNumber": "155H",          "signatureText": "A06A4", "tjMax": [110, 110, 110, 110], "coreSlotMask": [4, 8, 16, 32], "temperature": ["44", "44", "44", "43"], "clock": ["2995.20 MHz", "99.84 x 30.0", "Load   5.0%"], "packages": [{"temperature": 51}], "load": "Load   5.0%",
                "allCores": ([44, 44, 44, 43, 45, 45, 46, 46, 47, 46, 44, 48, 45, 49, 38, 39], "EEEEEEEEPPPPPPLL", 13),
                "cores": ["E 0 2", "E 0 3", "E 0 4", "E 0 5", "E 0 6", "E 0 7", "E 0 8", "E 0 9", "P 0 10,11", "P 0 12,13", "P 0 0,1", "P 0 14,15", "P 0 16,17", "P 0 18,19", "LP-E 0 20", "LP-E 0 21"]},
  "xeon-6154-2s": {"modelNumber": "Xeon 6154",    "signatureText": "50654", "tjMax": [104, 104, 104, 104], "coreSlotMask": [1, 4, 16, 64], "temperature": ["68", "66", "67", "65"], "clock": ["3000.00 MHz", "100.00 x 30.0", "Load  10.0%"], "packages": [{"temperature": 69}, {"temperature": 65}], "load": "Load  10.0%",
                "allCores": ([68, 66, 67, 65, 67, 66, 64, 67, 68, 65, 66, 63, 67, 68, 66, 64, 65, 67, 64, 62, 63, 61, 64, 60, 62, 63, 61, 64, 62, 59, 63, 64, 61, 62, 60, 63], "", 0),
                "cores": [f" {n // 18} {2 * n},{2 * n + 1}" for n in range(36)]},
  "xeon-6130-2s": {"modelNumber": "Xeon 6130",    "signatureText": "50654", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 4, 16, 64], "temperature": ["48", "41", "34", "43"], "clock": ["2100.00 MHz", "100.00 x 21.0", "Load  10.0%"], "packages": [{"temperature": 49}, {"temperature": 65}], "load": "Load  10.0%",
                "allCores": ([48, 41, 34, 43, 36, 45, 38, 47, 40, 33, 42, 35, 44, 37, 46, 39, 64, 59, 54, 49, 60, 55, 50, 61, 56, 51, 62, 57, 52, 63, 58, 53], "", 16),
                "cores": [f" {n // 16} {2 * n},{2 * n + 1}" for n in range(32)]},
  "e5-2680v4": {"modelNumber": "Xeon E5-2680 v4", "signatureText": "406F1", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 4, 16, 64], "temperature": ["35", "37", "34", "38"], "clock": ["2400.00 MHz", "100.00 x 24.0", "Load   0.0%"]},
  "n100":      {"modelNumber": "N100",            "signatureText": "B06E0", "tjMax": [105, 105, 105, 105], "coreSlotMask": [1, 2, 4, 8],    "temperature": ["45", "46", "47", "48"], "clock": ["800.00 MHz", "100.00 x 8.0", "Load   0.0%"], "packages": [{"temperature": 49}]},
  "i7-920-ht-off": {"modelNumber": "Core i7 920", "signatureText": "106A5", "tjMax": [100, 100, 100, 100], "coreSlotMask": [1, 2, 4, 8], "temperature": ["40", "42", "39", "43"], "clock": ["2933.70 MHz", "133.35 x 22.0", "Load  30.0%"]},
  "pentium-d": {"fatal": {"caption": "Error", "text": "The processor detected is not supported.\n\nGenuineIntel\n\n\n", "exitCode": 0}}
}
JSON

cycles=3
for machine in sim/machines/*.ini; do
  name=$(basename "$machine" .ini)
  rc=0
  "$sim" --machine "$machine" --cycles "$cycles" >"$work/$name.jsonl" 2>"$work/$name.err" || rc=$?
  [ "$rc" -eq 0 ] || fail "$name: exit code $rc: $(cat "$work/$name.err")"
  python3 - "$work/expected.py" "$name" "$work/$name.jsonl" "$cycles" <<'PY' || fail "$name: output differs"
import json, os, sys
ids = os.environ
expected_all, name, path, cycles = eval(open(sys.argv[1]).read()), sys.argv[2], sys.argv[3], int(sys.argv[4])
if name not in expected_all:
    sys.exit(f"{name}: no expectation in korvath-sim.sh")
expected = expected_all[name]
lines = [json.loads(line) for line in open(path, encoding="utf-8")]
problems = []
def check(what, got, want):
    if got != want:
        problems.append(f"{what}: got {got!r}, want {want!r}")
first = lines[0]
if "fatal" in expected:
    check("line count", len(lines), 1)
    check("type", first.get("type"), "fatal")
    for key, value in expected["fatal"].items():
        check(key, first.get(key), value)
else:
    check("line count", len(lines), 2 + cycles)
    check("shutdown", lines[-1].get("type"), "shutdown")
    check("icons left alive", lines[-1].get("liveIcons"), 0)
    check("type", first.get("type"), "startup")
    for key in ("modelNumber", "signatureText", "tjMax", "coreSlotMask"):
        check(key, first.get(key), expected[key])
    check("tjMaxDetected", first.get("tjMaxDetected"), expected["tjMax"])
    # Every physical core in display order: "type package processors".
    if "cores" in expected:
        cores = [f"{c['type']} {c['package']} " + ",".join(map(str, c["processors"])) for c in first.get("cores", [])]
        check("cores", cores, expected["cores"])
    temperature_ids = [ids[f"IDC_TEMPERATURE{slot}"] for slot in range(4)]
    status_ids = [ids[f"IDC_THERMAL_STATUS{slot}"] for slot in range(4)]
    for number, cycle in enumerate(lines[1:1 + cycles], start=1):
        check(f"cycle {number} type", cycle.get("type"), "cycle")
        check(f"cycle {number} number", cycle.get("cycle"), number)
        check(f"cycle {number} time", cycle.get("time"), f"12:00:{number - 1:02d}")  # the first tick comes 50 ms after start-up
        controls = cycle.get("controls", {})
        check(f"cycle {number} control count", len(controls), 34)
        check(f"cycle {number} model", controls.get(ids["IDC_MODEL_NUMBER"]), expected["modelNumber"])
        check(f"cycle {number} signature", controls.get(ids["IDC_SIGNATURE"]), expected["signatureText"])
        check(f"cycle {number} temperatures", [controls.get(i) for i in temperature_ids], expected["temperature"])
        want_status = expected.get("status", ["OK" if t else "" for t in expected["temperature"]])
        check(f"cycle {number} status", [controls.get(i) for i in status_ids], want_status)
        # Steady readings: the records were set in cycle 1 and keep its time.
        minima = [controls.get(ids[f"IDC_MINIMUM{slot}"]) for slot in range(4)]
        check(f"cycle {number} minima", minima, [t + "\u00b0C" if t else "" for t in expected["temperature"]])
        times = [controls.get(ids[f"IDC_MINIMUM_TIME{slot}"]) for slot in range(4)]
        check(f"cycle {number} minimum times", times, ["12:00:00" if t else "" for t in expected["temperature"]])
        # Clock speed, bus speed x multiplier and load; the elapsed time starts at 0:00:00.
        clock = [controls.get(ids[i]) for i in ("IDC_CLOCK_SPEED", "IDC_BUS_MULTIPLIER", "IDC_LOAD")]
        check(f"cycle {number} clock", clock, expected["clock"])
        check(f"cycle {number} packages", cycle.get("packages"), expected.get("packages", [{"temperature": None}]))
        check(f"cycle {number} elapsed time", controls.get(ids["IDC_ELAPSED_TIME"]), f"0:00:{number - 1:02d}")
        if "load" in expected:
            check(f"cycle {number} load", controls.get(ids["IDC_LOAD"]), expected["load"])
        if "allCores" in expected:
            # Every core of the machine, in display order, with its type letter.
            temperatures, types, hottest = expected["allCores"]
            readings = cycle.get("coreReadings", [])
            check(f"cycle {number} every core", [r["temperature"] for r in readings], temperatures)
            check(f"cycle {number} core types", "".join(r.get("type", "")[:1] for r in readings), types)
            check(f"cycle {number} hottest core", cycle.get("hottestCore"), hottest)
for problem in problems:
    print(f"{name}: {problem}", file=sys.stderr)
sys.exit(1 if problems else 0)
PY
done

# The living demo machine over four simulated minutes: the sensors follow the
# scheduled load, so the window shows many temperatures, minimum and maximum
# reached at different times, and a load and clock that change.
"$sim" --machine sim/machines/e8400-living.ini --cycles 240 >"$work/living.jsonl"
python3 - "$work/living.jsonl" <<'PY' || fail "the living machine does not live"
import json, os, sys
cycles = [line for line in map(json.loads, open(sys.argv[1], encoding="utf-8")) if line["type"] == "cycle"]
seen = lambda *names: {cycle["controls"][os.environ[name]] for cycle in cycles for name in names}
temperatures, loads = seen("IDC_TEMPERATURE0", "IDC_TEMPERATURE1"), seen("IDC_LOAD")
clocks = seen("IDC_CLOCK_SPEED", "IDC_BUS_MULTIPLIER")
assert len(temperatures) >= 5, temperatures
assert len(loads) >= 3, loads
assert len(clocks) >= 4, clocks
last = cycles[-1]["controls"]
assert last[os.environ["IDC_MINIMUM_TIME0"]] != last[os.environ["IDC_MAXIMUM_TIME0"]], ("minimum and maximum at one time", last)
PY

# Four busy logical processors of 24: the load is their share of the machine.
{ cat sim/machines/i9-12900k.ini; printf '[counters]\nload = 0\n'
  for cpu in 0 5 16 23; do printf '[counters.cpu%d]\nload = 100\n' "$cpu"; done; } >"$work/four-busy.ini"
"$sim" --machine "$work/four-busy.ini" --cycles 2 >"$work/four-busy.jsonl"
python3 - "$work/four-busy.jsonl" <<'PY' || fail "four busy processors of 24"
import json, os, sys
cycles = [line for line in map(json.loads, open(sys.argv[1], encoding="utf-8")) if line["type"] == "cycle"]
assert [c["controls"][os.environ["IDC_LOAD"]] for c in cycles] == ["Load  16.7%", "Load  16.7%"], cycles
PY

# Settings: TjMax override in range, one out of range, idle calibration and
# the degree suffix.
printf '[Korvath]\nTjMax0=85\nTjMax1=121\nIdle1=1.5\nDegreeSymbolString=F\n' >"$work/settings.ini"
"$sim" --machine sim/machines/q9550.ini --settings "$work/settings.ini" --cycles 1 >"$work/settings.jsonl"
python3 - "$work/settings.jsonl" <<'PY' || fail "settings are not applied"
import json, os, sys
ids = os.environ
startup, cycle, shutdown = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
assert startup["tjMax"] == [85, 100, 100, 100], startup
assert startup["tjMaxDetected"] == [100, 100, 100, 100], startup
controls = cycle["controls"]
# Slot 0: 85 - 45; slot 1: 100 - 44 + 15 * 44 / 400.
assert controls[ids["IDC_TEMPERATURE0"]] == "40" and controls[ids["IDC_MINIMUM0"]] == "40F", controls
assert controls[ids["IDC_TEMPERATURE1"]] == "57" and controls[ids["IDC_MAXIMUM1"]] == "57F", controls
# The shutdown writes the window state into the settings file and keeps the
# keys it does not own.
assert "TjMax0=85" in shutdown["settingsFile"] and "IconShow=1" in shutdown["settingsFile"], shutdown
PY

# Every fifth register read refused: each cycle shows what the machine reports,
# never TjMax for a failed sensor read, a 0 % / 100 % load or the x 6.0 floor.
{ cat sim/machines/e8400.ini; printf '[driver]\nread_fails_every = 5\n[counters]\nload = 50\nbus_ratio = 9\n'; } \
  >"$work/failing.ini"
"$sim" --machine "$work/failing.ini" --cycles 12 >"$work/failing.jsonl"
python3 - "$work/failing.jsonl" <<'PY' || fail "failed register reads show up"
import json, os, sys
ids = os.environ
lines = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
cycles = [line for line in lines if line.get("type") == "cycle"]
assert len(cycles) == 12, len(cycles)
for cycle in cycles:
    c = cycle["controls"]
    readings = [c[ids[i]] for i in ("IDC_TEMPERATURE0", "IDC_TEMPERATURE1", "IDC_MAXIMUM0", "IDC_MAXIMUM1")]
    assert readings == ["62", "62", "62\u00b0C", "62\u00b0C"], (cycle["cycle"], c)
    assert c[ids["IDC_BUS_MULTIPLIER"]] == "333.33 x 9.0" and c[ids["IDC_CLOCK_SPEED"]] == "3000.00 MHz", (cycle["cycle"], c)
    if cycle["cycle"] > 1:
        assert c[ids["IDC_LOAD"]] == "Load  50.0%", (cycle["cycle"], c[ids["IDC_LOAD"]])
PY

# The metrics file (kept in memory by the simulation): promtool accepts every
# cycle's text, with a GPU (e8400), without one (n270) and with a package
# sensor (an i7-8700K whose 0x1B1 reads 51 below TjMax), and the one left at
# exit; its temperatures are the window's; the alert rules under docs/ load
# and pass their tests.
if command -v promtool >/dev/null; then
  printf '[Korvath]\nMetricsFile=korvath.prom\n' >"$work/metrics.ini"
  { cat sim/machines/i7-8700k.ini; printf '\n[cpuid]\n0x6 = 0x00000077 0 0 0\n[msr]\n0x1B1 = 0x88330000\n'; } \
    >"$work/package.ini"
  for machine in sim/machines/e8400.ini sim/machines/n270.ini "$work/package.ini"; do
    name=$(basename "$machine" .ini)
    "$sim" --machine "$machine" --settings "$work/metrics.ini" --cycles 2 >"$work/metrics-$name.jsonl"
    python3 - "$work/metrics-$name.jsonl" "$work/metrics-$name" "$name" <<'PY' || fail "$name: metrics file"
import json, os, re, sys
lines = list(map(json.loads, open(sys.argv[1], encoding="utf-8")))
cycles = [line for line in lines if line["type"] == "cycle"]
# Korvath leaves a file that says it has ended, and nothing else.
stopped = "# HELP korvath_up 1 while Korvath writes this file.\n# TYPE korvath_up gauge\nkorvath_up 0\n"
assert lines[-1]["type"] == "shutdown" and lines[-1]["metricsFile"] == stopped, lines[-1]
open(f"{sys.argv[2]}-stopped.prom", "w", encoding="utf-8").write(lines[-1]["metricsFile"])
for number, cycle in enumerate(cycles, start=1):
    text = cycle["metricsFile"]
    open(f"{sys.argv[2]}-{number}.prom", "w", encoding="utf-8").write(text)
    shown = [cycle["controls"][os.environ[f"IDC_TEMPERATURE{slot}"]] for slot in range(4)]
    shown = [text for text in shown if text]
    written = re.findall(r'^korvath_core_temperature_celsius\{core="\d"\} (\S+)$', text, re.M)
    assert written == shown, (number, written, shown)
    assert f"korvath_monitor_cycles_total {number}\n" in text, number
    packages = re.findall(r'^korvath_package_temperature_celsius\{package="(\d)"\} (\S+)$', text, re.M)
    want = [("0", "49")] if sys.argv[3] == "package" else []
    assert packages == want, (number, packages)
    assert cycle["packages"] == [{"temperature": 49 if want else None}], (number, cycle["packages"])
PY
    for file in "$work/metrics-$name"-*.prom; do
      promtool check metrics <"$file" >"$work/promtool.out" 2>&1 || fail "$name: promtool: $(cat "$work/promtool.out")"
    done
  done
  promtool check rules docs/korvath-alerts.yml >"$work/promtool.out" 2>&1 || fail "alert rules: $(cat "$work/promtool.out")"
  # KorvathStopped on a machine with a skewed clock, a hung Korvath and an ended one.
  promtool test rules tests/e2e/korvath-alerts.test.yml >"$work/promtool.out" 2>&1 || fail "alert rule tests: $(cat "$work/promtool.out")"
else
  fail "promtool is not installed (scripts/install-packages.sh installs it)"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures korvath-sim check(s) failed" >&2
  exit 1
fi
echo "korvath-sim: all checks passed"
