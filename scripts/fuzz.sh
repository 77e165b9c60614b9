#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build/fuzz and runs
# every one of them for SECONDS (default 60), each with its seed corpus
# fuzz/corpus/<name>/ when there is one. The targets are found in the build,
# not listed here: a new fuzz/<name>_fuzz.cpp needs no change to this script.
# A crash, a leak, a hang (over 10 s for one input) or an undefined-behaviour
# report stops that target; its reproducer lands in build/fuzz/findings/<name>/.
# Ends with "N passed, N failed" (one count per target) and exits non-zero
# when a target failed.
#
# Usage: scripts/fuzz.sh [SECONDS]
# Environment: JOBS (default 2) for the build; FUZZ_ONLY=regex runs only the
# matching targets; FUZZ_ARGS adds libFuzzer options.
set -uo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

SECONDS_EACH="${1:-60}"
if ! [[ "$SECONDS_EACH" =~ ^[0-9]+$ ]] || ((SECONDS_EACH < 1)); then
    echo "usage: $0 [SECONDS]   (seconds per target, a whole number from 1)" >&2
    exit 2
fi
DIR="$BUILD_ROOT/fuzz"
for tool in clang clang++; do
    if ! command -v "$tool" >/dev/null; then
        echo "fuzz: $tool not found; install clang and libclang-rt-14-dev (scripts/setup.sh)" >&2
        exit 1
    fi
done

options="-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVISCO_FUZZ=ON -DTARVISCO_TESTS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++"
stamp="$DIR/.build-options"
mkdir -p "$DIR"
if [[ ! -f "$DIR/build.ninja" || "$(cat "$stamp" 2>/dev/null)" != "$options" ]]; then
    rm -f "$DIR/CMakeCache.txt"
    # shellcheck disable=SC2086  # options are words
    cmake -S "$ROOT" -B "$DIR" $options >"$DIR.configure.log" 2>&1 || {
        cat "$DIR.configure.log"
        echo "fuzz: configuring build/fuzz failed" >&2
        exit 1
    }
    echo "$options" >"$stamp"
fi
echo "fuzz: building (-j$JOBS)"
cmake --build "$DIR" -j"$JOBS" >"$DIR.build.log" 2>&1 || {
    tail -n 40 "$DIR.build.log"
    echo "fuzz: building build/fuzz failed (log: ${DIR#"$ROOT/"}.build.log)" >&2
    exit 1
}

mapfile -t targets < <(find "$DIR/fuzz" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort)
if ((${#targets[@]} == 0)); then
    echo "fuzz: no *_fuzz program built in ${DIR#"$ROOT/"}/fuzz" >&2
    exit 1
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
passed=0
failed=0
results=()
for program in "${targets[@]}"; do
    name="$(basename "$program" _fuzz)"
    [[ -n "${FUZZ_ONLY:-}" && ! "$name" =~ $FUZZ_ONLY ]] && continue
    work="$DIR/corpus/$name"           # what the fuzzer finds, kept between runs
    findings="$DIR/findings/$name"
    log="$DIR/logs/$name.log"
    mkdir -p "$work" "$findings" "$DIR/logs"
    seeds=()
    [[ -d "$ROOT/fuzz/corpus/$name" ]] && seeds=("$ROOT/fuzz/corpus/$name")
    echo "fuzz: $name for ${SECONDS_EACH}s${seeds:+ (seeds: fuzz/corpus/$name)}"
    # shellcheck disable=SC2086  # FUZZ_ARGS are words
    (cd "$findings" && "$program" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 ${FUZZ_ARGS:-} "$work" "${seeds[@]}") >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    if ((rc == 0)); then
        passed=$((passed + 1))
        results+=("$(printf '%-22s ok      %12s runs %8s exec/s' "$name" "${runs:-?}" "${rate:-?}")")
    else
        failed=$((failed + 1))
        results+=("$(printf '%-22s FAILED  see %s' "$name" "${log#"$ROOT/"}")")
        grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" | head -n 8
    fi
done

echo
printf '%s\n' "${results[@]}"
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
