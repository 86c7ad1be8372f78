#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" -DZANMO_BUILD_TESTS=ON
export QT_QPA_PLATFORM=offscreen
cd "${ZANMO_BUILD_DIR:-$root/build}"
ctest --output-on-failure --parallel "$(nproc)" "$@"
