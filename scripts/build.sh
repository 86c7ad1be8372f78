#!/usr/bin/env bash
# Configures and builds into build/ (Release). Extra arguments go to the CMake configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ZANMO_BUILD_DIR:-$root/build}"
gen=()
command -v ninja >/dev/null && [ ! -f "$build/CMakeCache.txt" ] && gen=(-G Ninja)
cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
