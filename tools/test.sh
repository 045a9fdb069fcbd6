#!/usr/bin/env bash
# Sets up, builds and runs every test. Usage: tools/test.sh [preset]   (dev by default; asan too)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
bash tools/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset"
