#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and shows it working under Wine:
# the help banner of the console, then the control panel itself (the demo build with two
# simulated touch screens when it is built, on this display or under Xvfb, with screenshots).
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

if [ -x scripts/demo.sh ] && [ -f build/windows/demo/PelnixCpl.exe ]; then
  [ -n "${DISPLAY:-}" ] && exec bash scripts/demo.sh "$@"
  # Under Xvfb: the shots in English, Chinese and Japanese (Wine takes the system's language
  # from LANG), then in English at 150 % (LogPixels 144 in a prefix of its own).
  shots=$(mkdir -p "${1:-build/windows/demo-shots}" && realpath "${1:-build/windows/demo-shots}")
  for lang in en:en_US zh:zh_CN ja:ja_JP; do
    LANG=${lang#*:}.UTF-8 LC_ALL=${lang#*:}.UTF-8 bash scripts/demo.sh "$shots/${lang%%:*}"
  done
  prefix150=$PWD/build/windows/wineprefix-150
  bash scripts/wine-prefix.sh init "$prefix150" x11
  DISPLAY= WINEPREFIX=$prefix150 /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' \
    /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1
  WINEPREFIX=$prefix150 /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 || true
  LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 PELNIX_DEMO_PREFIX=$prefix150 bash scripts/demo.sh "$shots/en-150"
  echo "screenshots in $shots: en, zh, ja and en-150"
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
