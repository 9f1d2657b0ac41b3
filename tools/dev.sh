#!/usr/bin/env bash
# The project's two commands:
#   tools/dev.sh run    install what is missing, build, and start Tornevi
#   tools/dev.sh test   install what is missing, build, and run every test (also under ASan/UBSan),
#                       then each fuzz target briefly
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl1-mesa-dev
    libsqlite3-dev libxcb1-dev fonts-wine libbenchmark-dev
    xvfb xauth openbox x11-utils wmctrl xdotool weston qt6-wayland
    dbus-daemon dbus-session-bus-common at-spi2-core libglib2.0-bin
    hyperfine
    clang libclang-rt-14-dev
    # the package and its checks, and the Windows resource compiler for checking Tornevi.rc
    desktop-file-utils appstream lintian dpkg-dev file libxml2-utils binutils-mingw-w64-x86-64
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

case "${1:-}" in
run)
    install_missing
    build default
    # The program writes its working copy into the current directory.
    cd build/default
    exec ./app/Tornevi
    ;;
test)
    install_missing
    build default
    ctest --preset default -j2
    build asan
    ctest --preset asan -j2
    build fuzz
    ctest --preset fuzz
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
