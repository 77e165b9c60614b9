#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 (bookworm) machine, for one job:
#   setup.sh demo         the Linux library, tools and the demo (scripts/demo.sh)
#   setup.sh [test]       everything: also GoogleTest and Google Benchmark, the
#                         Windows cross compilers, wine,
#                         Xvfb for the window tests, clang for fuzzing and
#                         clang-format for the style check,
#                         packaging tools (scripts/test.sh, CI)
# Quick when everything is already there; never asks anything.
#
# A mirror may fail now and then (an index "Mirror sync in progress?", a
# package that cannot be fetched): the index download is retried with a
# back-off, then setup goes on with the lists it has and installs every
# package it can, one by one if the whole set cannot go in at once. It fails
# only when a package that a stage needs is still missing, and names the
# package and the stage. The 32-bit wine is optional: without it the 32-bit
# Windows suite skips and says why. The Polish test locale is generated on
# every path out of this script.
set -uo pipefail

# Every job: compilers, build tools and the libraries of the Linux library
# and tools. "package=stage" names what needs the package.
BASE_PACKAGES=(
    build-essential=build cmake=build ninja-build=build ccache=build
    libfltk1.3-dev="build (the VAT window)" libcurl4-openssl-dev="build (FTP)"
)
# The full test run only.
TEST_PACKAGES=(
    googletest="build (tests)" libgtest-dev="build (tests)" libgmock-dev="build (tests)"
    libbenchmark-dev="build (benchmarks)"
    xvfb=display xauth=display xdotool="window tests" x11-apps="window tests"
    imagemagick="window tests"
    mingw-w64="build win32/win64" g++-mingw-w64-i686-posix="build win32"
    g++-mingw-w64-x86-64-posix="build win64"
    wine="test win64" wine64="test win64"
    clang=fuzz libclang-rt-14-dev=fuzz llvm=fuzz clang-format=format
    python3-pyftpdlib="test linux (FTP)"
    locales="test linux (Polish locale)" valgrind=memcheck gcovr=coverage
    file=package pkg-config=example unzip=package
)
# Installed when the mirror allows; without them a stage skips and says why.
OPTIONAL_PACKAGES=(
    wine32:i386="test win32 (skips without it)"
)

# The tests read and write numbers under a Polish locale (decimal comma).
TEST_LOCALE=pl_PL.UTF-8
have_locale() { locale -a 2>/dev/null | grep -qix 'pl_PL\.utf-\?8'; }
make_locale() {
    [[ "$job" == test ]] || return 0
    have_locale && return 0
    if [[ "$(id -u)" -ne 0 ]]; then
        echo "setup: locale $TEST_LOCALE missing; run as root to generate it (tests that need it skip)" >&2
        return 0
    fi
    if ! command -v localedef >/dev/null; then
        echo "setup: localedef missing (package locales): $TEST_LOCALE not generated (tests that need it skip)" >&2
        return 0
    fi
    localedef -i pl_PL -f UTF-8 "$TEST_LOCALE" || echo "setup: could not generate $TEST_LOCALE" >&2
}

job="${1:-test}"
case "$job" in
    demo) REQUIRED=("${BASE_PACKAGES[@]}") OPTIONAL=() ;;
    test) REQUIRED=("${BASE_PACKAGES[@]}" "${TEST_PACKAGES[@]}") OPTIONAL=("${OPTIONAL_PACKAGES[@]}") ;;
    *)
        echo "usage: $0 [demo|test]" >&2
        exit 2
        ;;
esac
# The locale comes first on every way out, even a failed one.
trap make_locale EXIT

name_of() { echo "${1%%=*}"; }
stage_of() { echo "${1#*=}"; }
installed() {
    [[ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" == "ii " ]]
}
# Prints the names of the entries (package=stage) not installed.
missing_of() {
    local e
    for e in "$@"; do
        installed "$(name_of "$e")" || name_of "$e"
    done
}

mapfile -t missing < <(missing_of "${REQUIRED[@]}" "${OPTIONAL[@]}")
if ((${#missing[@]} == 0)); then
    echo "setup: all $((${#REQUIRED[@]} + ${#OPTIONAL[@]})) packages of the $job job present"
    exit 0
fi
echo "setup: installing ${missing[*]}"

if [[ "$(id -u)" -ne 0 ]]; then
    if command -v sudo >/dev/null; then
        trap - EXIT
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
        -o Dpkg::Use-Pty=0 -o Acquire::Retries=3 "$@" </dev/null
}

# The package lists, retried with a back-off. apt-get keeps the lists it did
# get (and the old ones of an index that failed), so setup goes on with them.
update_lists() {
    local delay
    for delay in 5 15 30; do
        apt_get update && return 0
        echo "setup: a package index could not be downloaded; trying again in ${delay}s" >&2
        sleep "$delay"
    done
    apt_get update && return 0
    echo "setup: going on with the package lists at hand (some index failed to download)" >&2
    return 1
}

update_lists
if ! apt_get install "${missing[@]}"; then
    # One package that cannot be had must not keep out the others.
    echo "setup: installing the packages one by one" >&2
    for p in "${missing[@]}"; do
        installed "$p" || apt_get install "$p" || echo "setup: could not install $p" >&2
    done
fi

mapfile -t still < <(missing_of "${OPTIONAL[@]}")
for e in "${OPTIONAL[@]}"; do
    for p in "${still[@]}"; do
        [[ "$p" == "$(name_of "$e")" ]] && echo "setup: optional package $p not installed: $(stage_of "$e")" >&2
    done
done
failed=0
for e in "${REQUIRED[@]}"; do
    if ! installed "$(name_of "$e")"; then
        echo "setup: package $(name_of "$e") is missing; the stage '$(stage_of "$e")' needs it" >&2
        failed=1
    fi
done
if ((failed)); then
    echo "setup: FAILED: required packages missing (see above); run again when the mirror answers" >&2
    exit 1
fi
echo "setup: done"
