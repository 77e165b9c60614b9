#!/usr/bin/env bash
# The project's test command. On a fresh Debian 12 machine it installs what is
# missing, builds every configuration, checks the export tables and runs every
# suite: Linux, Linux under ASan + UBSan, and the Windows builds under wine;
# then builds the example host against an install and makes the release files.
# A virtual X server (Xvfb) provides the display for the whole run, so window
# tests and wine work without a desktop. Ends with "N passed, N failed" and
# exits non-zero when anything failed.
#
# Environment:
#   JOBS=2                  parallel compile and test jobs
#   TARVISCO_REQUIRE_WIN32  set to 1 to fail (not skip) the 32-bit Windows suite
#                           on a machine whose kernel runs no 32-bit code
#   TEST_TIMEOUT=1800       upper bound in seconds for one configuration's suite
#   FUZZ_SECONDS=5          seconds each fuzz target runs (0: no fuzz stage)
#   COVERAGE=1              0: no coverage stage (build/coverage and its suite)
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

LOG_DIR="$BUILD_ROOT/logs"
WINE_PREFIX_DIR="$BUILD_ROOT/wine"
TEST_TIMEOUT="${TEST_TIMEOUT:-1800}"
mkdir -p "$LOG_DIR"

total_passed=0
total_failed=0
total_skipped=0
summary=()
declare -A built=()
run_start=$(date +%s)

# Runs one stage: a header, the command, its time and one summary line.
# A failed stage counts as one failure unless its own tests already counted
# one, so that the closing line never reads "0 failed" after a failure.
stage() {
    local name="$1" start rc secs result failed_before
    shift
    echo
    echo "==> $name  [$(date +%H:%M:%S)]"
    start=$(date +%s)
    failed_before=$total_failed
    stage_detail=""
    "$@"
    rc=$?
    secs=$(($(date +%s) - start))
    case $rc in
        0) result=ok ;;
        77) result=skipped ;;
        *)
            result=FAILED
            ((total_failed > failed_before)) || total_failed=$((total_failed + 1))
            ;;
    esac
    echo "<== $name: $result ($(fmt_secs "$secs"))"
    summary+=("$(printf '%-16s %-8s %7s  %s' "$name" "$result" "$(fmt_secs "$secs")" "$stage_detail")")
    return "$rc"
}

# Adds the counts of a closing line "...: N passed, N failed" from a log.
count_plain_line() {
    local line
    line=$(grep -E '^([A-Za-z0-9_]+: )?[0-9]+ passed, [0-9]+ failed' "$1" | tail -n 1)
    [[ -n "$line" ]] || return 1
    local p f
    p=$(sed -E 's/^([A-Za-z0-9_]+: )?([0-9]+) passed.*/\2/' <<<"$line")
    f=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")
    total_passed=$((total_passed + p))
    total_failed=$((total_failed + f))
    stage_detail="$p passed, $f failed"
}

# Adds the counts of ctest's closing line "...% tests passed, N tests failed
# out of M"; ctest counts skipped tests (listed as "(Skipped)") as passed.
count_ctest_line() {
    local line failed all skipped
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
    [[ -n "$line" ]] || return 1
    failed=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    all=$(sed -E 's/.*failed out of ([0-9]+).*/\1/' <<<"$line")
    skipped=$(grep -cE '^[[:space:]]+[0-9]+ - .*\((Skipped|Disabled)\)$' "$1")
    total_passed=$((total_passed + all - failed - skipped))
    total_failed=$((total_failed + failed))
    total_skipped=$((total_skipped + skipped))
    stage_detail="$((all - failed - skipped)) passed, $failed failed"
    ((skipped)) && stage_detail+=", $skipped skipped"
    return 0
}

# Runs a command that prints "N passed, M failed" at its end, keeping its
# output in the log LOG: the stage's detail is that line.
run_counted() {
    local log="$1"
    shift
    "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    count_plain_line "$log" || return 1
    return "$rc"
}

do_setup() { bash "$ROOT/scripts/setup.sh"; }

do_build() {
    local config="$1" log="$LOG_DIR/build-$1.log"
    if bash "$ROOT/scripts/build.sh" "$config" >"$log" 2>&1; then
        built[$config]=1
        grep -E 'warning:' "$log" | sort -u | head -n 20
        stage_detail="$(grep -c 'warning:' "$log") warning lines"
        return 0
    fi
    tail -n 60 "$log"
    stage_detail="see ${log#"$ROOT/"}"
    return 1
}

do_format() {
    local log="$LOG_DIR/format.log"
    bash "$ROOT/scripts/format.sh" --check >"$log" 2>&1 && { stage_detail="$(tail -1 "$log")"; return 0; }
    cat "$log"
    stage_detail="see ${log#"$ROOT/"}"
    return 1
}

