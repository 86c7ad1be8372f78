#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests: initdb into a temporary folder, listening on
# 127.0.0.1 only, trust authentication for its one superuser "zanmo"; UTF8 text with the C locale, so
# text compares as on SQLite.
#   scripts/pg-cluster.sh start   prints the folder and the port (ZANMO_TEST_PGDIR=... ZANMO_TEST_PGPORT=...)
#   scripts/pg-cluster.sh stop DIR
# and, for tests that see the server go away and come back (on a cluster of their own):
#   scripts/pg-cluster.sh restart DIR   a fast restart: every client's connection ends
#   scripts/pg-cluster.sh down DIR      stops the server, keeping the folder
#   scripts/pg-cluster.sh up DIR        starts it again on the same port
# Exits 3 when PostgreSQL's server programs are not installed.
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "PostgreSQL server programs not found" >&2
  exit 3
fi

# The server refuses to run as root; root runs it as the package's own user.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

case "${1:-}" in
start)
  dir=$(mktemp -d /tmp/zanmo-pg.XXXXXX)
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  chmod 700 "$dir"
  as_owner "$bindir/initdb" -D "$dir/data" -U zanmo --auth=trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  port=""
  for try in 1 2 3 4 5 6 7 8 9 10; do
    candidate=$((20000 + RANDOM % 20000))
    options="-c listen_addresses=127.0.0.1 -p $candidate -k $dir -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=60"
    if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -o "$options" \
      start >/dev/null 2>&1; then
      port=$candidate
      echo "$options" >"$dir/options"
      break
    fi
  done
  if [ -z "$port" ]; then
    cat "$dir/server.log" >&2 || true
    exit 1
  fi
  echo "ZANMO_TEST_PGDIR=$dir ZANMO_TEST_PGPORT=$port"
  ;;
stop)
  dir="${2:?folder}"
  # A server a test paused (SIGSTOP, when it ended before resuming it) hears no stop request.
  if [ -f "$dir/data/postmaster.pid" ]; then
    pid=$(head -1 "$dir/data/postmaster.pid")
    pkill -CONT -P "$pid" 2>/dev/null || true
    kill -CONT "$pid" 2>/dev/null || true
  fi
  as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$dir"
  ;;
restart)
  dir="${2:?folder}"
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -m fast -w -t 30 restart >/dev/null
  ;;
down)
  dir="${2:?folder}"
  as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 30 stop >/dev/null
  ;;
up)
  dir="${2:?folder}"
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -o "$(cat "$dir/options")" start >/dev/null
  ;;
*)
  echo "usage: $0 start | stop DIR | restart DIR | down DIR | up DIR" >&2
  exit 2
  ;;
esac
