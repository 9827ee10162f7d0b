#!/usr/bin/env bash
# A private PostgreSQL server for the tests, in a folder of its own: reached only through a
# Unix socket in that folder (no network port), run as an ordinary user because the server
# refuses root, and removed with its folder when stopped.
#   eval "$(scripts/pg-test-server.sh start DIR)"   starts it; prints the export of DORVANE_TEST_PG
#   scripts/pg-test-server.sh stop DIR              stops it and removes DIR
#   scripts/pg-test-server.sh pause|resume DIR      stops it keeping its data, starts it again
set -euo pipefail

command=${1:-} dir=${2:-}
case "$command" in start|stop|pause|resume) ;; *) command= ;; esac
if [ -z "$dir" ] || [ -z "$command" ]; then
  echo "usage: $0 start|stop|pause|resume DIR" >&2
  exit 2
fi
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
if [ -z "$bin" ]; then
  echo "PostgreSQL's server programs are not installed (package postgresql)" >&2
  exit 1
fi

# The server's own user when the package made one, else nobody.
user=postgres
id "$user" >/dev/null 2>&1 || user=nobody
as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups "$@"
  else
    "$@"
  fi
}

case "$command" in
  start)
    mkdir -p "$dir/data" "$dir/socket"
    [ "$(id -u)" -eq 0 ] && chown -R "$user" "$dir"
    chmod 755 "$dir" "$dir/socket"
    as_server_user "$bin/initdb" -D "$dir/data" -U dorvane --auth=trust -E UTF8 --no-locale >"$dir/initdb.log" 2>&1 ||
      { cat "$dir/initdb.log" >&2; exit 1; }
    "$0" resume "$dir"
    as_server_user "$bin/createdb" -h "$dir/socket" -U dorvane dorvane_test
    echo "export DORVANE_TEST_PG='host=$dir/socket user=dorvane dbname=dorvane_test'"
    ;;
  resume)
    # fsync off: a test server's data need not survive a power cut.
    as_server_user "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-k $dir/socket -c listen_addresses='' -c fsync=off -c max_connections=200" start >/dev/null ||
      { cat "$dir/server.log" >&2; exit 1; }
    ;;
  pause)
    as_server_user "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
    ;;
  stop)
    if [ -f "$dir/data/postmaster.pid" ]; then
      as_server_user "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    fi
    rm -rf "$dir"
    ;;
esac
