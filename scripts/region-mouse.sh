#!/usr/bin/env bash
# Region calibration with a real mouse: the demo build runs inside a Wine virtual desktop
# under Xvfb (the desktop is a Wine window, so the mouse hook sees the pointer anywhere on
# it), xdotool moves and presses the X pointer, and ui_shot_driver.exe, started in the same
# desktop, reads the program's windows back.
#   scripts/region-mouse.sh [SHOT_DIR]
# Checks, in order: the hint follows the pointer; a drag from (900, 700) to (500, 300) opens a
# 400 x 400 calibration window at (500, 300), which Escape closes; a 199-pixel drag opens
# nothing and ends the hook (a 300-pixel drag after it opens nothing either); Escape on the hint
# ends the drawing just as well. With SHOT_DIR it
# then draws a region once more, calibrates it with four clicks on its targets (the demo's
# mouse stands for the finger) and saves region-drawn.png, region-try.png and
# region-calibrated.png there.
# Every wait is for a condition, bounded only by a hang limit. Exit code 0 when all held.
# PELNIX_REGION_BUILD names the windows build (default build/windows); the prefix is
# BUILD/wineprefix-region (x11 driver), the display the first free one from 60.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
build=$(realpath "${PELNIX_REGION_BUILD:-$here/../build/windows}")
shots=${1:-}
demo=$build/demo/PelnixCpl.exe
driver=$build/tests/windows/ui_shot_driver.exe
for file in "$demo" "$driver"; do
  [ -f "$file" ] || { echo "missing $file: build the windows preset first" >&2; exit 1; }
done
for tool in Xvfb xdotool xwd convert; do
  command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

WINE=/usr/lib/wine/wine64
export WINEPREFIX=$build/wineprefix-region WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'
desktop=PelnixRegion,1280x800
hang_limit=90  # seconds: only a hang takes this long

number=${PELNIX_REGION_FIRST_DISPLAY:-60}
while [ -e /tmp/.X$number-lock ] || [ -e /tmp/.X11-unix/X$number ]; do number=$((number + 1)); done
Xvfb :$number -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$number
program=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$number ] && break; sleep 0.1; done
"$here/wine-prefix.sh" init "$WINEPREFIX" x11

