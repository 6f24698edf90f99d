#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine in the build's own prefix; each prints its
# figures beside its goals and the load of the machine before and after (figures taken on a
# busy machine say more about the machine than about the program).
#   bash scripts/bench.sh                    all three
#   bash scripts/bench.sh device update      some of them: device, main_window, update
set -euo pipefail
cd "$(dirname "$0")/.."

benches=("$@")
[ ${#benches[@]} -gt 0 ] || benches=(device main_window update)

cmake --preset windows >/dev/null
cmake --build --preset windows --target "${benches[@]/%/_bench}"

prefix="$PWD/build/windows/wineprefix"
bash scripts/wine-prefix.sh init "$prefix" null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=d;mshtml=d'
cd build/windows/tests/bench
for bench in "${benches[@]}"; do
  echo "== ${bench}_bench =="
  /usr/lib/wine/wine64 "${bench}_bench.exe" </dev/null
  echo
done
