#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and shows it working under Wine:
# the help banner of the console, then the control panel itself (dist/PelnixCpl.exe with two
# virtual touch screens on Wine's HID stack, on this display or under Xvfb, with screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset windows
cmake --build --preset windows

prefix="$PWD/build/windows/wineprefix"
bash scripts/wine-prefix.sh init "$prefix" null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'

echo "== PelnixCpl.exe -? =="
/usr/lib/wine/wine64 build/windows/dist/PelnixCpl.exe -? </dev/null
echo
echo

# The program as a user gets it, against two virtual touch screens on Wine's HID stack. On a
# display it is simply started; under Xvfb its shots come first (in English), then the demo
# build's (simulated touch screens behind the HID seam, two monitors) in English, Chinese and
# Japanese and in English at 150 %, for what the virtual device cannot give.
shots=$(mkdir -p "${1:-build/windows/run-shots}" && realpath "${1:-build/windows/run-shots}")
if [ -f build/windows/virtual-touch-screen/virtual-touch.exe ]; then
  [ -n "${DISPLAY:-}" ] && PELNIX_DEMO_EXE="$PWD/build/windows/dist/PelnixCpl.exe" PELNIX_DEMO_VIRTUAL=2 \
    exec bash scripts/demo.sh "$shots"
  LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 PELNIX_DEMO_EXE="$PWD/build/windows/dist/PelnixCpl.exe" \
    PELNIX_DEMO_VIRTUAL=2 bash scripts/demo.sh "$shots/real"
fi
if [ -x scripts/demo.sh ] && [ -f build/windows/demo/PelnixCpl.exe ]; then
  [ -n "${DISPLAY:-}" ] && exec bash scripts/demo.sh "$shots"
  # Wine takes the system's language from LANG.
  for lang in en:en_US zh:zh_CN ja:ja_JP; do
    LANG=${lang#*:}.UTF-8 LC_ALL=${lang#*:}.UTF-8 bash scripts/demo.sh "$shots/demo-${lang%%:*}"
  done
  prefix150=$PWD/build/windows/wineprefix-150
  bash scripts/wine-prefix.sh init "$prefix150" x11
  DISPLAY= WINEPREFIX=$prefix150 /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' \
    /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1
  WINEPREFIX=$prefix150 /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
  LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 PELNIX_DEMO_PREFIX=$prefix150 bash scripts/demo.sh "$shots/demo-en-150"
  # Region calibration with the mouse: the demo build inside a Wine virtual desktop of its own
  # under Xvfb, a region drawn, calibrated with four clicks, and the list after it.
  mkdir -p "$shots/demo-region" && bash scripts/region-mouse.sh "$shots/demo-region"
  echo "screenshots in $shots: real (dist/PelnixCpl.exe, virtual touch screens); demo-en, demo-zh,"
  echo "demo-ja, demo-en-150 and demo-region (the demo build)"
  exit 0
fi

# Without the demo: the real program finds no touch screen here and says so in a message box,
# which this closes after a few seconds.
echo "== PelnixCpl.exe (no touch screen attached) =="
/usr/lib/wine/wine64 build/windows/dist/PelnixCpl.exe </dev/null &
pid=$!
sleep 8
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
bash scripts/wine-prefix.sh stop "$prefix"
