#!/usr/bin/env bash
# Sets up the machine, builds the optimised program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)" --target vizmar

has_camera=false
for node in /dev/video*; do
  if [ -e "$node" ]; then
    has_camera=true
    break
  fi
done
if [ "$has_camera" = false ] && [ -z "${VIZMAR_CAMERA:-}" ]; then
  export VIZMAR_CAMERA=virtual
  echo "No video device in /dev: starting with the virtual camera (VIZMAR_CAMERA=virtual)."
fi

exec build/default/src/app/vizmar
