#!/usr/bin/env bash
# A private throwaway PostgreSQL cluster for the tests: its own data folder and socket under one folder,
# run as an unprivileged user, reached only through that socket.
#   pg-cluster.sh start DIR   creates (first time) and starts the cluster in DIR; prints the server address
#   pg-cluster.sh stop DIR    stops it
#   pg-cluster.sh url DIR     prints the address the tests and tools take
set -euo pipefail

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop|url DIR" >&2; exit 2; }

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bindir/initdb" ] || { echo "PostgreSQL server programs not found (postgresql package)" >&2; exit 1; }

owner=$(id -un)
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  # The server refuses to run as root; the cluster belongs to the unprivileged postgres (or nobody) account.
  owner=postgres
  id -u "$owner" >/dev/null 2>&1 || owner=nobody
  as_owner=(runuser -u "$owner" --)
fi

url() {
  echo "postgresql:///postgres?host=$dir/socket&port=5439&user=zelkova"
}

case "$cmd" in
start)
  mkdir -p "$dir/socket"
  [ "$(id -u)" -eq 0 ] && chown -R "$owner" "$dir"
  chmod 0700 "$dir"
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    "${as_owner[@]}" "$bindir/initdb" -D "$dir/data" -U zelkova --auth=trust -E UTF8 --locale=C.UTF-8 \
      >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  fi
  # Throwaway data: durability is not wanted, speed is.
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir/socket -p 5439 -c listen_addresses='' -c fsync=off -c synchronous_commit=off \
-c full_page_writes=off -c max_connections=200 -c shared_buffers=128MB" start >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
  # The socket folder is the cluster owner's; the tests run as the calling user.
  chmod 0755 "$dir" "$dir/socket"
  url
  ;;
stop)
  [ -f "$dir/data/postmaster.pid" ] && "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  ;;
url)
  url
  ;;
*)
  echo "usage: $0 start|stop|url DIR" >&2
  exit 2
  ;;
esac
