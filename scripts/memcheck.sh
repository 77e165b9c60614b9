#!/usr/bin/env bash
# Runs every test program of the Linux build (build/linux) under valgrind's
# memcheck, one at a time: invalid reads and writes, uses of uninitialised
# values and definite leaks fail a program. Programs the tests start (the
# fake SM_eth, krvhost, the stand-in, the simulator) run without valgrind.
# Slow and CPU-heavy: run it when nothing else is building.
# Ends with "N passed, N failed"; logs in build/logs/memcheck/.
# Usage: scripts/memcheck.sh [regex of program names]
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

command -v valgrind >/dev/null || {
    echo "memcheck: valgrind not found (scripts/setup.sh installs it)" >&2
    exit 1
}
DIR="$BUILD_ROOT/linux/tests"
LOGS="$BUILD_ROOT/logs/memcheck"
mkdir -p "$LOGS"
[[ -d "$DIR" ]] || {
    echo "memcheck: build/linux is not built (scripts/build.sh linux)" >&2
    exit 1
}

passed=0
failed=0
while IFS= read -r -d '' program; do
    name="$(basename "$program")"
    [[ -n "${1:-}" && ! "$name" =~ $1 ]] && continue
    log="$LOGS/$name.log"
    start=$(date +%s)
    # The plain-C test takes the library's path; the window test needs a
    # display and a user and has its own run.
    args=(--gtest_filter=-*gui*)
    [[ "$name" == capi_test ]] && args=("$(library_of linux)")
    timeout 3600 valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
        --errors-for-leak-kinds=definite --show-leak-kinds=definite --trace-children=no \
        --num-callers=30 "$program" "${args[@]}" >"$log" 2>&1
    rc=$?
    errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log" | tail -n 1)
    secs=$(($(date +%s) - start))
    if ((rc == 0)); then
        passed=$((passed + 1))
        echo "ok      $name  (${errors:-0} errors, ${secs}s)"
    else
        failed=$((failed + 1))
        echo "FAILED  $name  (exit $rc, ${errors:-?} errors, ${secs}s): ${log#"$ROOT/"}"
    fi
done < <(find "$DIR" -type f -perm -u+x \( -name '*_tests' -o -name 'capi_test' \) ! -path '*/gui/*' -print0 | sort -z)

echo "memcheck: $passed passed, $failed failed"
((failed == 0))
