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
# Wine's own background processes (services, explorer) start from whichever program needs
# them first and inherit its output. Were that the caller's pipe (CTest's, a test's), the
# caller would wait for it to close as long as the prefix's wineserver lives. So the program
# writes to a file of ours, which is passed on when it ends.
output=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$output"' EXIT
trap 'kill -TERM "$child" 2>/dev/null' TERM INT
"$wine" "$@" >"$output" 2>&1 &
child=$!
wait "$child"; rc=$?
# A signal interrupts the first wait; the second one collects the real exit code.
if kill -0 "$child" 2>/dev/null; then wait "$child"; rc=$?; fi
cat "$output"
exit $rc
