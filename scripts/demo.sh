#!/usr/bin/env bash
# The control panel with two simulated touch screens, under Wine.
#   scripts/demo.sh [OUT_DIR]
# Runs the demo build (build/windows/demo/PelnixCpl.exe; another program with PELNIX_DEMO_EXE)
# on the user's display when DISPLAY is set, otherwise under Xvfb, and saves screenshots of the
# main window, the settings, About and properties dialogs into OUT_DIR (default
# build/windows/demo-shots). With a display the program stays open afterwards until it is closed.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
root=$(dirname "$here")
exe=${PELNIX_DEMO_EXE:-$root/build/windows/demo/PelnixCpl.exe}
out=$(mkdir -p "${1:-$root/build/windows/demo-shots}" && realpath "${1:-$root/build/windows/demo-shots}")
[ -f "$exe" ] || { echo "no demo build at $exe: cmake --preset windows && cmake --build build/windows" >&2; exit 1; }
for tool in xdotool xwd convert; do
  command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

export WINEPREFIX=${PELNIX_DEMO_PREFIX:-$(dirname "$(dirname "$exe")")/wineprefix-x11}
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  display=:$((70 + RANDOM % 20))
  Xvfb "$display" -screen 0 1280x800x24 -br </dev/null >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=$display
  sleep 1
fi
"$here/wine-prefix.sh" init "$WINEPREFIX" x11

# The newest visible top-level window of the program, and a shot of it.
newest() { xdotool search --onlyvisible --pid "$program" 2>/dev/null | tail -1; }
shoot() { xwd -silent -id "$(newest)" | convert xwd:- "$out/$1.png"; echo "  $out/$1.png"; }
# A click at dialog-unit coordinates of the main window's client area (255 x 298 units).
click() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --window "$main" $(( $1 * WIDTH / 255 )) $(( $2 * HEIGHT / 298 )) click ${3:-1}
  sleep 2
}
close_newest() { xdotool key --window "$(newest)" Escape; sleep 1; }

(cd "$(dirname "$exe")" && exec /usr/lib/wine/wine64 "$exe" </dev/null >/dev/null 2>&1) &
program=$!
for _ in $(seq 60); do [ -n "$(newest)" ] && break; sleep 0.5; done
main=$(newest)
[ -n "$main" ] || { echo "the control panel did not open" >&2; exit 1; }
sleep 3  # the start-up query of both touch screens
echo "screenshots:"
shoot main-window
click 157 255 && shoot about && close_newest
click 38 255 && shoot settings && close_newest
click 60 150 "--repeat 2 --delay 80 1" && shoot properties && close_newest

if [ $headless = 1 ]; then
  kill $program 2>/dev/null || true
  /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
else
  echo "the control panel stays open; close it to end"
  wait $program || true
fi
