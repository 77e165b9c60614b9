#!/usr/bin/env bash
# Makes the release files with CPack into build/package/ and lists what each
# holds:
#   tarvisco-VERSION-linux-x86_64.tar.gz  the Linux install tree (build/linux)
#   tarvisco_VERSION_amd64.deb            the same as a Debian package, under /usr
#   tarvisco-VERSION-windows.zip          both DLLs with their programs in x86/
#                                         (build/win32) and x64/ (build/win64),
#                                         the header, READMEs, translation file
#   SHA256SUMS                            the checksums of the release files
# Builds the configurations it needs first (nothing to do when they are built),
# then checks that each package holds the files a user needs (the manual from
# docs/ too, when the tree has it) and none under a name another package may
# use, that the Linux packages' krvhost runs from where they put it (it finds
# the library, the translation file, the manual page and the tools), and that
# SHA256SUMS covers every release file and matches.
# Usage: scripts/package.sh [linux|windows]...   (default: both)
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

OUT="$BUILD_ROOT/package"
passed=0
failed=0
released=()  # the release files this run made

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

# reject LISTING NAME...: no NAME may be a line end of the listing.
reject() {
    local listing="$1" name
    shift
    for name in "$@"; do
        if grep -qE "(^|[ /])${name//./\\.}\$" <<<"$listing"; then
            echo "FAILED: the package holds $name, a name that can clash with other packages"
            failed=$((failed + 1))
        else
            passed=$((passed + 1))
        fi
    done
}

# check WHAT COMMAND...: counts one check by the command's success.
check() {
    local what="$1"
    shift
    if "$@" >"$OUT/check.log" 2>&1; then
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        sed 's/^/    /' "$OUT/check.log" | tail -n 20
        failed=$((failed + 1))
    fi
}

# The manual's files as the install puts them under PREFIX (the patterns of
# cmake/Install.cmake), one a line; nothing when the tree has no docs/.
manual_files() {
    local prefix="$1"
    [[ -d "$ROOT/docs" ]] || return 0
    # docs/src holds the notes the generated pages are made from: not installed.
    (cd "$ROOT/docs" && find . -path ./src -prune -o -type f \( -name '*.md' -o -name '*.html' \
        -o -name '*.txt' -o -name '*.pdf' -o -name '*.png' -o -name '*.svg' -o -name '*.1' \) \
        -print | sed "s|^\./|$prefix|" | LC_ALL=C sort)
}

# The Linux install tree at TOP works where it lies: krvhost finds the library,
# speaks English from the installed translation file, names its manual page
# and runs the demo with the installed stand-in and simulator.
smoke_linux() {
    local top="$1" scratch
    check "$2: krvhost finds the installed library" "$top/bin/krvhost" info
    check "$2: krvhost uses the installed en.lang by default" \
        bash -c '"$1" params | grep -q "IP address"' _ "$top/bin/krvhost"
    if [[ -f "$ROOT/docs/krvhost.1" ]]; then
        check "$2: krvhost --help names the installed manual page" \
            bash -c '"$1" --help | grep -q "man .*/share/man/man1/krvhost.1"' _ "$top/bin/krvhost"
    fi
    scratch=$(mktemp -d)
    check "$2: krvhost demo runs with the installed stand-in and simulator" \
        bash -c 'cd "$1" && "$2" demo' _ "$scratch" "$top/bin/krvhost"
    rm -rf "$scratch"
}

