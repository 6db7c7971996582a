#!/usr/bin/env bash
# Runs the dialog framework's Win32 tests on real windows under Xvfb: the
# four dialog templates loaded by the dialog manager, default OK and Cancel,
# refusal and focus return, message results, and a throwing handler.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh
win32_unit_tests "dialog" "Dialog.*:Win32Holders.*"
