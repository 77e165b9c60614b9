#!/usr/bin/env bash
# The generated pages of the manual: docs/parameters.md (the library's
# catalogue with the notes of docs/src/parameters.txt) and docs/messages.md
# (every text the library looks up, with the notes of docs/src/messages.txt).
#
#   scripts/docs.sh            builds docgen and the library (build/linux) and
#                              rewrites both pages
#   scripts/docs.sh --check [--docgen PATH] [--library PATH]
#                              regenerates into a temporary folder and fails
#                              when a page differs from docs/ (ctest runs this)
#
# docgen fails, naming it, when a parameter, a choice or a text has no
# explanation, or an explanation names what the library no longer has.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

check=false
docgen="$BUILD_ROOT/linux/tools/docgen/docgen"
library="$(library_of linux)"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --check) check=true ;;
        --docgen) docgen="$2"; shift ;;
        --library) library="$2"; shift ;;
        *) echo "usage: scripts/docs.sh [--check] [--docgen PATH] [--library PATH]" >&2; exit 2 ;;
    esac
    shift
done

if ! $check; then
    cmake --build "$BUILD_ROOT/linux" --target docgen tarvisco -j "$JOBS" >/dev/null
fi

out="$ROOT/docs"
if $check; then
    out="$(mktemp -d)"
    trap 'rm -rf "$out"' EXIT
fi

"$docgen" parameters --library "$library" --lang "$ROOT/lang/en.lang" \
    --notes "$ROOT/docs/src/parameters.txt" --out "$out/parameters.md"
"$docgen" messages --sources "$ROOT/src" --lang "$ROOT/lang/en.lang" \
    --notes "$ROOT/docs/src/messages.txt" --out "$out/messages.md"

if $check; then
    status=0
    for page in parameters.md messages.md; do
        if ! diff -u "$ROOT/docs/$page" "$out/$page"; then
            echo "docs: docs/$page is not what the library now says: run scripts/docs.sh" >&2
            status=1
        fi
    done
    exit "$status"
fi
echo "docs: wrote docs/parameters.md and docs/messages.md"
