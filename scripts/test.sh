#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test in the optimised and the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

for preset in default asan; do
  echo "== $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
