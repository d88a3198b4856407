# Sourced by the other scripts: installs the Debian packages the project needs, and only
# those that are missing, without asking anything.
ZEL_PACKAGES="g++ cmake make libsqlite3-dev sqlite3 libcli11-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev"

zel_install_missing() {
    missing=""
    for package in $ZEL_PACKAGES "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing" >&2
    if [ "$(id -u)" -ne 0 ]; then
        SUDO=sudo
    else
        SUDO=
    fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $missing
}
