#!/usr/bin/env bash
# Installs a built configuration into build/install-CONFIG (cmake --install),
# builds examples/host against the installed package alone (find_package, and
# pkg-config on Linux) and runs the example hosts and the installed krvhost.
# The Windows build runs under wine (WINEPREFIX as scripts/test.sh sets it).
# Usage: scripts/example.sh [linux|win64]   (default: linux)
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

config="${1:-linux}"
case "$config" in
    linux) toolchain=() ;;
    win64) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake") ;;
    *)
        echo "usage: $0 [linux|win64]" >&2
        exit 2
        ;;
esac
PREFIX="$BUILD_ROOT/install-$config"
DIR="$BUILD_ROOT/example-$config"
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_ROOT/$config/CMakeCache.txt" 2>/dev/null)

passed=0
failed=0
# step DESCRIPTION COMMAND...: runs the command, its output indented.
step() {
    local what="$1" out rc
    shift
    out=$("$@" 2>&1)
    rc=$?
    sed 's/^/    /' <<<"$out"
    if ((rc == 0)); then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what (exit $rc)"
        failed=$((failed + 1))
    fi
    return "$rc"
}
# A path as a Windows program under wine sees it.
winpath() { echo "Z:${1//\//\\}"; }

finish() {
    echo "example: $passed passed, $failed failed"
    ((failed == 0))
    exit
}

if [[ ! -f "$BUILD_ROOT/$config/build.ninja" ]]; then
    echo "example: build/$config is not built (scripts/build.sh $config)" >&2
    exit 1
fi
rm -rf "$PREFIX" "$DIR"
step "cmake --install build/$config" cmake --install "$BUILD_ROOT/$config" --prefix "$PREFIX" || finish
step "examples/host configures against the installed package" \
    cmake -S "$ROOT/examples/host" -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$PREFIX" "${toolchain[@]}" || finish
step "examples/host builds" cmake --build "$DIR" || finish

if [[ "$config" == linux ]]; then
    step "example_host loads the installed library by path" "$DIR/example_host"
    step "example_linked runs linked to the installed library" "$DIR/example_linked"
    step "pkg-config builds a host" bash -c '
        flags=$(PKG_CONFIG_PATH="$1/lib/pkgconfig" pkg-config --cflags --libs tarvisco) &&
        echo "pkg-config: $flags" &&
        cc -std=c99 -Wall -Wextra -o "$2/example_pc" "$3" $flags &&
        LD_LIBRARY_PATH="$1/lib" "$2/example_pc"' _ "$PREFIX" "$DIR" "$ROOT/examples/host/example_linked.c"
    step "installed krvhost says its version" \
        bash -c '[[ "$("$1/bin/krvhost" --version)" == "krvhost $2" ]]' _ "$PREFIX" "$VERSION"
    step "installed krvhost finds the installed library" "$PREFIX/bin/krvhost" info
    step "installed krvhost exports to the simulated scale with the installed tools" \
        bash -c 'cd "$1" && "$2/bin/krvhost" demo' _ "$DIR" "$PREFIX"
else
    WINE="$(wine_of "$config")"
    step "example_host.exe loads the installed DLL under wine" \
        "$WINE" "$DIR/example_host.exe" "$(winpath "$PREFIX/tarvisco.dll")"
    step "example_linked.exe runs linked to the installed DLL" \
        env WINEPATH="$(winpath "$PREFIX")" "$WINE" "$DIR/example_linked.exe"
    step "installed krvhost.exe says its version" \
        bash -c '[[ "$("$1" "$2/krvhost.exe" --version | tr -d "\r")" == "krvhost $3" ]]' _ \
        "$WINE" "$PREFIX" "$VERSION"
fi
finish
