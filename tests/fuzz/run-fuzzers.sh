#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang-14) and runs each for the
# given number of seconds (default 5). The seeds under tests/fuzz/corpus stay
# as they are; what the fuzzer learns goes to build/fuzz/corpus/<target>, and
# an input that crashes or hangs a target to build/fuzz/artifacts/.
#   tests/fuzz/run-fuzzers.sh            # a few seconds each, as ./test.sh does
#   tests/fuzz/run-fuzzers.sh 600        # ten minutes each
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-5}
jobs=${JOBS:-2}

cmake --preset fuzz >build-fuzz-configure.log 2>&1 || { cat build-fuzz-configure.log; rm -f build-fuzz-configure.log; exit 1; }
rm -f build-fuzz-configure.log
cmake --build --preset fuzz -j"$jobs" 2>&1 | grep -E -v '^\[ *[0-9]+%\]|^Consolidate|^Scanning' || true
[ "${PIPESTATUS[0]}" -eq 0 ] || exit 1

mkdir -p build/fuzz/artifacts
status=0
for target in IniReader MachineDescription BrandString; do
  mkdir -p "build/fuzz/corpus/$target"
  echo "fuzzing $target for $seconds s"
  if ! "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
      -max_len=4096 -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$target-" \
      "build/fuzz/corpus/$target" "tests/fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1; then
    tail -n 40 "build/fuzz/$target.log"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "build/fuzz/$target.log" | tail -n 2 || true
  fi
done
exit $status
