#!/usr/bin/env bash
# Builds the Debian package and checks it: what `cmake --install` places, the desktop
# entry, the package's declared dependencies and files.
#
#   ./scripts/package.sh             # build/kvconsole_<version>_<arch>.deb, checked
#   ./scripts/package.sh --install   # also install it with apt-get, list it with dpkg -L,
#                                    # start the installed kvconsole (offscreen), remove it
#
#   KV_BUILD_DIR   build directory (default: build-release/ in the repository)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KV_BUILD_DIR:-$root/build-release}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

"$root/scripts/setup.sh"
# The package holds kvconsole and kvemu only: installing needs no other target built.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target kvconsole kvemu

stage="$(mktemp -d /tmp/kvstage.XXXXXX)"
trap 'rm -rf "$stage"' EXIT
echo "== cmake --install (into a staging directory, prefix /usr)"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
(cd "$stage" && find . -type f | sort)
desktop="$stage/usr/share/applications/kvconsole.desktop"
for key in Name Exec Icon Categories Terminal; do
    grep -q "^$key=" "$desktop" || { echo "desktop entry lacks $key" >&2; exit 1; }
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop"
fi

echo "== cpack -G DEB"
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build"/kvconsole_*.deb | head -1)"
echo "$deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
dpkg-deb --contents "$deb" | awk '{ print $NF }' | grep -v '/$'

if [ "${1:-}" = "--install" ]; then
    echo "== apt-get install $deb"
    $sudo apt-get install -y -qq "$deb" >/dev/null
    dpkg -L kvconsole | grep -E 'bin/|\.desktop|\.svg'
    # Headless: the start-up question answers itself, no port answers, a picture, the end.
    work="$(mktemp -d /tmp/kvinstalled.XXXXXX)"
    (cd "$work" && QT_QPA_PLATFORM=offscreen KV_DEMO_AUTOCONNECT=1 KV_COM1=/nonexistent \
        KV_DEMO_SCREENSHOT="$work/installed.png" /usr/bin/kvconsole 2>/dev/null)
    echo "installed kvconsole started and drew its window: $work/installed.png"
    $sudo apt-get remove -y -qq kvconsole >/dev/null
    echo "removed again"
fi
