#!/usr/bin/env bash
# Screenshots of the control panel in English, Chinese and Japanese: the main window of the
# demo build (two simulated touch screens) and its settings, About, properties and diagnostics
# dialogs (the LED test of the second touch screen), under Xvfb on a free display with a Wine
# prefix of its own (x11 driver).
#   scripts/screenshots.sh [OUT_DIR] [BUILD_DIR]
# OUT_DIR defaults to BUILD_DIR/screenshots, BUILD_DIR to build/windows (a windows-preset
# build with the demo and the ui_shot_driver target built). Files: main-en.png,
# settings-zh.png, about-ja.png, properties-en.png and so on. Wine takes the system's default
# language id from LANG/LC_ALL, and the program its language file from that.
# PELNIX_SHOTS_PROGRAM names another program to shoot instead of the demo (one that shows the
# same main window, with PelnixLib.dll and the Language folder beside it).
# PELNIX_SHOTS_LANGUAGES picks languages (default "en zh ja"; the user manual takes "en"), and
# PELNIX_SHOTS_FIRST_DISPLAY the first X display number tried (default 90).
set -euo pipefail
here=$(dirname "$(realpath "$0")")
build=$(realpath "${2:-$here/../build/windows}")
out=$(mkdir -p "${1:-$build/screenshots}" && realpath "${1:-$build/screenshots}")
demo=${PELNIX_SHOTS_PROGRAM:-$build/demo/PelnixCpl.exe}
export PELNIX_SHOT_IMAGE=$(basename "$demo")
driver=$build/tests/windows/ui_shot_driver.exe
for file in "$demo" "$driver"; do
  [ -f "$file" ] || { echo "missing $file: build the windows preset first" >&2; exit 1; }
done

WINE=/usr/lib/wine/wine64
export WINEPREFIX=$build/wineprefix-screenshots WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'

# A free display: the first number from PELNIX_SHOTS_FIRST_DISPLAY on without a lock file or socket.
number=${PELNIX_SHOTS_FIRST_DISPLAY:-90}
while [ -e /tmp/.X$number-lock ] || [ -e /tmp/.X11-unix/X$number ]; do number=$((number + 1)); done
display=:$number
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
demo_pid=
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true
  /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$number ] && break; sleep 0.1; done

"$here/wine-prefix.sh" init "$WINEPREFIX" x11

drive() { "$WINE" "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# shot NAME GEOMETRY: the screen cut to the window's rectangle.
shot() {
  xwd -root -silent -display "$display" | convert xwd:- -crop "$2" +repage "$out/$1.png"
  echo "  $out/$1.png"
}

# dialog NAME LANG COMMAND...: opens a dialog from the main window, shoots it, closes it.
dialog() {
  local name=$1 lang=$2
  shift 2
  drive "$@" >/dev/null
  local geometry=
  for _ in $(seq 40); do
    geometry=$(drive rect || true)
    [ -n "$geometry" ] && break
    sleep 0.25
  done
  if [ -z "$geometry" ]; then
    echo "  $name-$lang: the dialog did not open" >&2
    return
  fi
  sleep 1  # let it finish painting
  shot "$name-$lang" "$(drive rect)"
  drive close >/dev/null || true
  for _ in $(seq 40); do [ -z "$(drive rect || true)" ] && break; sleep 0.25; done
}

declare -A locales=([en]=en_US [zh]=zh_CN [ja]=ja_JP)
for lang in ${PELNIX_SHOTS_LANGUAGES:-en zh ja}; do
  locale=${locales[$lang]}
  echo "$locale:"
  LANG=$locale.UTF-8 "$here/wine-prefix.sh" fonts "$WINEPREFIX"
  (cd "$(dirname "$demo")" && exec env LANG=$locale.UTF-8 LC_ALL=$locale.UTF-8 "$WINE" "$demo" </dev/null >/dev/null 2>&1) &
  demo_pid=$!
  if ! drive wait >/dev/null; then
    echo "  the main window did not become ready" >&2
  else
    sleep 1
    shot "main-$lang" "$(drive rect main)"
    dialog settings "$lang" click 1053
    dialog about "$lang" click 1055
    dialog properties "$lang" open-properties
    # Last: it selects the second touch screen, the one with bad LEDs.
    dialog diagnostics "$lang" open-diagnostics
    dialog diagnostics-y "$lang" open-diagnostics 48  # the y row with its bad LED
  fi
  kill "$demo_pid" 2>/dev/null || true
  wait "$demo_pid" 2>/dev/null || true
  demo_pid=
  /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
done
echo "screenshots in $out"
