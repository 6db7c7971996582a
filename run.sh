#!/usr/bin/env bash
# Builds Korvath and runs it; see README.md.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-packages.sh
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)"
echo "The main window does not exist yet; the native unit tests show what does:"
ctest --preset native
