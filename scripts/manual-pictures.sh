#!/usr/bin/env bash
# The user manual's pictures, in English, Chinese and Japanese: the demo's screenshots of the
# main window and its dialogs (scripts/screenshots.sh), then the demo run under Xvfb in each
# language with calibration, region drawing and mapping done with the mouse (scripts/demo.sh),
# its shots copied under the names the chapters use (calibration-zh.png and so on).
#   scripts/manual-pictures.sh OUT_DIR BUILD_DIR
set -uo pipefail
here=$(dirname "$(realpath "$0")")
out=$(mkdir -p "$1" && realpath "$1")
build=$(realpath "$2")
status=0
PELNIX_SHOTS_LANGUAGES="en zh ja" bash "$here/screenshots.sh" "$out" "$build" || status=1

declare -A locales=([en]=en_US [zh]=zh_CN [ja]=ja_JP)
for lang in en zh ja; do
  demo_out="$out/demo-$lang"
  # Wine takes the system's default language, and the program its language file, from LANG.
  env -u DISPLAY LANG=${locales[$lang]}.UTF-8 LC_ALL=${locales[$lang]}.UTF-8 \
    PELNIX_DEMO_EXE="$build/demo/PelnixCpl.exe" PELNIX_DEMO_PREFIX="$build/wineprefix-manual" \
    bash "$here/demo.sh" "$demo_out" || status=1
  # demo shot -> the manual's name
  for pair in calibration-targets:calibration calibration-try:calibration-done \
              calibration-missed:calibration-warning region-hint:region-hint \
              mapping-monitor-1:mapping-1 mapping-monitor-2:mapping-2; do
    from=$demo_out/${pair%%:*}.png
    [ -f "$from" ] && cp "$from" "$out/${pair#*:}-$lang.png"
  done
done
exit $status
