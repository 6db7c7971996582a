#!/usr/bin/env bash
# Runs one Windows executable under the 64-bit Wine loader with the project's
# own prefix, quietly, and passes its exit code on.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
  /usr/lib/wine/wineserver -w 2>/dev/null || true
fi
exec /usr/lib/wine/wine64 "$@"
