#!/usr/bin/env bash
# Builds the firmware image fuzz target with clang (native preset, PELNIX_FUZZ on) and runs it
# for a short while from the seed corpus. Usage: scripts/fuzz.sh [seconds] (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build=${PELNIX_FUZZ_BUILD:-build/fuzz}
cmake --preset native -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DPELNIX_FUZZ=ON >/dev/null
cmake --build "$build" --target update_image_fuzzer

# New inputs go to a scratch folder; the seed corpus in the tree stays as it is.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/tests/fuzz/update_image_fuzzer" -max_total_time="$seconds" -max_len=16384 \
  -print_final_stats=1 "$scratch" tests/fuzz/corpus
