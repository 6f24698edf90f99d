#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine in the build's own prefix; each prints its
# figures beside its goals and the load of the machine before and after (figures taken on a
# busy machine say more about the machine than about the program).
#   bash scripts/bench.sh                    all four
#   bash scripts/bench.sh device update      some of them: device, main_window, update, calibration
# device and update also run in their mode on Wine's real HID stack (--real-stack): a virtual
# touch screen in a prefix of its own, dist/PelnixCpl.exe, beside the simulated figures.
set -euo pipefail
cd "$(dirname "$0")/.."

benches=("$@")
[ ${#benches[@]} -gt 0 ] || benches=(device main_window update calibration)

cmake --preset windows >/dev/null
cmake --build --preset windows --target "${benches[@]/%/_bench}" PelnixCpl pelnixvts virtual-touch

prefix="$PWD/build/windows/wineprefix"
bash scripts/wine-prefix.sh init "$prefix" null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'
# The calibration window stores its records through our PelnixLib.dll, found there.
export PELNIX_DIST_DIR="$PWD/build/windows/dist"
cd build/windows/tests/bench
for bench in "${benches[@]}"; do
  echo "== ${bench}_bench =="
  /usr/lib/wine/wine64 "${bench}_bench.exe" </dev/null
  echo
done

real=()
for bench in "${benches[@]}"; do
  case $bench in device|update) real+=("$bench") ;; esac
done
if [ ${#real[@]} -gt 0 ]; then
  cd ../../../..
  export WINEPREFIX="$PWD/build/windows/bench-real-prefix"
  bash scripts/wine-prefix.sh init "$WINEPREFIX" null
  bash scripts/wine-prefix.sh start "$WINEPREFIX"
  bash scripts/virtual-touch.sh plug 1 >/dev/null
  export PELNIX_DIST_DIR="$PWD/build/windows/dist"
  for bench in "${real[@]}"; do
    echo "== ${bench}_bench --real-stack =="
    /usr/lib/wine/wine64 "build/windows/tests/bench/${bench}_bench.exe" --real-stack </dev/null || true
    echo
  done
  bash scripts/virtual-touch.sh stop
  bash scripts/wine-prefix.sh stop "$WINEPREFIX"
fi
