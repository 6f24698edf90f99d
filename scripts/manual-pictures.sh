#!/usr/bin/env bash
# The user manual's pictures: the demo's English screenshots of the main window and its
# dialogs (scripts/screenshots.sh), then the demo run under Xvfb with calibration, region
# drawing and mapping done with the mouse (scripts/demo.sh), its shots copied under the names
# the chapters use.
#   scripts/manual-pictures.sh OUT_DIR BUILD_DIR
set -uo pipefail
here=$(dirname "$(realpath "$0")")
out=$(mkdir -p "$1" && realpath "$1")
build=$(realpath "$2")
status=0
PELNIX_SHOTS_LANGUAGES=en bash "$here/screenshots.sh" "$out" "$build" || status=1

demo_out="$out/demo"
env -u DISPLAY LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 \
  PELNIX_DEMO_EXE="$build/demo/PelnixCpl.exe" PELNIX_DEMO_PREFIX="$build/wineprefix-manual" \
  bash "$here/demo.sh" "$demo_out" || status=1
# demo shot -> the manual's name
for pair in calibration-targets:calibration-en calibration-try:calibration-done-en \
            calibration-missed:calibration-warning-en region-hint:region-hint-en \
            mapping-monitor-1:mapping-1-en mapping-monitor-2:mapping-2-en; do
  from=$demo_out/${pair%%:*}.png
  [ -f "$from" ] && cp "$from" "$out/${pair#*:}.png"
done
exit $status
