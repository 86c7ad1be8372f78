#!/usr/bin/env bash
# Builds Release with the benches and runs them on a large generated database (made once, then
# reused). Usage: scripts/bench.sh [arguments for bench_stock_list, e.g. --day YYYYMMDD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" -DZANMO_BUILD_BENCH=ON
bin="${ZANMO_BUILD_DIR:-$root/build}/bin"
db=/tmp/zanmo-bench/big
if [ ! -f "$db/data1.dat" ]; then
  mkdir -p "$(dirname "$db")"
  "$bin/zanmo-tool" generate "$db" --goods 10000 --rows 1000000
fi
export QT_QPA_PLATFORM=offscreen
"$bin/bench_stock_list" "$db" "$@"
echo
"$bin/bench_generate_stock" "$db"
