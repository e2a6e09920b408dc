#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests and benchmarks: Unix socket only, in a temporary
# folder, run by an unprivileged user (nobody when started as root).
#   pg_cluster.sh start        prints the lines to eval: VELTOR_TEST_PGHOST=… PORT, USER, DIR
#   pg_cluster.sh stop DIR     stops it and removes the folder
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
as_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}
case "${1:-}" in
start)
  if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "PostgreSQL is not installed" >&2
    exit 1
  fi
  dir=$(mktemp -d /tmp/veltor-pg.XXXXXX)
  chmod 755 "$dir"
  [ "$(id -u)" = 0 ] && chown nobody "$dir"
  port=5439
  as_owner "$bin/initdb" -D "$dir/data" -U veltor --auth=trust -E UTF8 --no-locale >"$dir/initdb.log" 2>&1
  as_owner mkdir -p "$dir/socket"
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir/socket' -p $port -c fsync=off -c max_connections=60" \
    start >/dev/null
  echo "export VELTOR_TEST_PGHOST='$dir/socket' VELTOR_TEST_PGPORT=$port VELTOR_TEST_PGUSER=veltor VELTOR_TEST_PGDIR='$dir'"
  ;;
stop)
  dir=${2:?folder of the cluster}
  as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start | stop DIR" >&2
  exit 2
  ;;
esac
