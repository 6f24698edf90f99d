#!/usr/bin/env bash
# The control panel with two simulated touch screens, under Wine.
#   scripts/demo.sh [OUT_DIR]
# Runs the demo build (build/windows/demo/PelnixCpl.exe; another program with PELNIX_DEMO_EXE)
# on the user's display when DISPLAY is set, otherwise under Xvfb, and saves screenshots of the
# main window, the settings, About and properties dialogs into OUT_DIR (default
# build/windows/demo-shots). With a display the program stays open afterwards until it is closed.
# Under Xvfb the screen is 2304 x 800 and holds two simulated monitors, 1280x800+0+0 and
# 1024x768+1280+0 (PELNIX_DEMO_MONITORS, unless it is set already), and the shots go on with
# the mapping window on each monitor: a click on its target is the touch of the simulated touch
# screen lying on that monitor.
# PELNIX_DEMO_VIRTUAL=N runs the program against N virtual touch screens on Wine's HID stack
# instead (scripts/virtual-touch.sh, in the same prefix; for dist/PelnixCpl.exe): the screen is
# then one 1280 x 800 monitor, there is no mapping, and the calibration's touches are injected
# lift-offs of virtual touch screen 0.
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
virtual=${PELNIX_DEMO_VIRTUAL:-0}
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  number=$((70 + RANDOM % 20))
  while [ -e /tmp/.X$number-lock ] || [ -e /tmp/.X11-unix/X$number ]; do number=$((number + 1)); done
  display=:$number
  if [ "$virtual" -gt 0 ]; then size=1280x800; else size=2304x800; fi
  Xvfb "$display" -screen 0 ${size}x24 -br </dev/null >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=$display
  [ "$virtual" -gt 0 ] || export PELNIX_DEMO_MONITORS=${PELNIX_DEMO_MONITORS:-1280x800+0+0,1024x768+1280+0}
  sleep 1
fi
"$here/wine-prefix.sh" init "$WINEPREFIX" x11
"$here/wine-prefix.sh" fonts "$WINEPREFIX"  # for the language LANG names
if [ "$virtual" -gt 0 ]; then
  "$here/virtual-touch.sh" plug "$virtual" >/dev/null
  trap '"$here/virtual-touch.sh" stop || true; [ -n "${xvfb:-}" ] && kill $xvfb 2>/dev/null || true' EXIT
fi

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

# Mapping over the demo's two monitors: the whole screen with the window on the first monitor,
# a click on its target (touch screen 0), the window on the second, a click there
# (touch screen 1), and the list with the new monitors once the numbers are saved.
if [ "${PELNIX_DEMO_MONITORS:-}" = 1280x800+0+0,1024x768+1280+0 ]; then
  screen() { xwd -root -silent | convert xwd:- "$out/$1.png"; echo "  $out/$1.png"; }
  click 64 214 && screen mapping-monitor-1
  xdotool mousemove 640 400 click 1 && sleep 2 && screen mapping-monitor-2
  xdotool mousemove $((1280 + 512)) 384 click 1 && sleep 4 && shoot main-window-mapped
fi

# Calibration of touch screen 0 with the mouse as the finger: the targets, the try-out after
# four clicks (buttons and countdown), a second try with the third target missed by 60 pixels
# (the warning), OK; then the list with the screen calibrated and the hint of region drawing.
driver=$root/build/windows/tests/windows/ui_shot_driver.exe
if [ -f "$driver" ] && [ $headless = 1 ]; then
  export PELNIX_SHOT_IMAGE=$(basename "$exe")
  drive() { /usr/lib/wine/wine64 "$driver" "$@" </dev/null >/dev/null 2>&1; }
  crop() { xwd -root -silent | convert xwd:- -crop "$2" +repage "$out/$1.png"; echo "  $out/$1.png"; }
  # The targets of a 1280 x 800 monitor at (0, 0): w/8, h/6 from the corners.
  if [ "$virtual" -gt 0 ]; then
    # The lift-off of virtual touch screen 0 at the raw point the demo's frame gives for this
    # pixel of the 1280 x 800 monitor (square pixels): turned 0.8 degrees about the centre,
    # raw ranges 3600 and 3500, offset (180, 280), as simulator/core/demo_frame.h has it.
    touch() {
      "$here/virtual-touch.sh" touch 0 $(awk -v x="$1" -v y="$2" 'BEGIN { t = 0.8 * atan2(0, -1) / 180;
        dx = x - 640; dy = y - 400; fx = 640 + dx * cos(t) - dy * sin(t); fy = 400 + dx * sin(t) + dy * cos(t);
        printf "%d %d", 180 + 3600 * fx / 1280 + 0.5, 280 + 3500 * fy / 800 + 0.5 }')
      sleep 0.7
    }
  else
    touch() { xdotool mousemove "$1" "$2" click 1; sleep 0.7; }
  fi
  drive click 1056 && sleep 2 && crop calibration-targets 1280x800+0+0
  touch 160 133; touch 1120 133; touch 160 667; touch 1120 667
  sleep 2.5 && crop calibration-try 1280x800+0+0
  drive click-dialog 1057 && sleep 1
  touch 160 133; touch 1120 133; touch 220 667; touch 1120 667
  sleep 1.5 && crop calibration-missed 1280x800+0+0
  drive click-dialog 1 && sleep 3 && shoot main-window-calibrated
  xdotool mousemove 1000 560 && sleep 0.3
  drive click 1105 && sleep 1 && xdotool mousemove 1010 570 && sleep 1 && crop region-hint 480x260+900+520
  # A click without a drag ends the drawing: nothing opens, the hook stops.
  xdotool click 1 && sleep 1
fi

if [ $headless = 1 ]; then
  kill $program 2>/dev/null || true
  if [ "$virtual" -gt 0 ]; then "$here/virtual-touch.sh" stop || true; trap 'kill $xvfb 2>/dev/null || true' EXIT; fi
  /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
else
  echo "the control panel stays open; close it to end"
  wait $program || true
fi
