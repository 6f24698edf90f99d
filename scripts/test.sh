#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
ctest --preset native
bash scripts/fuzz.sh 20
# The portable device core again under ThreadSanitizer: the hot-plug torture.
cmake --preset native-tsan
cmake --build --preset native-tsan
ctest --preset native-tsan

cmake --preset windows
cmake --build --preset windows
ctest --preset windows
# Again against rough touch screens (late echoes, jittered replies, the 32-report buffer), for
# every test that talks to the simulated touch screen (the real-stack tests talk to none), with
# each program's cases in a random order (each prints its seed; GTEST_RANDOM_SEED repeats one).
GTEST_SHUFFLE=1 PELNIX_SIM_ROUGH=1 ctest --preset windows -E '^(manual_pdf_test.*|msi_package_test|real_stack_.*|release_.*)$'
