# shellcheck shell=bash
# Shared by the scripts in this folder: paths, the build configurations and
# small helpers. Sourced, never run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_ROOT="$ROOT/build"
JOBS="${JOBS:-2}"

# The four configurations that scripts/build.sh knows, in build order.
ALL_CONFIGS=(linux asan win32 win64)

# Exported names come from the version script; the .def file must agree.
MAP_FILE="$ROOT/src/host/tarvisco.map"

# ccache keys on paths relative to the source tree, so a fresh clone elsewhere
# (as in CI) still hits the cache that an earlier build filled.
export CCACHE_BASEDIR="$ROOT"
if [[ "${CI:-}" == true ]]; then
    export CCACHE_NOHASHDIR=true
fi

# Where each configuration keeps its shared library.
library_of() {
    case "$1" in
        linux | asan | demo | coverage) echo "$BUILD_ROOT/$1/src/libtarvisco.so" ;;
        win32 | win64) echo "$BUILD_ROOT/$1/src/tarvisco.dll" ;;
        *) return 1 ;;
    esac
}

# The wine loader for a Windows configuration (Debian's layout).
wine_of() {
    case "$1" in
        win32) echo /usr/lib/wine/wine ;;
        win64) echo /usr/lib/wine/wine64 ;;
        *) return 1 ;;
    esac
}

is_config() {
    local c
    # demo: the Linux library and tools only, without tests (scripts/demo.sh);
    # coverage: the Linux suite with coverage counters (the coverage stage).
    for c in "${ALL_CONFIGS[@]}" demo coverage; do [[ "$c" == "$1" ]] && return 0; done
    return 1
}

# Prints a duration in seconds as "1m05s".
fmt_secs() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }

# The 15 exported names, one a line, sorted.
expected_exports() {
    sed -n 's/^[[:space:]]*\(KRVDLL[A-Za-z0-9_]*\);.*/\1/p' "$MAP_FILE" | LC_ALL=C sort
}
