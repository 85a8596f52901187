#!/usr/bin/env bash
# Runs a Windows executable under Wine with the project's own prefix.
# Used by CTest as the cross-compiling emulator and by the scripts.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${MB_WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "${DISPLAY:-}" ] && [ -f "$here/build/xvfb.display" ]; then
  export DISPLAY=$(cat "$here/build/xvfb.display")
fi
if [ ! -d "$WINEPREFIX" ]; then
  echo "wine-run: no Wine prefix at $WINEPREFIX; run scripts/setup first" >&2
  exit 127
fi
wine=/usr/lib/wine/wine64; [ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
exec "$wine" "$@"
