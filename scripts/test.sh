#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
ctest --preset native
bash scripts/fuzz.sh 20

cmake --preset windows
cmake --build --preset windows
ctest --preset windows
