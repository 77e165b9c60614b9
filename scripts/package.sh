#!/usr/bin/env bash
# Makes the release files with CPack into build/package/ and lists what each
# holds:
#   tarvisco-VERSION-linux-x86_64.tar.gz  the Linux install tree (build/linux)
#   tarvisco_VERSION_amd64.deb            the same as a Debian package, under /usr
#   tarvisco-VERSION-windows.zip          both DLLs with their programs in x86/
#                                         (build/win32) and x64/ (build/win64),
#                                         the header, READMEs, translation file
# Builds the configurations it needs first (nothing to do when they are built),
# then checks that each package holds the files a user needs.
# Usage: scripts/package.sh [linux|windows]...   (default: both)
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

OUT="$BUILD_ROOT/package"
passed=0
failed=0

# expect LISTING NAME...: each NAME must be a line end of the listing.
expect() {
    local listing="$1" name
    shift
    for name in "$@"; do
        if grep -qE "(^|[ /])${name//./\\.}\$" <<<"$listing"; then
            passed=$((passed + 1))
        else
            echo "FAILED: the package lacks $name"
            failed=$((failed + 1))
        fi
    done
}

# A "tar tv" listing as size and name (with a link's target), folders left out.
show() {
    awk '$6 !~ /\/$/ {s = $6; for (i = 7; i <= NF; i++) s = s " " $i; printf "%10s  %s\n", $3, s}' |
        LC_ALL=C sort -k2
}

package_linux() {
    bash "$ROOT/scripts/build.sh" linux || return 1
    rm -f "$OUT"/tarvisco-*-linux-*.tar.gz* "$OUT"/tarvisco_*.deb*
    cpack --config "$BUILD_ROOT/linux/CPackConfig.cmake" -B "$OUT" >"$OUT/cpack-linux.log" 2>&1 || {
        cat "$OUT/cpack-linux.log"
        echo "package: cpack failed for linux"
        return 1
    }
    local tgz deb listing
    tgz=$(ls "$OUT"/tarvisco-*-linux-*.tar.gz)
    deb=$(ls "$OUT"/tarvisco_*.deb)
    echo
    echo "== ${tgz#"$ROOT/"}"
    listing=$(tar tzf "$tgz")
    tar tzvf "$tgz" | show
    expect "$listing" include/krvdll.h lib/libtarvisco.so lib/libtarvisco.so.1 \
        lib/libtarvisco_vatwindow.so bin/krvhost \
        bin/sm_eth bin/scale_sim share/tarvisco/lang/en.lang lib/pkgconfig/tarvisco.pc \
        lib/cmake/tarvisco/tarvisco-config.cmake share/doc/tarvisco/README.md \
        share/doc/tarvisco/CHANGELOG.md
    echo
    echo "== ${deb#"$ROOT/"}"
    dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\):/  \1:/p'
    listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
    dpkg-deb -c "$deb" | show
    expect "$listing" usr/include/krvdll.h usr/lib/libtarvisco.so.1 \
        usr/lib/libtarvisco_vatwindow.so usr/bin/krvhost
}

package_windows() {
    bash "$ROOT/scripts/build.sh" win32 win64 || return 1
    rm -f "$OUT"/tarvisco-*-windows.zip*
    # One zip from two build trees: each tree's runtime component under its
    # architecture's folder, the architecture-free components once.
    local projects=(
        "$BUILD_ROOT/win32" tarvisco runtime /x86
        "$BUILD_ROOT/win64" tarvisco runtime /x64
        "$BUILD_ROOT/win64" tarvisco headers /
        "$BUILD_ROOT/win64" tarvisco common /
    )
    local joined
    joined=$(IFS=';' && echo "${projects[*]}")
    cpack --config "$BUILD_ROOT/win64/CPackConfig.cmake" -B "$OUT" \
        -D "CPACK_INSTALL_CMAKE_PROJECTS=$joined" >"$OUT/cpack-windows.log" 2>&1 || {
        cat "$OUT/cpack-windows.log"
        echo "package: cpack failed for windows"
        return 1
    }
    local zip listing
    zip=$(ls "$OUT"/tarvisco-*-windows.zip)
    echo
    echo "== ${zip#"$ROOT/"}"
    listing=$(unzip -Z1 "$zip")
    unzip -l "$zip" | awk 'NR > 3 && $NF ~ /[^\/]$/ && $1 ~ /^[0-9]+$/ && NF == 4 {printf "%10s  %s\n", $1, $4}' |
        LC_ALL=C sort -k2
    expect "$listing" x86/tarvisco.dll x64/tarvisco.dll x86/krvhost.exe x64/krvhost.exe \
        x86/SM_eth.exe x64/SM_eth.exe x64/scale_sim.exe include/krvdll.h README.md \
        CHANGELOG.md lang/en.lang
}

targets=()
for arg in "${@:-linux windows}"; do
    for t in $arg; do
        case "$t" in
            linux | windows) targets+=("$t") ;;
            *)
                echo "usage: $0 [linux|windows]..." >&2
                exit 2
                ;;
        esac
    done
done

mkdir -p "$OUT"
for t in "${targets[@]}"; do
    "package_$t" || failed=$((failed + 1))
done
echo
echo "package: $passed passed, $failed failed"
((failed == 0))
