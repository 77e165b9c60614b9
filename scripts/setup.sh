#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 (bookworm) machine, for one job:
#   setup.sh demo         the Linux library, tools and the demo (scripts/demo.sh)
#   setup.sh [test]       everything: also GoogleTest and Google Benchmark, the
#                         Windows cross compilers, wine,
#                         Xvfb for the window tests, clang for fuzzing and
#                         clang-format for the style check,
#                         packaging tools (scripts/test.sh, CI)
# Quick when everything is already there; never asks anything.
set -euo pipefail

# Every job: compilers, build tools and the libraries of the Linux library
# and tools.
BASE_PACKAGES=(
    build-essential cmake ninja-build ccache
    libfltk1.3-dev libcurl4-openssl-dev
)
# The full test run only.
TEST_PACKAGES=(
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool x11-apps imagemagick
    mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine64 wine32:i386
    clang libclang-rt-14-dev llvm clang-format python3-pyftpdlib
    locales valgrind
    file pkg-config unzip
)

# The tests read and write numbers under a Polish locale (decimal comma).
TEST_LOCALE=pl_PL.UTF-8
have_locale() { locale -a 2>/dev/null | grep -qix 'pl_PL\.utf-\?8'; }
make_locale() {
    have_locale && return 0
    if [[ "$(id -u)" -ne 0 ]]; then
        echo "setup: locale $TEST_LOCALE missing; run as root to generate it (tests that need it skip)" >&2
        return 0
    fi
    localedef -i pl_PL -f UTF-8 "$TEST_LOCALE" || echo "setup: could not generate $TEST_LOCALE" >&2
}

job="${1:-test}"
case "$job" in
    demo) PACKAGES=("${BASE_PACKAGES[@]}") ;;
    test) PACKAGES=("${BASE_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
    *)
        echo "usage: $0 [demo|test]" >&2
        exit 2
        ;;
esac

installed() {
    [[ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" == "ii " ]]
}

missing=()
for p in "${PACKAGES[@]}"; do
    installed "$p" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    if [[ "$job" == test ]]; then make_locale; fi
    echo "setup: all ${#PACKAGES[@]} packages of the $job job present"
    exit 0
fi
echo "setup: installing ${missing[*]}"

if [[ "$(id -u)" -ne 0 ]]; then
    if command -v sudo >/dev/null; then
        exec sudo -n env CI="${CI:-}" bash "$0" "$@"
    fi
    echo "setup: must run as root (or with sudo) to install packages" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

apt_get() {
    apt-get -y -q -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
        -o Dpkg::Use-Pty=0 "$@" </dev/null
}
# One retry: a mirror can hiccup.
apt_get update || { sleep 5; apt_get update; }
apt_get install "${missing[@]}" || { sleep 5; apt_get update && apt_get install "${missing[@]}"; }

still=()
for p in "${PACKAGES[@]}"; do
    installed "$p" || still+=("$p")
done
if ((${#still[@]})); then
    echo "setup: still missing after install: ${still[*]}" >&2
    exit 1
fi
if [[ "$job" == test ]]; then make_locale; fi
echo "setup: done"
