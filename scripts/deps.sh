# Sourced by the other scripts: installs the Debian packages a script needs, and only those
# that are missing, without asking anything.
#   zel_install_missing run    what building and running the example needs
#   zel_install_missing test   that, and what the tests and benchmarks need
#   zel_install_missing docs   that of run, and what the README's pictures need (Qt Designer
#                              on a virtual display, a hand to click in it, a screen grabber)
ZEL_RUN_PACKAGES="g++ cmake make libsqlite3-dev libcli11-dev nlohmann-json3-dev qt6-base-dev qt6-tools-dev libqt6opengl6-dev libsodium-dev libpq-dev pkg-config libqt6sql6-sqlite"
ZEL_TEST_PACKAGES="sqlite3 libgtest-dev libgmock-dev libbenchmark-dev postgresql clang libclang-rt-dev mariadb-server libqt6sql6-mysql"
ZEL_DOCS_PACKAGES="designer-qt6 xvfb xdotool imagemagick"

zel_install_missing() {
    packages=$ZEL_RUN_PACKAGES
    [ "${1:-run}" = test ] && packages="$packages $ZEL_TEST_PACKAGES"
    [ "${1:-run}" = docs ] && packages="$packages $ZEL_DOCS_PACKAGES"
    missing=""
    for package in $packages; do
        dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
    done
    if [ -z "$missing" ]; then
        echo "== Every package needed is installed" >&2
        return 0
    fi
    echo "== Installing:$missing" >&2
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
