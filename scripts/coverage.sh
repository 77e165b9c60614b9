#!/usr/bin/env bash
# Line and branch coverage of the Linux build. Builds build/coverage (gcc
# --coverage, -O0), runs its test suite on fresh counters, and with gcovr
# prints the figures per folder of src/ and tools/ and writes an HTML report
# to build/coverage-report/index.html.
#
# Counted: the library (src/, its Linux sources) and the tools (tools/);
# not counted: the tests, fuzz targets, benchmarks, examples and the
# Windows-only sources. Branches that only an exception takes and branches
# that the compiler made unreachable are left out (gcovr's
# --exclude-throw-branches, --exclude-unreachable-branches): a branch figure
# that counted every call that might throw would measure the C++ runtime.
#
# Usage: scripts/coverage.sh [ctest arguments...]   (e.g. -R tools to count
# one suite's reach). Exits non-zero only when the build or a test fails;
# figures under the targets (90 % of lines, 75 % of branches) are marked
# "below target" but do not fail. The last line holds the totals of src/ and
# tools/.
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

DIR="$BUILD_ROOT/coverage"
REPORT="$BUILD_ROOT/coverage-report"
LINE_TARGET=90
BRANCH_TARGET=75

command -v gcovr >/dev/null || {
    echo "coverage: gcovr is missing: install it (apt-get install gcovr, or scripts/setup.sh)" >&2
    exit 1
}
# Without ccache: a cached object comes with the coverage notes (.gcno) of the
# tree that compiled it first, and with another checkout's sources gcov then
# fails (or gcovr waits for ever on its failed worker).
CCACHE_DISABLE=1 bash "$ROOT/scripts/build.sh" coverage || {
    echo "coverage: the coverage build failed (see above)" >&2
    exit 1
}

# Counters of an earlier run would add to this one's.
find "$DIR" -name '*.gcda' -delete
ctest --test-dir "$DIR" -j"$JOBS" --output-on-failure --no-tests=error --timeout 900 "$@"
tests_rc=$?

cd "$ROOT" || exit 1
rm -rf "$REPORT"
mkdir -p "$REPORT"
csv="$REPORT/files.csv"
# The counters are searched for in the coverage build only: searched from the
# root, gcovr follows the wine prefix's z: link into the whole file system and
# takes other trees' counters. gcovr 5 hangs when one of its workers fails; the
# time bound turns such a hang into a failure of this stage.
if ! timeout --kill-after=30 1200 gcovr --root "$ROOT" --object-directory "$DIR" -j "$JOBS" \
    --filter 'src/' --filter 'tools/' \
    --exclude 'src/platform/win32/' --exclude '.*_win32\.cpp$' \
    --exclude-throw-branches --exclude-unreachable-branches \
    --html-title "tarvisco coverage (Linux build)" \
    --html-details "$REPORT/index.html" --csv "$csv" "$DIR" \
    >"$REPORT/gcovr.log" 2>&1; then
    cat "$REPORT/gcovr.log"
    echo "coverage: gcovr failed (see above)" >&2
    exit 1
fi

echo "coverage: report in ${REPORT#"$ROOT/"}/index.html"
# The per-file CSV (file, lines, covered, %, branches, covered, ...) summed
# per folder (two levels: src/host, tools/krvhost) and per tree.
awk -F, -v lt="$LINE_TARGET" -v bt="$BRANCH_TARGET" '
    function pct(c, t) { return t ? 100 * c / t : 100 }
    function row(name, l, lc, b, bc,   mark) {
        mark = (pct(lc, l) < lt || pct(bc, b) < bt) ? "  below target" : ""
        printf "%-22s %6d %6.1f%%   %6d %6.1f%%%s\n", name, l, pct(lc, l), b, pct(bc, b), mark
    }
    NR > 1 {
        n = split($1, p, "/")
        folder = (n > 2) ? p[1] "/" p[2] : p[1]
        if (!(folder in L)) order[++folders] = folder
        L[folder] += $2; LC[folder] += $3; B[folder] += $5; BC[folder] += $6
        T[p[1]] = 1; TL[p[1]] += $2; TLC[p[1]] += $3; TB[p[1]] += $5; TBC[p[1]] += $6
    }
    END {
        printf "%-22s %6s %7s   %6s %7s   (targets: %d%% lines, %d%% branches)\n", \
            "folder", "lines", "cover", "branch", "cover", lt, bt
        # Sorted by name, with a simple insertion sort (portable awk).
        for (i = 2; i <= folders; i++)
            for (j = i; j > 1 && order[j - 1] > order[j]; j--) {
                t = order[j]; order[j] = order[j - 1]; order[j - 1] = t
            }
        for (i = 1; i <= folders; i++)
            row(order[i], L[order[i]], LC[order[i]], B[order[i]], BC[order[i]])
        summary = ""
        split("src tools", trees, " ")
        for (i = 1; i <= 2; i++) {
            t = trees[i]
            row(t "/ (all)", TL[t], TLC[t], TB[t], TBC[t])
            summary = summary sprintf("%s%s/ %.1f%% lines, %.1f%% branches", \
                (i > 1 ? "; " : ""), t, pct(TLC[t], TL[t]), pct(TBC[t], TB[t]))
        }
        print "coverage: " summary
    }' "$csv"
if ((tests_rc != 0)); then
    echo "coverage: the suite failed (see above): the figures are those of a failed run" >&2
    exit 1
fi
