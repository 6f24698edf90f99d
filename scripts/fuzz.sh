#!/usr/bin/env bash
# Builds the fuzz targets with clang (native preset, PELNIX_FUZZ on) and runs each for a share
# of a short while from its seed corpus: the firmware image reader, the configuration import's
# section list and value rules with the export's merge, and the LED test decoder.
# Usage: scripts/fuzz.sh [seconds] (default 20, in all, shared between the targets).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build=${PELNIX_FUZZ_BUILD:-build/fuzz}
cmake --preset native -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DPELNIX_FUZZ=ON >/dev/null

# target, maximum input length, seed corpus
targets=(
  "update_image_fuzzer 16384 tests/fuzz/corpus"
  "config_import_fuzzer 8192 tests/fuzz/config_corpus"
  "led_report_fuzzer 8192 tests/fuzz/led_corpus"
)
names=()
for entry in "${targets[@]}"; do names+=("${entry%% *}"); done
cmake --build "$build" --target "${names[@]}"

each=$(( seconds / ${#targets[@]} ))
[ "$each" -ge 1 ] || each=1

# New inputs go to a scratch folder; the seed corpora in the tree stay as they are.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for entry in "${targets[@]}"; do
  read -r target max_len corpus <<<"$entry"
  mkdir -p "$scratch/$target"
  "$build/tests/fuzz/$target" -max_total_time="$each" -max_len="$max_len" \
    -print_final_stats=1 "$scratch/$target" "$corpus"
done
