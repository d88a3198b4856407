#!/usr/bin/env bash
# Installs the build into a fresh prefix, builds the consumer example against the
# installed package, and runs it and the installed zel with an empty environment: the
# programs must find their libraries from any prefix by themselves.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR AUTOPILOT_LIBRARY
set -euo pipefail
build=$1
source=$2
autopilot=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix with space"
cmake --install "$build" --prefix "$prefix" >/dev/null
# Only the public headers, all under zel/.
test -f "$prefix/include/zel/host/Component.h"
test ! -e "$prefix/include/zel/components/ConstantTimeEqual.h"
test ! -e "$prefix/include/zel/host/FormParser.h"
test -z "$(ls "$prefix/include" | grep -v '^zel$')"
test -f "$prefix/lib/pkgconfig/zel.pc"
test -f "$prefix/share/doc/zel/LICENSE"
cmake -S "$source/examples/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
# The same program built with pkg-config alone.
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs zel)
eval "g++ -o '$work/by-pkg-config' '$source/examples/consumer/main.cpp' $flags"
# Code written before the host's headers moved into their rooms still builds: each old path
# forwards; what is a room's own (detail/) is not installed.
test -f "$prefix/include/zel/host/core/Component.h"
test -z "$(find "$prefix/include" -name detail)"
for header in "$prefix/include/zel/host/"*.h; do
    echo "#include <zel/host/$(basename "$header")>"
done >"$work/old-paths.cpp"
test "$(wc -l <"$work/old-paths.cpp")" -ge 25
eval "g++ -fsyntax-only '$work/old-paths.cpp' $flags"
cd "$work"
env -i "$prefix/bin/zel" example shop >/dev/null
env -i "$prefix/bin/zel" --version
env -i "$work/consumer/zel_consumer" shop/main.dfm clerk clerk
env -i "$work/by-pkg-config" shop/main.dfm admin admin
# The Qt lines, with nothing but find_package and zel::qt (the standard comes with it)...
cmake -S "$source/examples/qt-rights" -B "$work/qt-rights" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/qt-rights" >/dev/null
# ...and with pkg-config zel-qt alone, run on a database that is not there: refused, no abort.
cat >"$work/qt-main.cpp" <<'CPP'
#include "AddRights.h"
#include <QApplication>
#include <iostream>
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    try {
        AddRights(window, "no-such-folder/shop.db");
    } catch (const std::exception& e) {
        std::cout << "refused: " << e.what() << '\n';
        return 0;
    }
    return 1;
}
CPP
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs zel-qt)
eval "g++ -o '$work/qt-by-pkg-config' -I'$source/examples/qt-rights' '$work/qt-main.cpp' \
    '$source/examples/qt-rights/AddRights.cpp' $flags"
env -i QT_QPA_PLATFORM=offscreen "$work/qt-by-pkg-config" | grep -q '^refused: '
# The Designer plugin where Designer looks, loadable; a window of ZEL widgets compiled by uic
# against the installed package, run on the example shop's table.
plugins=$(echo "$prefix"/lib/*/qt6/plugins)
test -f "$plugins/designer/libzel_designer.so"
cmake -S "$source/examples/qt-designer" -B "$work/qt-designer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/qt-designer" >/dev/null
(cd "$work/shop" && env -i QT_QPA_PLATFORM=offscreen "$work/qt-designer/rights_window" clerk clerk) \
    >"$work/window.txt"
grep -qx 'mnuOrderNew disabled' "$work/window.txt"
grep -qx 'mnuFileOpen enabled' "$work/window.txt"
# The README's quick start, its blocks exactly as they stand, built against the installed
# package and run offscreen by the autopilot (tests/quickstart/): the administrator logs in,
# opens the administration dialog and closes it; then on a table that is not there.
quick="$work/quickstart"
mkdir -p "$quick"
for file in CMakeLists.txt main.cpp; do
    awk -v name="$file" '
        $0 == "<!-- quick start: " name " -->" { want = 1; next }
        want && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$source/README.md" >"$quick/$file"
    test -s "$quick/$file"
done
cmake -S "$quick" -B "$quick/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$quick/build" >/dev/null
run_quick() {
    env -i QT_QPA_PLATFORM=offscreen LD_PRELOAD="$autopilot" ZEL_AUTOPILOT_LOGIN=admin:admin \
        timeout 60 "$quick/build/my_app" "$@"
}
run_quick shop/shop.db >"$work/quick.out"
grep -qx 'logged in: mnuAdminUsers enabled' "$work/quick.out"
grep -qx 'administration: 4 users' "$work/quick.out"
grep -qx 'closed: mnuAdminUsers enabled' "$work/quick.out"
status=0
run_quick no-such-folder/shop.db >"$work/quick-missing.out" || status=$?
test "$status" -eq 1
grep -q '^box: Cannot open the user table: ' "$work/quick-missing.out"
