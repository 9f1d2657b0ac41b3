#!/usr/bin/env bash
# The project's two commands:
#   tools/dev.sh run    install what building and running need, build the program alone, start it
#   tools/dev.sh test   install the rest as well, build everything, check it with clang-tidy, run
#                       every test (also under ASan/UBSan), then each fuzz target briefly
set -euo pipefail
cd "$(dirname "$0")/.."

# What building the program and running it need.
run_packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev libsqlite3-dev libxcb1-dev
    # loaded at run time: the Tahoma clone, Qt's Hungarian translations, Wayland sessions
    fonts-wine qt6-translations-l10n qt6-wayland
)
# What only the tests, the benchmarks and the fuzzers need.
test_packages=(
    libbenchmark-dev hyperfine
    xvfb xauth openbox x11-utils wmctrl xdotool weston
    # the tests' own X session manager, which ends the program as a logout does
    libsm-dev libice-dev
    dbus-daemon dbus-session-bus-common at-spi2-core libglib2.0-bin
    # a leftover copy's ACL, and a FUSE view of a folder
    acl bindfs fuse3
    clang libclang-rt-14-dev clang-tidy
    # the package and its checks, and the Windows resource compiler for checking Tornevi.rc
    desktop-file-utils appstream lintian dpkg-dev file man-db libxml2-utils binutils-mingw-w64-x86-64
)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build <preset> [target]
build() {
    cmake --preset "$1" >/dev/null
    if [ $# -gt 1 ]; then
        cmake --build --preset "$1" --target "$2"
    else
        cmake --build --preset "$1"
    fi
}

case "${1:-}" in
run)
    install_missing "${run_packages[@]}"
    build default Tornevi
    # The program writes its working copy into the current directory.
    cd build/default
    exec ./app/Tornevi
    ;;
test)
    install_missing "${run_packages[@]}" "${test_packages[@]}"
    build default
    # Our sources against .clang-tidy, from the default build's compilation database (with its
    # generated headers in place); any finding fails the run.
    run-clang-tidy -p build/default -j 2 -quiet "^$(pwd -P)/(app|bench|models|store|tests|tools|widgets|windows)/.*\.cpp\$"
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