do_exports() {
    local targets=() t log="$LOG_DIR/exports.log"
    for t in linux win32 win64; do
        [[ -n "${built[$t]:-}" ]] && targets+=("$t")
    done
    ((${#targets[@]})) || { stage_detail="nothing built"; return 77; }
    run_counted "$log" bash "$ROOT/scripts/check-exports.sh" "${targets[@]}"
}

# The example host against a fresh install of one configuration (the Windows
# one under wine without a display, like the other console programs).
do_example() {
    local log="$LOG_DIR/example-$1.log" display=()
    [[ "$1" == win* ]] && display=(-u DISPLAY)
    run_counted "$log" env "${display[@]}" bash "$ROOT/scripts/example.sh" "$1"
}

# The release files, with their contents listed and checked.
do_package() {
    run_counted "$LOG_DIR/package.log" bash "$ROOT/scripts/package.sh" "$@"
}

# One virtual display for everything that follows (window tests, wine).
XVFB_PID=""
do_display() {
    local fdfile="$LOG_DIR/xvfb.display" i
    rm -f "$fdfile"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >"$LOG_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for ((i = 0; i < 100; i++)); do
        [[ -s "$fdfile" ]] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [[ ! -s "$fdfile" ]]; then
        cat "$LOG_DIR/xvfb.log"
        XVFB_PID=""
        return 1
    fi
    DISPLAY=":$(head -n 1 "$fdfile")"
    export DISPLAY
    stage_detail="DISPLAY=$DISPLAY"
    echo "Xvfb on $DISPLAY"
}

cleanup() {
    if [[ -d "$WINE_PREFIX_DIR" ]] && command -v wineserver >/dev/null; then
        WINEPREFIX="$WINE_PREFIX_DIR" timeout 30 wineserver -k >/dev/null 2>&1
    fi
    if [[ -n "$XVFB_PID" ]]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
}
trap cleanup EXIT

# run_ctest CONFIG [LOG-SUFFIX [ctest arguments...]]
run_ctest() {
    local config="$1" log="$LOG_DIR/test-$1${2:-}.log"
    shift $(($# < 2 ? $# : 2))
    timeout --kill-after=30 "$TEST_TIMEOUT" \
        ctest --test-dir "$BUILD_ROOT/$config" -j"$JOBS" --output-on-failure --no-tests=error \
        --timeout 900 "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    ((rc == 124)) && echo "test: $config suite stopped after ${TEST_TIMEOUT}s"
    count_ctest_line "$log" || return 1
    return "$rc"
}

do_test_linux() { run_ctest linux; }

do_test_asan() {
    local supp="$ROOT/tests/lsan.supp"
    export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    [[ -f "$supp" ]] && export LSAN_OPTIONS="suppressions=$supp"
    run_ctest asan
    local rc=$?
    unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
    return "$rc"
}

# Every file-system call of an export (file only, and through the stand-in to
# the simulated scale) made to fail and killed, one at a time
# (tests/faults/sweep_main.cpp).
do_fault_sweep() {
    run_counted "$LOG_DIR/fault-sweep.log" "$BUILD_ROOT/linux/tests/fault_sweep"
}

# Every fuzz target for a few seconds from its seeds (scripts/fuzz.sh builds
# build/fuzz with clang): enough to catch a crash that a change brings into
# the parsers; the long runs are made by hand.
do_fuzz() {
    run_counted "$LOG_DIR/fuzz.log" bash "$ROOT/scripts/fuzz.sh" "${FUZZ_SECONDS:-5}"
}

# Line and branch coverage of the Linux suite (build/coverage, gcovr): the
# figures per folder and an HTML report. Fails when the build or a test does;
# figures under target are marked, not failed.
do_coverage() {
    local log="$LOG_DIR/coverage.log"
    bash "$ROOT/scripts/coverage.sh" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    stage_detail="$(sed -n 's|^coverage: \(src/ .*\)|\1|p' "$log" | tail -n 1)"
    [[ -n "$stage_detail" ]] || stage_detail="see ${log#"$ROOT/"}"
    return "$rc"
}

# A fresh wine prefix under build/ for every run: nothing of an earlier run or
# of the user's own ~/.wine can change the result.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko installer prompts
do_wine_prefix() {
    export WINEPREFIX="$WINE_PREFIX_DIR" WINEARCH=win64
    timeout 60 wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    timeout 300 /usr/lib/wine/wine64 wineboot -i </dev/null >"$LOG_DIR/wineboot.log" 2>&1 || {
        cat "$LOG_DIR/wineboot.log"
        return 1
    }
    timeout 120 wineserver -w
    # One server for the whole run: with the default, the server quits the
    # moment no program is connected, and a program starting just then loses
    # its connection ("recvmsg: Connection reset by peer").
    # The server's own programs (services, devices) start now, with no
    # terminal of ours: started by the first test instead, they would keep the
    # test's output open after it ended.
    wineserver -p </dev/null >/dev/null 2>&1
    timeout 120 /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1
    stage_detail="WINEPREFIX=${WINEPREFIX#"$ROOT/"}"
}

# This kernel may run 64-bit code only (IA-32 emulation off): then the 32-bit
# wine loader cannot start and no 32-bit Windows program can run here.
can_run_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

do_test_windows() {
    local config="$1" count
    if [[ "$config" == win32 ]] && ! can_run_32bit; then
        # Counted as programs: listing the cases would need to run them.
        count=$(find "$BUILD_ROOT/$config/tests" -name '*.exe' | wc -l)
        local why="32-bit code cannot run here"
        if [[ ! -x /usr/lib/wine/wine ]]; then
            why="the 32-bit wine (wine32:i386) is not installed"
            echo "test: $why (the mirror did not offer it: see the setup stage);"
        else
            echo "test: this machine cannot run 32-bit code (the 32-bit wine loader does not start);"
        fi
        echo "test: the win32 build and its export table are checked, its $count test programs not run"
        if [[ "${TARVISCO_REQUIRE_WIN32:-}" == 1 ]]; then
            stage_detail="$why"
            return 1
        fi
        total_skipped=$((total_skipped + count))
        stage_detail="$count programs skipped: $why"
        return 77
    fi
    # Only the window tests get the display: without one, nothing under wine
    # can wait on a window (an error dialog, the desktop at exit).
    local rc=0 display="${DISPLAY:-}"
    (unset DISPLAY; run_ctest "$config" "" -LE gui) || rc=$?
    # The subshell's counts are lost: count again from its log.
    count_ctest_line "$LOG_DIR/test-$config.log" || rc=1
    local detail="$stage_detail"
    if [[ -n "$display" ]]; then
        run_ctest "$config" "-gui" -L gui || rc=$?
        stage_detail="$detail; window tests: $stage_detail"
    fi
    return "$rc"
}

# The Windows programs export end to end under wine against the Linux simulator.
do_wine_e2e() {
    local config="$1" log="$LOG_DIR/e2e-$1.log"
    (unset DISPLAY; timeout --kill-after=30 900 bash "$ROOT/tests/e2e/wine_e2e.sh" \
        "$BUILD_ROOT/$config" "$BUILD_ROOT/linux") 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    ((rc == 77 || rc == 2)) && return 77
    count_plain_line "$log" || return 1
    return "$rc"
}

cd "$ROOT" || exit 1
echo "tarvisco test run: $(date '+%Y-%m-%d %H:%M:%S'), $(nproc) cores, JOBS=$JOBS"

stage setup do_setup
stage format do_format
for c in "${ALL_CONFIGS[@]}"; do
    stage "build $c" do_build "$c"
done
stage exports do_exports
stage display do_display
[[ -n "${built[linux]:-}" ]] && stage "test linux" do_test_linux
[[ -n "${built[linux]:-}" ]] && stage "example linux" do_example linux
[[ -n "${built[linux]:-}" ]] && stage "fault sweep" do_fault_sweep
[[ -n "${built[asan]:-}" ]] && stage "test asan" do_test_asan
[[ "${FUZZ_SECONDS:-5}" != 0 ]] && stage fuzz do_fuzz
[[ "${COVERAGE:-1}" != 0 ]] && stage coverage do_coverage
if [[ -n "${built[win32]:-}${built[win64]:-}" ]] && stage "wine prefix" do_wine_prefix; then
    [[ -n "${built[win64]:-}" ]] && stage "test win64" do_test_windows win64
    [[ -n "${built[win64]:-}" && -n "${built[linux]:-}" ]] && stage "e2e win64" do_wine_e2e win64
    [[ -n "${built[win64]:-}" ]] && stage "example win64" do_example win64
    [[ -n "${built[win32]:-}" ]] && stage "test win32" do_test_windows win32
fi

packages=()
[[ -n "${built[linux]:-}" ]] && packages+=(linux)
[[ -n "${built[win32]:-}" && -n "${built[win64]:-}" ]] && packages+=(windows)
((${#packages[@]})) && stage package do_package "${packages[@]}"

echo
echo "==================== summary ===================="
printf '%s\n' "${summary[@]}"
echo "total time $(fmt_secs $(($(date +%s) - run_start))); logs in ${LOG_DIR#"$ROOT/"}/"
closing="$total_passed passed, $total_failed failed"
((total_skipped)) && closing+=", $total_skipped skipped"
echo "$closing"
((total_failed == 0))
