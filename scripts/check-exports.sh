#!/usr/bin/env bash
# Checks what the built libraries show to a host:
#  - libtarvisco.so's dynamic symbol table defines exactly the names of
#    src/host/tarvisco.map (hidden visibility + version script);
#  - each tarvisco.dll's export table holds exactly those names, undecorated;
#  - each tarvisco.dll (and each Windows program under tools/) imports system
#    DLLs only: libgcc, libstdc++ and winpthread are linked in statically;
#  - libtarvisco.so needs no window toolkit (FLTK, X11): the VAT dialog's
#    toolkit is a module loaded only when the dialog opens, so the library
#    loads on a server without a desktop.
# Usage: scripts/check-exports.sh [linux|win32|win64|all]...   (default: all)
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# DLLs that every Windows installation has. Anything else (lib*.dll from the
# mingw runtime above all) would have to be shipped beside tarvisco.dll.
SYSTEM_DLLS='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|winspool\.drv|msvcrt|ucrtbase|wininet|ws2_32|wsock32|version|imm32|winmm|uxtheme|dwmapi|crypt32|bcrypt|secur32|rpcrt4|setupapi|iphlpapi|mpr|netapi32|psapi|dbghelp|ntdll|api-ms-win-[a-z0-9-]+)\.(dll|drv)$'

DEF_FILE="$ROOT/src/host/tarvisco.def"
EXPECTED="$(expected_exports)"
EXPECTED_COUNT=$(grep -c . <<<"$EXPECTED")

# Names that only one side has: "missing: a b; unexpected: c".
difference() {
    local want="$1" got="$2" missing unexpected
    missing=$(LC_ALL=C comm -23 <(echo "$want") <(echo "$got") | xargs)
    unexpected=$(LC_ALL=C comm -13 <(echo "$want") <(echo "$got") | xargs)
    echo "missing: ${missing:-none}; unexpected: ${unexpected:-none}"
}

check_lists_agree() {
    local def
    def=$(sed -n 's/^[[:space:]]\+\(KRVDLL[A-Za-z0-9_]*\)[[:space:]]*$/\1/p' "$DEF_FILE" | LC_ALL=C sort)
    if [[ "$def" == "$EXPECTED" && "$EXPECTED_COUNT" -eq 15 ]]; then
        ok "tarvisco.map and tarvisco.def list the same $EXPECTED_COUNT names"
    else
        fail "tarvisco.map ($EXPECTED_COUNT names) and tarvisco.def differ: $(difference "$EXPECTED" "$def")"
    fi
}

check_linux() {
    local so got
    so="$(library_of linux)"
    if [[ ! -f "$so" ]]; then
        fail "linux: $so not built"
        return
    fi
    got=$(nm -D --defined-only "$so" | awk '{print $NF}' | sed 's/@.*//' | LC_ALL=C sort -u)
    if [[ "$got" == "$EXPECTED" ]]; then
        ok "linux: libtarvisco.so defines exactly the $EXPECTED_COUNT exported functions"
    else
        fail "linux: libtarvisco.so dynamic symbols differ from tarvisco.map: $(difference "$EXPECTED" "$got")"
    fi
    local needed gui
    needed=$(ldd "$so" 2>&1)
    gui=$(grep -Eio 'lib(fltk[a-z_]*|X11|Xext|Xft|Xrender|Xinerama|Xfixes|Xcursor|fontconfig)\.so[.0-9]*' <<<"$needed" | sort -u | xargs)
    if [[ -z "$gui" ]]; then
        ok "linux: libtarvisco.so needs no window toolkit ($(awk '{print $1}' <<<"$needed" | xargs))"
    else
        fail "linux: libtarvisco.so needs window libraries at load time: $gui (only the VAT dialog module may)"
    fi
}

# The export table of a PE file, one name a line.
pe_exports() {
    "$1" -p "$2" | awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
                       on && /^[[:space:]]*$/ {on = 0}
                       on && /\[ *[0-9]+\]/ {print $NF}' | LC_ALL=C sort
}

pe_imports() {
    "$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | LC_ALL=C sort -u
}

check_pe_imports() {
    local objdump="$1" file="$2" label="$3" imports foreign
    imports=$(pe_imports "$objdump" "$file")
    foreign=$(grep -Ev "$SYSTEM_DLLS" <<<"$imports" | grep . | xargs)
    if [[ -z "$imports" ]]; then
        fail "$label: no import table found in $file"
    elif [[ -n "$foreign" ]]; then
        fail "$label: needs DLLs that are not part of Windows: $foreign (link them statically, or add a true system DLL to SYSTEM_DLLS)"
    else
        ok "$label: imports system DLLs only ($(xargs <<<"$imports"))"
    fi
}

check_windows() {
    local config="$1" dll objdump got exe
    dll="$(library_of "$config")"
    case "$config" in
        win32) objdump=i686-w64-mingw32-objdump ;;
        win64) objdump=x86_64-w64-mingw32-objdump ;;
    esac
    if [[ ! -f "$dll" ]]; then
        fail "$config: $dll not built"
        return
    fi
    got=$(pe_exports "$objdump" "$dll")
    if [[ "$got" == "$EXPECTED" ]]; then
        ok "$config: tarvisco.dll exports exactly the $EXPECTED_COUNT undecorated names"
    else
        fail "$config: tarvisco.dll export table differs from tarvisco.def: $(difference "$EXPECTED" "$got")"
    fi
    check_pe_imports "$objdump" "$dll" "$config: tarvisco.dll"
    # The programs we ship beside the DLL follow the same rule.
    while IFS= read -r -d '' exe; do
        check_pe_imports "$objdump" "$exe" "$config: ${exe#"$BUILD_ROOT/$config/"}"
    done < <(find "$BUILD_ROOT/$config/tools" -name '*.exe' -print0 2>/dev/null)
}

targets=()
for arg in "${@:-all}"; do
    case "$arg" in
        all) targets+=(linux win32 win64) ;;
        linux | win32 | win64) targets+=("$arg") ;;
        *)
            echo "usage: $0 [linux|win32|win64|all]..." >&2
            exit 2
            ;;
    esac
done

check_lists_agree
for t in "${targets[@]}"; do
    if [[ "$t" == linux ]]; then check_linux; else check_windows "$t"; fi
done

echo "exports: $passed passed, $failed failed"
((failed == 0))
