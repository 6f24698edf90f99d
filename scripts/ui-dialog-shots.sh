#!/usr/bin/env bash
# Screenshots of the settings, About and properties dialogs in English, Chinese and Japanese,
# under Xvfb with Wine's x11 driver.
#   scripts/ui-dialog-shots.sh BUILD_DIR OUT_DIR
# BUILD_DIR is a windows-preset build with the ui_dialog_viewer target built.
set -euo pipefail
build=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
here=$(dirname "$(realpath "$0")")
export WINEPREFIX=$build/wineprefix-x11 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'
display=:$((70 + RANDOM % 20))
Xvfb "$display" -screen 0 1280x800x24 </dev/null >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
"$here/wine-prefix.sh" init "$WINEPREFIX" x11
for lang in en_US zh_CN ja_JP; do
  for dialog in settings about properties; do
    LANG=$lang.UTF-8 LC_ALL=$lang.UTF-8 /usr/lib/wine/wine64 "$build/shots/ui_dialog_viewer.exe" $dialog \
      </dev/null >/dev/null 2>&1 &
    viewer=$!
    sleep 4
    xwd -root -silent -display "$display" | convert xwd:- -trim +repage "$out/$dialog-$lang.png"
    kill $viewer 2>/dev/null || true
    wait $viewer 2>/dev/null || true
  done
done
/usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
echo "screenshots in $out"
