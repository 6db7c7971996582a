#!/usr/bin/env bash
# Runs the Sensor Test window under Xvfb on its real template: it opens
# beside the main window with the movement cells of the present cores, Start
# launches the stand-in stress program, a tick watches it, and Stop and
# closing terminate it. The stand-in must be gone afterwards. The file
# picker, browsed elsewhere, leaves the current folder as it was. On the
# sixteen cores of the i9-12900K the line under the movement cells names the
# core that did not move.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh
win32_unit_tests "Sensor Test window and file picker" "SensorTestDialog.*:Win32Desktop.*" 4
