# Shared shell helpers for the project's scripts. Source it; do not run it.
MB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
MB_BUILD="$MB_ROOT/build"
export MB_WINEPREFIX="${MB_WINEPREFIX:-$MB_BUILD/wineprefix}"
export WINEPREFIX="$MB_WINEPREFIX"
# A second prefix, its screen at 144 DPI (LogPixels): the AppDpi tests and scripts/run --dpi 144.
export MB_WINEPREFIX_144DPI="${MB_WINEPREFIX_144DPI:-$MB_BUILD/wineprefix-144dpi}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
MB_TESTCA="$MB_BUILD/testca"
MB_PYTHON=$(command -v python3)

mb_log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Starts Xvfb on a free display when none is set; remembers its PID so only it is stopped.
MB_XVFB_PID=
mb_start_xvfb() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${MB_XVFB_SCREEN:-1920x1080x24}" -nolisten tcp >/dev/null 2>&1 &
    MB_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$MB_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$MB_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      mkdir -p "$MB_BUILD"; echo "$DISPLAY" > "$MB_BUILD/xvfb.display"
      mb_log "Xvfb on $DISPLAY (pid $MB_XVFB_PID)"
      return 0
    fi
  done
  mb_log "could not start Xvfb"; return 1
}
mb_stop_xvfb() {
  if [ -n "$MB_XVFB_PID" ]; then
    kill "$MB_XVFB_PID" 2>/dev/null; wait "$MB_XVFB_PID" 2>/dev/null
    rm -f "$MB_BUILD/xvfb.display"; MB_XVFB_PID=
  fi
}

# The wineserver of the project's prefix is found by its working folder, which Wine names
# after the prefix's device and inode ("server-<dev>-<inode>").
mb_wineserver_running() {
  [ -d "$MB_WINEPREFIX" ] || return 1
  local tag pid
  tag=$(printf 'server-%x-%x' $(stat -c '%d %i' "$MB_WINEPREFIX"))
  for pid in $(pgrep wineserver); do
    case "$(readlink "/proc/$pid/cwd" 2>/dev/null)" in */"$tag") return 0;; esac
  done
  return 1
}

# Starts a persistent wineserver for the prefix with its output detached, so that no wine
# process's pipes are held open by a server it happened to start. Only a server started
# here is stopped by mb_stop_wineserver.
MB_WINESERVER_STARTED=
mb_start_wineserver() {
  mb_wineserver_running && return 0
  WINEPREFIX="$MB_WINEPREFIX" wineserver -p </dev/null >/dev/null 2>&1
  MB_WINESERVER_STARTED=1
}
mb_stop_wineserver() {
  if [ -n "$MB_WINESERVER_STARTED" ]; then
    WINEPREFIX="$MB_WINEPREFIX" wineserver -k 2>/dev/null
    MB_WINESERVER_STARTED=
  fi
  return 0
}

# Starts the tracker simulator in the background; sets MB_SIM_PID, MB_SIM_HTTP_PORT,
# MB_SIM_HTTPS_PORT and exports what the tests read: MB_SIM_HTTP_URL, MB_SIM_HTTPS_URL and, for a
# world that stands still (--now), MB_SIM_NOW.
# Usage: mb_start_simulator <mode> [extra args...]
MB_SIM_PID=
mb_start_simulator() {
  local mode=$1; shift
  local portfile; portfile=$(mktemp -u "$MB_BUILD/sim-ports.XXXXXX")
  "$MB_PYTHON" "$MB_ROOT/tools/tracker_sim.py" --mode "$mode" --http-port 0 --https-port 0 \
    --cert "$MB_TESTCA/server.crt" --key "$MB_TESTCA/server.key" --port-file "$portfile" "$@" \
    >"$MB_BUILD/sim-$mode.log" 2>&1 &
  MB_SIM_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$portfile" ] && break
    kill -0 "$MB_SIM_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$portfile" ]; then mb_log "tracker simulator did not start (see $MB_BUILD/sim-$mode.log)"; return 1; fi
  MB_SIM_HTTP_PORT=$("$MB_PYTHON" -c 'import json,sys; print(json.load(open(sys.argv[1]))["http"])' "$portfile")
  MB_SIM_HTTPS_PORT=$("$MB_PYTHON" -c 'import json,sys; print(json.load(open(sys.argv[1])).get("https") or "")' "$portfile")
  rm -f "$portfile"
  export MB_SIM_HTTP_URL="http://127.0.0.1:$MB_SIM_HTTP_PORT"
  export MB_SIM_HTTPS_URL="https://localhost:$MB_SIM_HTTPS_PORT"
  # A world that stands still at --now: the tests that set the overlay's clock to it read it here.
  local previous=
  for arg in "$@"; do [ "$previous" = --now ] && export MB_SIM_NOW="$arg"; previous=$arg; done
  mb_log "tracker simulator ($mode) on $MB_SIM_HTTP_URL and $MB_SIM_HTTPS_URL"
}
mb_stop_simulator() {
  if [ -n "$MB_SIM_PID" ]; then
    kill "$MB_SIM_PID" 2>/dev/null; wait "$MB_SIM_PID" 2>/dev/null; MB_SIM_PID=
  fi
}

# Everything the Windows tests need around them: a display, the project's wineserver and the
# deterministic tracker simulator, with DISPLAY and the MB_SIM_* variables exported. The test
# command starts exactly this; by hand: source scripts/lib.sh; mb_start_test_services.
mb_start_test_services() {
  local status=0
  mb_start_xvfb || status=1
  mb_start_wineserver
  mb_start_simulator deterministic --seed 7 --now 1764590400 || status=1
  return $status
}
mb_stop_test_services() { mb_stop_simulator; mb_stop_wineserver; mb_stop_xvfb; }
