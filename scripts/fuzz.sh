#!/usr/bin/env bash
# Builds the fuzz targets with clang (native preset, PELNIX_FUZZ on) and runs each for a short
# while from its seed corpus: the firmware image reader, then the configuration import's
# section list and value rules with the export's merge. The time is shared between them.
# Usage: scripts/fuzz.sh [seconds] (default 20, in all).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build=${PELNIX_FUZZ_BUILD:-build/fuzz}
cmake --preset native -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DPELNIX_FUZZ=ON >/dev/null
cmake --build "$build" --target update_image_fuzzer config_import_fuzzer

each=$(( seconds / 2 > 0 ? seconds / 2 : 1 ))
# New inputs go to a scratch folder; the seed corpora in the tree stay as they are.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/update" "$scratch/config"
"$build/tests/fuzz/update_image_fuzzer" -max_total_time="$each" -max_len=16384 \
  -print_final_stats=1 "$scratch/update" tests/fuzz/corpus
"$build/tests/fuzz/config_import_fuzzer" -max_total_time="$each" -max_len=8192 \
  -print_final_stats=1 "$scratch/config" tests/fuzz/config_corpus
