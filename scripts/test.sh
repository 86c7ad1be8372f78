#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite through CTest, the
# server half against a throw-away PostgreSQL cluster of its own (127.0.0.1 only, removed after).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --tests
"$root/scripts/build.sh" -DZANMO_BUILD_TESTS=ON
export QT_QPA_PLATFORM=offscreen

cluster=""
stop_cluster() { [ -n "$cluster" ] && "$root/scripts/pg-cluster.sh" stop "$cluster"; cluster=""; }
trap stop_cluster EXIT
set +e
started=$("$root/scripts/pg-cluster.sh" start)
status=$?
set -e
if [ $status -eq 0 ]; then
  export ${started?}
  cluster=$ZANMO_TEST_PGDIR
  echo "PostgreSQL test server on 127.0.0.1:$ZANMO_TEST_PGPORT"
elif [ $status -eq 3 ]; then
  echo "SKIP: PostgreSQL is not installed: the server half of the tests (*-pg) is skipped"
else
  echo "The PostgreSQL test server did not start (see above)" >&2
  exit 1
fi

cd "${ZANMO_BUILD_DIR:-$root/build}"
ctest --output-on-failure --parallel "$(nproc)" "$@"
