#!/usr/bin/env bash
# Builds Release with the benches, makes the two bench databases once (then reuses them), runs every
# bench and prints one table: figure, ours, limit, ratio, target, PASS/MISS.
# Usage: scripts/bench.sh [--runs N] [--no-generate] [--day YYYYMMDD] [--sqlite3 PATH]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" -DZANMO_BUILD_BENCH=ON
bin="${ZANMO_BUILD_DIR:-$root/build}/bin"
base=/tmp/zanmo-bench
database() {
  local dir=$1
  shift
  if [ ! -f "$dir/data1.dat" ]; then
    mkdir -p "$base"
    "$bin/zanmo-tool" generate "$dir" "$@"
  fi
}
database "$base/big" --goods 10000 --rows 1000000
database "$base/goods" --goods 100000 --rows 1000
export QT_QPA_PLATFORM=offscreen
echo "stock engine (bench_generate_stock):"
"$bin/bench_generate_stock" "$base/big" | sed 's/^/  /'
"$bin/bench_all" "$base/big" "$base/goods" "$@"