# Files of the listing (paths under /) that a package other than ours owns here.
clashes() {
    local path owner
    while read -r path; do
        [[ -n "$path" && "$path" != */ ]] || continue
        owner=$(dpkg -S "/$path" 2>/dev/null | cut -d: -f1) || true
        [[ -z "$owner" || "$owner" == tarvisco ]] || echo "/$path belongs to $owner"
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
    local tgz deb listing unpacked top
    tgz=$(ls "$OUT"/tarvisco-*-linux-*.tar.gz)
    deb=$(ls "$OUT"/tarvisco_*.deb)
    released+=("$tgz" "$deb")
    if [[ ! -d "$ROOT/docs" ]]; then
        echo "note: this tree has no docs/: the packages' manual is not checked"
    fi
    echo
    echo "== ${tgz#"$ROOT/"}"
    listing=$(tar tzf "$tgz")
    tar tzvf "$tgz" | show
    # shellcheck disable=SC2046
    expect "$listing" include/krvdll.h lib/libtarvisco.so lib/libtarvisco.so.1 \
        lib/libtarvisco_vatwindow.so bin/krvhost \
        bin/tarvisco-sm-eth bin/tarvisco-scale-sim share/tarvisco/lang/en.lang \
        lib/pkgconfig/tarvisco.pc \
        lib/cmake/tarvisco/tarvisco-config.cmake share/doc/tarvisco/README.md \
        share/doc/tarvisco/CHANGELOG.md $(manual_files share/doc/tarvisco/manual/)
    [[ -f "$ROOT/docs/krvhost.1" ]] && expect "$listing" share/man/man1/krvhost.1
    reject "$listing" bin/sm_eth bin/scale_sim
    unpacked=$(mktemp -d)
    tar xzf "$tgz" -C "$unpacked"
    top=$(dirname "$(dirname "$(find "$unpacked" -path '*/bin/krvhost' | head -n 1)")")
    smoke_linux "$top" tarball
    rm -rf "$unpacked"

    echo
    echo "== ${deb#"$ROOT/"}"
    dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\):/  \1:/p'
    listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||')
    dpkg-deb -c "$deb" | show
    # shellcheck disable=SC2046
    expect "$listing" usr/include/krvdll.h usr/lib/libtarvisco.so.1 \
        usr/lib/libtarvisco_vatwindow.so usr/bin/krvhost usr/bin/tarvisco-sm-eth \
        usr/bin/tarvisco-scale-sim usr/share/tarvisco/lang/en.lang \
        usr/share/doc/tarvisco/README.md $(manual_files usr/share/doc/tarvisco/manual/)
    if [[ -f "$ROOT/docs/krvhost.1" ]]; then
        if grep -qE '(^|/)usr/share/man/man1/krvhost\.1\.gz$' <<<"$listing"; then
            passed=$((passed + 1))
        else
            expect "$listing" usr/share/man/man1/krvhost.1
        fi
    fi
    reject "$listing" usr/bin/sm_eth usr/bin/scale_sim
    check "the .deb installs no file another package of this system owns" \
        bash -c '[[ -z "$1" ]] || { echo "$1"; false; }' _ "$(clashes <<<"$listing")"
    unpacked=$(mktemp -d)
    dpkg-deb -x "$deb" "$unpacked"
    smoke_linux "$unpacked/usr" deb
    rm -rf "$unpacked"
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
    released+=("$zip")
    echo
    echo "== ${zip#"$ROOT/"}"
    listing=$(unzip -Z1 "$zip")
    unzip -l "$zip" | awk 'NR > 3 && $NF ~ /[^\/]$/ && $1 ~ /^[0-9]+$/ && NF == 4 {printf "%10s  %s\n", $1, $4}' |
        LC_ALL=C sort -k2
    # shellcheck disable=SC2046
    expect "$listing" x86/tarvisco.dll x64/tarvisco.dll x86/krvhost.exe x64/krvhost.exe \
        x86/SM_eth.exe x64/SM_eth.exe x64/scale_sim.exe include/krvdll.h README.md \
        CHANGELOG.md lang/en.lang $(manual_files docs/)
    # The 64-bit krvhost.exe finds its DLL and ../lang/en.lang where the zip
    # puts them (when wine and a prefix are at hand, as in scripts/test.sh).
    local wine unpacked
    wine=$(wine_of win64)
    if [[ -x "$wine" && -d "${WINEPREFIX:-/nonexistent}" ]]; then
        unpacked=$(mktemp -d)
        unzip -q "$zip" -d "$unpacked"
        check "zip: x64/krvhost.exe uses lang/en.lang by default" bash -c \
            'WINEDEBUG=-all timeout 120 "$1" "$2" params | grep -q "IP address"' _ "$wine" \
            "$(find "$unpacked" -path '*/x64/krvhost.exe' | head -n 1)"
        rm -rf "$unpacked"
    else
        echo "note: no wine prefix (WINEPREFIX): the zip's krvhost.exe is not run"
    fi
}

# SHA256SUMS beside the release files: every release file of build/package/
# listed once, and each sum right.
write_sums() {
    local files=() f
    for f in "$OUT"/tarvisco-*-linux-*.tar.gz "$OUT"/tarvisco_*.deb "$OUT"/tarvisco-*-windows.zip; do
        [[ -f "$f" ]] && files+=("${f##*/}")
    done
    ((${#files[@]})) || return 0
    (cd "$OUT" && sha256sum "${files[@]}" >SHA256SUMS.tmp && mv SHA256SUMS.tmp SHA256SUMS) || {
        echo "FAILED: cannot write SHA256SUMS"
        failed=$((failed + 1))
        return
    }
    echo
    echo "== ${OUT#"$ROOT/"}/SHA256SUMS"
    sed 's/^/  /' "$OUT/SHA256SUMS"
    check "SHA256SUMS matches the release files" bash -c 'cd "$1" && sha256sum --check --strict SHA256SUMS' _ "$OUT"
    for f in "${released[@]}"; do
        f=${f##*/}
        check "SHA256SUMS lists $f" grep -qE "^[0-9a-f]{64}  ${f//./\\.}\$" "$OUT/SHA256SUMS"
    done
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
write_sums
rm -f "$OUT/check.log"
echo
echo "package: $passed passed, $failed failed"
((failed == 0))
