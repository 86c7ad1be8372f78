#!/usr/bin/env bash
# Usage: scripts/run.sh [screen]   (1 receipts, 2 stock counts, 3 goods ledger, 4 stock list, 5 receipt/count list,
#                                  6 stocktaking from a file; without one, the launcher with all six)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" -DZANMO_BUILD_TESTS=OFF
bin="${ZANMO_BUILD_DIR:-$root/build}/bin"
if [ ! -f "$bin/data1.dat" ]; then
  echo "Creating a demo database in $bin/data1.dat"
  "$bin/zanmo-tool" init --demo "$bin"
fi
if [ $# -eq 0 ]; then exec "$bin/zanmo-menu"; fi
exec "$bin/zanmo" "$1"
