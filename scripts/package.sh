#!/usr/bin/env bash
# Builds the program alone in the package preset and makes a Debian package of it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset package
cmake --build --preset package -j "$(nproc)"
(cd build/package && cpack)
ls build/package/packages/*.deb
