#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test in the optimised and the sanitizer build,
# and the imaging tests again with the core built for baseline x86-64 and for AVX2 processors
# alone, so that the versions of its loops this machine does not pick are tested too.
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

for preset in x86-64 x86-64-v3; do
  echo "== imaging core for $preset only =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs" --target tests/imaging/all
  ctest --test-dir "build/$preset/tests/imaging" --output-on-failure -j "$jobs"
done
