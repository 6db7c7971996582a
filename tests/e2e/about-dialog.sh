#!/usr/bin/env bash
# Runs the About box's Win32 tests on its real template under Xvfb: the
# home-page button shows its bitmap, each link opens its page and closes
# the box as cancelled, and the executable carries the one version.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib-wine.sh
win32_unit_tests "About box" "AboutDialog.*" 2