failures=0
check() {  # check WHAT: says how a step ended
  if [ "$1" = ok ]; then echo "  ok: $2"; else echo "  FAILED: $2" >&2; failures=$((failures + 1)); fi
}
# One driver command in the program's desktop; one that hangs is given up after a minute.
drive() { timeout 60 "$WINE" explorer /desktop=$desktop "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# until_is EXPECTED COMMAND...: waits until the driver command prints EXPECTED.
until_is() {
  local expected=$1 got=
  shift
  local end=$((SECONDS + hang_limit))
  while [ $SECONDS -lt $end ]; do
    got=$(drive "$@" || true)
    [ "$got" = "$expected" ] && return 0
    sleep 0.2
  done
  echo "    $* gave '$got', not '$expected'" >&2
  return 1
}
centre() {  # centre WxH+X+Y: "X Y" of its middle
  local g=$1
  local w=${g%%x*} rest=${g#*x}
  local h=${rest%%+*} pos=${rest#*+}
  echo "$(( ${pos%%+*} + w / 2 )) $(( ${pos#*+} + h / 2 ))"
}
# Clicks Region Calibrate with the pointer and waits for the hint beside it. The button's
# rectangle is asked for again until it reads as one: a driver that could not be started in
# the desktop (a loaded machine) prints something else.
press_region_calibrate() {
  local button= x y end=$((SECONDS + hang_limit))
  local geometry='^[0-9]+x[0-9]+[+]-?[0-9]+[+]-?[0-9]+$'
  while [ $SECONDS -lt $end ]; do
    button=$(drive rect-item 1105 || true)
    [[ "$button" =~ $geometry ]] && break
    sleep 0.2
  done
  if ! [[ "$button" =~ $geometry ]]; then
    echo "    rect-item 1105 gave '$button'" >&2
    return 1
  fi
  read -r x y <<<"$(centre "$button")"
  xdotool mousemove "$x" "$y" click 1
  until_is "182x54+$((x + 10))+$((y + 20))" rect-hint
}
# Moves the pointer and waits until Wine has it there: a press or release reported before the
# move has reached the cursor position would be read at the old place.
move() { xdotool mousemove "$1" "$2"; until_is "$1,$2" cursor; }
drag() {  # drag X1 Y1 X2 Y2, through a point between them
  move "$1" "$2"
  xdotool mousedown 1
  move $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 ))
  move "$3" "$4"
  xdotool mouseup 1
}
screen() { xwd -root -silent | convert xwd:- "$shots/$1.png"; echo "  $shots/$1.png"; }

(cd "$(dirname "$demo")" && exec "$WINE" explorer /desktop=$desktop PelnixCpl.exe </dev/null >/dev/null 2>&1) &
program=$!
# The desktop first: a driver started while the program's explorer still creates it may hang.
end=$((SECONDS + hang_limit))
until desktop_window=$(xdotool search --name "^${desktop%%,*} - Wine desktop\$" 2>/dev/null); do
  [ $SECONDS -lt $end ] || { echo "the Wine desktop did not open" >&2; exit 1; }
  sleep 0.2
done
# Keys go to the window Wine made active in the desktop, once the desktop has the X focus.
key() { xdotool windowfocus --sync "$desktop_window" key "$1"; }
until drive wait >/dev/null; do
  [ $SECONDS -lt $end ] || { echo "the control panel did not become ready" >&2; exit 1; }
done
main=$(drive rect main)
echo "main window: $main"

echo "region calibration with the mouse:"
press_region_calibrate && check ok "Region Calibrate shows the hint beside the pointer" || check no "the hint"
xdotool mousemove 700 400
until_is 182x54+710+420 rect-hint && check ok "the hint follows the pointer to (700, 400)" || check no "the hint at (710, 420)"
xdotool mousemove 1000 150
until_is 182x54+1010+170 rect-hint && check ok "and on to (1000, 150)" || check no "the hint at (1010, 170)"
drag 900 700 500 300
until_is 400x400+500+300 rect-calibration && check ok "a drag from (900, 700) to (500, 300) opens 400 x 400 at (500, 300)" ||
  check no "the calibration window over the drag"
until_is "" rect-hint || check no "the hint is gone after the press"
drive close >/dev/null
until_is "" rect-calibration || check no "the calibration window closes"

press_region_calibrate || check no "the hint for the small drag"
drag 1000 100 1199 600  # 199 wide: nothing, and the hook ends
drag 700 150 1000 450   # 300 x 300: a hook still running would open a window over it
# The click on the button reaches the program through X after the drags: once its hint shows,
# every hook message of the drags has been handled.
press_region_calibrate || check no "the hint after the drags"
[ -z "$(drive rect-calibration)" ] && check ok "a 199-pixel drag opens nothing and ends the hook" ||
  check no "nothing opens after a 199-pixel drag"
key Escape
until_is "" rect-hint && check ok "Escape on the hint ends the drawing" || check no "Escape on the hint"
drag 700 150 1000 450
press_region_calibrate || check no "the hint after Escape"
[ -z "$(drive rect-calibration)" ] && check ok "a drag after Escape opens nothing" || check no "nothing opens after Escape"
key Escape
until_is "" rect-hint || check no "Escape on the last hint"

if [ -n "$shots" ]; then
  mkdir -p "$shots"
  echo "screenshots:"
  press_region_calibrate || true
  xdotool mousemove 1100 650
  until_is 182x54+1110+670 rect-hint || true
  drag 1100 650 550 250
  until_is 550x400+550+250 rect-calibration || check no "the region window for the shots"
  screen region-drawn
  # The targets of a 550 x 400 window at (550, 250): w/8 and h/6 from its corners.
  for point in "618 316" "1032 316" "618 584" "1032 584"; do
    xdotool mousemove $point click 1
    sleep 0.5  # one click after the other, as a hand does
  done
  until_is 550x400+550+250 rect-calibration || true
  sleep 1  # the try-out's buttons painted
  screen region-try
  drive click-dialog 1 >/dev/null || true
  until_is "" rect-calibration || true
  screen region-calibrated
fi

[ $failures = 0 ] && echo "region calibration with the mouse: all held" || { echo "$failures failed" >&2; exit 1; }
