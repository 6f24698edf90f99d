#!/usr/bin/env bash
# Virtual touch screens for Wine's HID class driver, in the prefix named by WINEPREFIX.
set -uo pipefail

usage() {
  cat <<'TEXT'
usage: WINEPREFIX=PREFIX scripts/virtual-touch.sh COMMAND [ARGUMENTS]

Virtual Pelnix touch screens served by Wine's own HID class driver: a HID minidriver
(pelnixvts.sys) runs one root device per touch screen, and a server process answers for each
one as the simulator's touch screen model does. Build the windows preset first.

  install             copy the driver, its INF and the server into the prefix (idempotent)
  plug [COUNT] [OPTIONS]
                      plug COUNT touch screens (default 1); prints their indexes. Options:
                        --serial B,B,B,B,B,B   the six bytes of the serial number reply
                        --version B,B,B,B,B,B  the six bytes of the hardware version reply
                        --number N             touch screen number (N, N+1, ... for COUNT > 1;
                                               default: index + 1)
                        --bad-leds I,I,...     LEDs the diagnostics find weak
                        --ack-begin on|off     acknowledge the "Rb" begin report (as the
                                               update dialog expects; default off)
                        --vendor ID, --product ID   HID identity (default 0x7E3A, 0x0001)
  touch INDEX X Y     a press and lift-off at raw X, Y (the touch stream must be on)
  unplug INDEX        unplug touch screen INDEX
  status INDEX        what touch screen INDEX has received (reports, packets, stream)
  transfer INDEX      the last firmware transfer as touch screen INDEX saw it ("Rb" to "Rc")
  stop                unplug every touch screen and end the server
  list                the present HID interfaces: vendor, product, version, which, path
  --help              this text

Each command returns when its effect can be seen through SETUPAPI, and fails with one line
on standard error when it cannot. The server's log is PREFIX/drive_c/PelnixVirtualTouch/server.log.
TEXT
}

fail() { echo "virtual-touch: $*" >&2; exit 1; }

case ${1:-} in
  ''|-h|--help|help) usage; exit 0 ;;
esac
[ -n "${WINEPREFIX:-}" ] || fail "set WINEPREFIX to the Wine prefix to act on"
[ -d "$WINEPREFIX" ] || fail "no Wine prefix at $WINEPREFIX"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'

root=$(cd "$(dirname "$0")/.." && pwd)
WINE=/usr/lib/wine/wine64
build=${PELNIX_VTS_BUILD:-$root/build/windows/virtual-touch-screen}
dest=$WINEPREFIX/drive_c/PelnixVirtualTouch
exe=$dest/virtual-touch.exe
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# Runs the client with its answer in a file, never a pipe (Wine's services would hold a pipe open).
client() {
  "$WINE" "$exe" "$@" </dev/null >"$out" 2>/dev/null
  local rc=$?
  tr -d '\r' <"$out"
  return $rc
}

# Answers "ok ...": prints what follows "ok"; anything else fails with the server's line.
command_ok() {
  local answer
  answer=$(client "$@")
  case $answer in
    ok*) answer=${answer#ok}; answer=${answer# }; [ -n "$answer" ] && echo "$answer"; return 0 ;;
    error\ *) fail "${answer#error }" ;;
    *) fail "no answer from the server (see $dest/server.log)" ;;
  esac
}

install_files() {
  local f
  for f in pelnixvts.sys pelnixvts.inf virtual-touch.exe; do
    [ -f "$build/$f" ] || fail "$build/$f is missing: build the windows preset first"
  done
  mkdir -p "$dest" || fail "cannot create $dest"
  for f in pelnixvts.sys pelnixvts.inf virtual-touch.exe; do
    cmp -s "$build/$f" "$dest/$f" || cp "$build/$f" "$dest/$f" || fail "cannot copy $f into $dest"
  done
}

server_running() {
  [ -f "$exe" ] && client ping >/dev/null 2>&1
}

start_server() {
  server_running && return 0
  # Wine's services start with the first program of a session: never with a pipe of ours.
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
  "$WINE" "$exe" serve 'C:\PelnixVirtualTouch\pelnixvts.inf' </dev/null >>"$dest/server.log" 2>&1 &
  echo $! >"$dest/server.pid"
  client ping 20000 >/dev/null || fail "the server did not start (see $dest/server.log)"
}

case $1 in
  install)
    install_files
    ;;
  plug)
    shift
    install_files
    start_server
    command_ok plug "$@"
    ;;
  touch|unplug|status|transfer)
    server_running || fail "no virtual touch screen is plugged (no server is running)"
    command_ok "$@"
    ;;
  list)
    [ -f "$exe" ] || fail "not installed: run install first"
    client list
    ;;
  stop)
    [ -f "$exe" ] || exit 0
    if server_running; then
      command_ok stop
      if [ -f "$dest/server.pid" ]; then
        pid=$(cat "$dest/server.pid")
        for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$pid" 2>/dev/null && fail "the server (process $pid) did not end"
        rm -f "$dest/server.pid"
      fi
    else
      # No server: touch screens left by one that did not stop are removed all the same.
      command_ok clean
    fi
    ;;
  *)
    fail "unknown command '$1' (see --help)"
    ;;
esac
