#!/bin/sh
# A throwaway MariaDB server for the tests, reachable only through a Unix socket in a fresh
# temporary folder (networking off). Under root it runs as the unprivileged "mysql" user
# that Debian's package creates; the test user "zel" may do anything, with no password.
#
#   server.sh start POINTER   starts a server; POINTER (a file) gets its socket's path
#   server.sh stop POINTER    stops that server and removes its folder (no-op when none)
set -eu

action=${1:?start or stop}
pointer=${2:?pointer file}

owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    owner=mysql
    id "$owner" >/dev/null 2>&1 || owner=nobody
fi

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u "$owner" -- "$@"
    else
        "$@"
    fi
}

if ! command -v mariadbd >/dev/null 2>&1 && [ ! -x /usr/sbin/mariadbd ]; then
    echo "server.sh: MariaDB is not installed (Debian package mariadb-server)" >&2
    exit 1
fi
server=$(command -v mariadbd || echo /usr/sbin/mariadbd)
# Not on an ordinary user's PATH on Debian.
daemon=$(command -v start-stop-daemon || echo /usr/sbin/start-stop-daemon)

stop() {
    [ -f "$pointer" ] || return 0
    folder=$(sed -n 's/^# folder //p' "$pointer")
    rm -f "$pointer"
    case "$folder" in /tmp/zel-mariadb.*) ;; *) return 0 ;; esac
    if [ -f "$folder/server.pid" ]; then
        pid=$(cat "$folder/server.pid")
        kill -9 "$pid" 2>/dev/null || true
        # Gone before its folder is: a dying server may still write into it.
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -rf "$folder"
}

case "$action" in
stop)
    stop
    ;;
start)
    stop # a server left by an interrupted run goes first
    folder=$(mktemp -d /tmp/zel-mariadb.XXXXXX)
    chmod 755 "$folder"
    chown "$owner" "$folder"
    trap 'rm -rf "$folder"' EXIT
    as_owner mariadb-install-db --no-defaults --auth-root-authentication-method=normal \
        --datadir="$folder/data" --skip-test-db >"$folder/install.log" 2>&1 ||
        { cat "$folder/install.log" >&2; exit 1; }
    # No option files: a developer's own ~/.my.cnf must not change the test server. Detached
    # with every descriptor closed, so that nothing waits on the server's output (ctest waits
    # for whatever holds its pipe). The character set is Debian's default configuration's.
    chuid=""
    [ "$(id -u)" -eq 0 ] && chuid="--chuid $owner"
    # shellcheck disable=SC2086
    "$daemon" --start --background $chuid --pidfile "$folder/server.pid" \
        --exec "$server" -- --no-defaults \
        --datadir="$folder/data" --socket="$folder/socket" --pid-file="$folder/server.pid" \
        --skip-networking --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
        --innodb-flush-log-at-trx-commit=0 --innodb-buffer-pool-size=64M --max-connections=200 \
        --log-error="$folder/server.log"
    for _ in $(seq 600); do
        [ -S "$folder/socket" ] && [ -f "$folder/server.pid" ] && break
        sleep 0.1
    done
    [ -S "$folder/socket" ] || { cat "$folder/server.log" >&2; exit 1; }
    as_owner mariadb --no-defaults --socket="$folder/socket" -uroot -e \
        "CREATE USER zel@localhost; GRANT ALL ON *.* TO zel@localhost WITH GRANT OPTION;" ||
        { cat "$folder/server.log" >&2; exit 1; }
    trap - EXIT
    mkdir -p "$(dirname "$pointer")"
    printf '%s/socket\n# folder %s\n' "$folder" "$folder" >"$pointer"
    echo "MariaDB $("$server" --version | sed 's/.*Ver \([0-9.]*\).*/\1/') running in $folder"
    ;;
*)
    echo "server.sh: start or stop" >&2
    exit 2
    ;;
esac
