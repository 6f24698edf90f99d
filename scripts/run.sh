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

# The program as a user gets it, against two virtual touch screens on Wine's HID stack; the
# demo build (simulated touch screens behind the HID seam) where the virtual device is not built.
shots=
if [ -f build/windows/virtual-touch-screen/virtual-touch.exe ]; then
  shots=${1:-build/windows/run-shots}
  PELNIX_DEMO_EXE="$PWD/build/windows/dist/PelnixCpl.exe" PELNIX_DEMO_VIRTUAL=2 \
    bash scripts/demo.sh "$shots"
elif [ -x scripts/demo.sh ] && [ -f build/windows/demo/PelnixCpl.exe ]; then
  shots=${1:-build/windows/demo-shots}
  bash scripts/demo.sh "$@"
fi
if [ -n "$shots" ]; then
  # Region calibration with the mouse: the demo build inside a Wine virtual desktop of its own
  # under Xvfb, a region drawn, calibrated with four clicks, and the list after it.
  [ -f build/windows/demo/PelnixCpl.exe ] && exec bash scripts/region-mouse.sh "$(realpath "$shots")"
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
