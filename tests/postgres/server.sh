#!/bin/sh
# A throwaway PostgreSQL server for the tests, reachable only through a Unix socket in a
# fresh temporary folder (no TCP port). PostgreSQL refuses to run as root, so under root it
# runs as the unprivileged "postgres" user that Debian's package creates.
#
#   server.sh start POINTER   starts a server; POINTER (a file) gets its connection string
#   server.sh stop POINTER    stops that server and removes its folder (no-op when none)
set -eu

action=${1:?start or stop}
pointer=${2:?pointer file}

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u "$owner" -- "$@"
    else
        "$@"
    fi
}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ]; then
    echo "server.sh: PostgreSQL is not installed (Debian package postgresql)" >&2
    exit 1
fi
owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    owner=postgres
    id "$owner" >/dev/null 2>&1 || owner=nobody
fi

stop() {
    [ -f "$pointer" ] || return 0
    folder=$(sed -n 's/^# folder //p' "$pointer")
    rm -f "$pointer"
    case "$folder" in /tmp/zel-pg.*) ;; *) return 0 ;; esac
    if [ -d "$folder/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$folder"
}

case "$action" in
stop)
    stop
    ;;
start)
    stop # a server left by an interrupted run goes first
    folder=$(mktemp -d /tmp/zel-pg.XXXXXX)
    chown "$owner" "$folder"
    chmod 700 "$folder"
    trap 'rm -rf "$folder"' EXIT
    as_owner "$bindir/initdb" -D "$folder/data" -U zel -A trust -E UTF8 --no-locale \
        >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; exit 1; }
    as_owner "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$folder' -c fsync=off -c max_connections=200" \
        start >/dev/null || { cat "$folder/server.log" >&2; exit 1; }
    trap - EXIT
    mkdir -p "$(dirname "$pointer")"
    printf 'host=%s port=5432 user=zel dbname=postgres\n# folder %s\n' "$folder" "$folder" >"$pointer"
    echo "PostgreSQL $("$bindir/postgres" --version | sed 's/^[^0-9]*\([0-9.]*\).*/\1/') running in $folder"
    ;;
*)
    echo "server.sh: start or stop" >&2
    exit 2
    ;;
esac
