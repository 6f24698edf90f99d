#!/usr/bin/env bash
# Manages a Wine prefix of the build's own.
#   wine-prefix.sh init  PREFIX [null|x11]   create it (null graphics driver unless x11 is asked)
#   wine-prefix.sh start PREFIX              start a persistent wineserver for it
#   wine-prefix.sh stop  PREFIX              stop that wineserver
#   wine-prefix.sh fonts PREFIX              the dialog font for the language LANG names
# The persistent server never inherits a pipe of the caller: a pipe it held open would
# hang ctest or a `| tail`.
set -euo pipefail

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree=d;mshtml=d'
driver=${3:-null}

case $action in
  init)
    marker="$WINEPREFIX/.pelnix-$driver"
    [ -f "$marker" ] && exit 0
    # The first start of a prefix has been seen to fail at once on a busy machine, leaving a
    # prefix that was never booted: it is started again from nothing, up to three times.
    log=$(mktemp)
    for attempt in 1 2 3; do
      mkdir -p "$WINEPREFIX"
      status=0
      if [ "$driver" = null ]; then
        DISPLAY= "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >"$log" 2>&1 </dev/null || status=$?
      else
        "$WINE" wineboot -i >"$log" 2>&1 </dev/null || status=$?
      fi
      # Wait for the first start to finish and stop the server, so that the next start reads
      # the new driver setting.
      "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
      "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
      [ "$status" -eq 0 ] && break
      echo "wine-prefix.sh: the first start of $WINEPREFIX failed ($status), attempt $attempt:" >&2
      tail -n 20 "$log" >&2
      [ "$attempt" -eq 3 ] && { rm -f "$log"; exit "$status"; }
      rm -rf "$WINEPREFIX"
      sleep 2
    done
    rm -f "$log"
    touch "$marker"
    ;;
  start)
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
    # Give the server a moment to take its socket before the first client starts.
    # The first program of a session starts Wine's services (winedevice and the like), which
    # live as long as the server and keep the standard handles they were started with. Start
    # them here with none of the caller's, or they would hold ctest's output pipe open.
    "$WINE" reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    ;;
  fonts)
    # Japanese windows in the proportional IPA font, as Japanese Windows shows them in its own
    # proportional dialog font: Wine's fallback is the fixed-pitch IPAGothic. Other languages
    # keep Wine's choice, which the replacement would take over for their texts too.
    key='HKCU\Software\Wine\Fonts\Replacements'
    case ${LANG:-} in
      ja*) "$WINE" reg add "$key" /v 'MS UI Gothic' /d IPAPGothic /f ;;
      *) "$WINE" reg delete "$key" /v 'MS UI Gothic' /f ;;
    esac </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 init|start|stop|fonts PREFIX [null|x11]" >&2
    exit 2
    ;;
esac
