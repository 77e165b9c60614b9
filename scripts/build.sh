#!/usr/bin/env bash
# Configures (when needed) and builds one or more configurations:
#   linux  build/linux  the shared library, tools, tests, benchmarks
#   asan   build/asan   the same with AddressSanitizer + UndefinedBehaviorSanitizer
#   win32  build/win32  tarvisco.dll and the tests for 32-bit Windows (mingw-w64)
#   win64  build/win64  the same for 64-bit Windows
#   demo   build/demo   the shared library and tools only (no tests), for the demo
#   coverage  build/coverage  the Linux suite with gcc's coverage counters (-O0),
#                         for the coverage stage of scripts/test.sh
# Usage: scripts/build.sh [linux|asan|win32|win64|demo|coverage|all]...   (default:
# all, which is every configuration but demo and coverage)
# JOBS (default 2) sets the parallelism.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

options_of() {
    local common=(-G Ninja -DTARVISCO_TESTS=ON)
    case "$1" in
        linux) echo "${common[*]} -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVISCO_BENCH=ON" ;;
        asan) echo "${common[*]} -DCMAKE_BUILD_TYPE=Debug -DTARVISCO_SANITIZE=ON" ;;
        win32) echo "${common[*]} -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$ROOT/cmake/mingw-i686.cmake" ;;
        win64) echo "${common[*]} -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$ROOT/cmake/mingw-x86_64.cmake" ;;
        demo) echo "-G Ninja -DTARVISCO_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo" ;;
        coverage) echo "${common[*]} -DCMAKE_BUILD_TYPE=Debug -DTARVISCO_COVERAGE=ON" ;;
    esac
}

build_one() {
    local config="$1" dir="$BUILD_ROOT/$1" options stamp
    options="$(options_of "$config")"
    stamp="$dir/.build-options"
    # Configure once; later runs only build (ninja re-runs cmake when a
    # CMakeLists.txt changes). New options here force a fresh configure.
    if [[ ! -f "$dir/build.ninja" || "$(cat "$stamp" 2>/dev/null)" != "$options" ]]; then
        echo "build: configuring $config"
        rm -f "$dir/CMakeCache.txt"
        # shellcheck disable=SC2086  # options are words
        cmake -S "$ROOT" -B "$dir" $options >"$dir.configure.log" 2>&1 || {
            cat "$dir.configure.log"
            echo "build: configuring $config failed" >&2
            return 1
        }
        echo "$options" >"$stamp"
    fi
    echo "build: building $config (-j$JOBS)"
    cmake --build "$dir" -j"$JOBS"
}

configs=()
for arg in "${@:-all}"; do
    if [[ "$arg" == all ]]; then
        configs+=("${ALL_CONFIGS[@]}")
    elif is_config "$arg"; then
        configs+=("$arg")
    else
        echo "usage: $0 [linux|asan|win32|win64|demo|coverage|all]..." >&2
        exit 2
    fi
done

mkdir -p "$BUILD_ROOT"
failed=()
for c in "${configs[@]}"; do
    build_one "$c" || failed+=("$c")
done
if ((${#failed[@]})); then
    echo "build: FAILED: ${failed[*]}" >&2
    exit 1
fi
