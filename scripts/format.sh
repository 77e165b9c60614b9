#!/usr/bin/env bash
# The project's C and C++ sources in the style of .clang-format.
#   format.sh           reformats every tracked source in place
#   format.sh --check   changes nothing; lists the files that differ and
#                       fails (exit 1) when there is any
# Needs clang-format (scripts/setup.sh installs it for the test job).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

if ! command -v clang-format >/dev/null; then
    echo "format: clang-format is not installed; run: bash scripts/setup.sh test" >&2
    exit 2
fi

mapfile -t files < <(git ls-files -- '*.c' '*.h' '*.cpp')
if [[ "${1:-}" != "--check" ]]; then
    clang-format -i "${files[@]}"
    exit 0
fi

bad=()
for f in "${files[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if ((${#bad[@]})); then
    printf 'format: not in the style of .clang-format: %s\n' "${bad[@]}" >&2
    echo "format: run bash scripts/format.sh to reformat them (${#bad[@]} files)" >&2
    exit 1
fi
echo "format: ${#files[@]} files in the style of .clang-format ($(clang-format --version | head -1))"
