# Sourced by the end-to-end tests: puts the GPU driver library double into the
# Wine prefix's system folder, the only place the monitor loads it from, and
# takes it out again. The double serves the [gpu] temperatures of the
# simulated-machine.ini beside the program under test.
#   install_nvapi_double [build-dir]   (default build/win64)
#   remove_nvapi_double

NVAPI_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

nvapi_system_folder() {
  local prefix=${WINEPREFIX:-$NVAPI_ROOT/build/wineprefix}
  if [ ! -d "$prefix/drive_c/windows/system32" ]; then
    # First use of the prefix: let the runner create it.
    WINEPREFIX=$prefix "$NVAPI_ROOT/tests/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
  fi
  echo "$prefix/drive_c/windows/system32"
}

install_nvapi_double() {
  local build=${1:-$NVAPI_ROOT/build/win64}
  local double=$build/sim/nvapi64.dll
  if [ ! -f "$double" ]; then
    echo "no driver library double at $double" >&2
    return 1
  fi
  cp "$double" "$(nvapi_system_folder)/nvapi64.dll"
}

remove_nvapi_double() {
  rm -f "$(nvapi_system_folder)/nvapi64.dll"
}
