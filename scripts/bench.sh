#!/usr/bin/env bash
# Builds Release with the benches, makes the two bench databases once (then reuses them), runs every
# bench and prints one table: figure, ours, limit, ratio, target, PASS/MISS.
# Usage: scripts/bench.sh [--runs N] [--no-generate] [--day YYYYMMDD] [--sqlite3 PATH] [--lookup-only]
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
# The scale: memory must follow the goods listed, not the ledger's rows.
database "$base/huge" --goods 100000 --rows 10000000
export QT_QPA_PLATFORM=offscreen
echo "stock engine (bench_generate_stock):"
"$bin/bench_generate_stock" "$base/big" | sed 's/^/  /'
"$bin/bench_all" "$base/big" "$base/goods" "$@"
[[ " $* " == *" --lookup-only "* ]] && exit 0
echo
echo "current-stock list at scale (bench_stock_list, 100,000 goods, 10,000,000 ledger rows):"
"$bin/bench_stock_list" "$base/huge" | sed 's/^/  /'
echo "the same list on the 1,000,000-row database, for the memory beside it:"
"$bin/bench_stock_list" "$base/big" | sed 's/^/  /' | grep -E 'peak|report:'

