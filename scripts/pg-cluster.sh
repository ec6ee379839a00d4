#!/usr/bin/env bash
# A private throwaway PostgreSQL cluster for the tests: its own data folder and socket under one folder,
# run as an unprivileged user, reached only through that socket.
#   pg-cluster.sh start DIR [PORT]            creates (first time) and starts the cluster in DIR (port 5439
#                                             unless given); prints the server address
#   pg-cluster.sh standby DIR PRIMARY [PORT]  makes DIR a standby of the cluster in PRIMARY (pg_basebackup -R,
#                                             port 5440 unless given), starts it and prints its address
#   pg-cluster.sh restart DIR                 restarts the server (pg_ctl restart -m fast), back when it accepts
#   pg-cluster.sh promote DIR                 promotes a standby to primary, back when it accepts writes
#   pg-cluster.sh stop DIR                    stops it
#   pg-cluster.sh url DIR                     prints the address the tests and tools take
set -euo pipefail

cmd=${1:-}
dir=${2:-}
usage="usage: $0 start DIR [PORT] | standby DIR PRIMARY [PORT] | restart|promote|stop|url DIR"
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "$usage" >&2; exit 2; }

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

port_of() {
  cat "$1/port" 2>/dev/null || echo 5439
}

url() {
  echo "postgresql:///postgres?host=$dir/socket&port=$(port_of "$dir")&user=zelkova"
}

# Starts the server of DIR/data on DIR's socket and port.
run_server() {
  # Throwaway data: durability is not wanted, speed is. A clean shutdown still hands every commit to a
  # connected standby before the server stops; a standby whose primary restarted streams again soon.
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir/socket -p $(port_of "$dir") -c listen_addresses='' -c fsync=off -c synchronous_commit=off \
-c full_page_writes=off -c max_connections=200 -c shared_buffers=128MB -c wal_retrieve_retry_interval=200ms" \
    start >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
  # The socket folder is the cluster owner's; the tests run as the calling user.
  chmod 0755 "$dir" "$dir/socket"
}

prepare_dir() {
  mkdir -p "$dir/socket"
  echo "$1" >"$dir/port"
  [ "$(id -u)" -eq 0 ] && chown -R "$owner" "$dir"
  chmod 0700 "$dir"
}

case "$cmd" in
start)
  prepare_dir "${3:-$(port_of "$dir")}"
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    "${as_owner[@]}" "$bindir/initdb" -D "$dir/data" -U zelkova --auth=trust -E UTF8 --locale=C.UTF-8 \
      >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  fi
  run_server
  url
  ;;
standby)
  primary=${3:-}
  [ -n "$primary" ] || { echo "$usage" >&2; exit 2; }
  prepare_dir "${4:-5440}"
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    # A copy of the running primary that follows it (standby.signal and primary_conninfo, from -R).
    "${as_owner[@]}" "$bindir/pg_basebackup" -D "$dir/data" -R -X stream -c fast \
      -h "$primary/socket" -p "$(port_of "$primary")" -U zelkova >"$dir/basebackup.log" 2>&1 ||
      { cat "$dir/basebackup.log" >&2; exit 1; }
  fi
  run_server
  url
  ;;
restart)
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -m fast -w -t 60 restart >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
  ;;
promote)
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -w -t 60 promote >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
  ;;
stop)
  [ -f "$dir/data/postmaster.pid" ] && "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  ;;
url)
  url
  ;;
*)
  echo "$usage" >&2
  exit 2
  ;;
esac
