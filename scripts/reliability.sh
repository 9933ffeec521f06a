#!/usr/bin/env bash
# Reliability steps: the test suites under address and undefined-behaviour
# sanitizers, the fuzz programs of fuzz/, and a leak check of a long sequence
# of calls through the platform emulator. ./dev.sh test sources this file and
# calls test_reliability (short runs); on its own:
#   scripts/reliability.sh                      everything, short fuzz runs
#   scripts/reliability.sh asan                 sanitizer build and its ctest
#   scripts/reliability.sh fuzz [SECONDS] [TARGET...]
#                                               each fuzz program SECONDS long
#                                               (default 15), e.g. fuzz 600 answer
#   scripts/reliability.sh leaks                the long call sequence under valgrind
# Fuzz corpora grow in build/fuzz/corpus/<target>, findings land in
# build/fuzz/findings/, run logs in build/fuzz/logs/<target>-<seconds>s.log.
# FUZZ_NICE=10 lowers the fuzzers' priority on a shared machine.

RELIABILITY_PACKAGES=(clang-14 libclang-rt-14-dev valgrind)
FUZZ_TARGETS=(input_parameters check_package marking_request text_document answer operations
    call_as_func)
FUZZ_SECONDS=${FUZZ_SECONDS:-15}
FUZZ_BUILD=$ROOT/build/fuzz

fuzz_dictionary() {
    case $1 in
        answer | operations | call_as_func) echo "$ROOT/fuzz/json.dict" ;;
        *) echo "$ROOT/fuzz/xml.dict" ;;
    esac
}

build_fuzz() {
    need_packages "${RELIABILITY_PACKAGES[@]}" "${LINUX_PACKAGES[@]}"
    log "building the fuzz programs (clang, libFuzzer, ASan, UBSan)"
    local tinyxml2_source="" pugixml_source=""
    if declare -F debian_source_dir >/dev/null; then
        tinyxml2_source=$(debian_source_dir tinyxml2 || true)
        pugixml_source=$(debian_source_dir pugixml || true)
    fi
    cmake -S "$ROOT/fuzz" -B "$FUZZ_BUILD" -DCMAKE_CXX_COMPILER=clang++-14 \
        -DZARVIK_TINYXML2_SOURCE="$tinyxml2_source" -DZARVIK_PUGIXML_SOURCE="$pugixml_source" >/dev/null
    cmake --build "$FUZZ_BUILD" -j "$JOBS" >/dev/null
}

# The seeds of fuzz/seeds and the test documents, added to what earlier runs found.
fuzz_corpus() {
    local target=$1 corpus=$FUZZ_BUILD/corpus/$1
    mkdir -p "$corpus"
    if [ -d "$ROOT/fuzz/seeds/$target" ]; then cp -n "$ROOT/fuzz/seeds/$target"/* "$corpus"/ || true; fi
    # Every platform document reader gets every example document: the right
    # one seeds it, the others are near misses.
    if [ "$(fuzz_dictionary "$target")" = "$ROOT/fuzz/xml.dict" ]; then
        local document
        for document in "$ROOT"/tests/data/*.xml "$ROOT"/examples/*.xml; do
            if [ -f "$document" ]; then cp -n "$document" "$corpus"/ || true; fi
        done
    fi
    echo "$corpus"
}

# One fuzz program for SECONDS; fails on any crash, hang (10 s for one input),
# leak or sanitizer report, printing the report and where the input was kept.
run_fuzz_target() {
    local target=$1 seconds=$2 corpus output status
    corpus=$(fuzz_corpus "$target")
    output=$FUZZ_BUILD/logs/$target-${seconds}s.log
    mkdir -p "$FUZZ_BUILD/logs" "$FUZZ_BUILD/findings"
    status=0
    (cd "$FUZZ_BUILD" && nice -n "${FUZZ_NICE:-0}" "./fuzz_$target" -max_total_time="$seconds" \
        -timeout=10 -max_len=16384 -print_final_stats=1 -dict="$(fuzz_dictionary "$target")" \
        -artifact_prefix="$FUZZ_BUILD/findings/$target-" "$corpus") >"$output" 2>&1 || status=$?
    local runs speed coverage
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$output" | grep -o '[0-9]*$' || true)
    speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$output" | grep -o '[0-9]*$' || true)
    coverage=$(grep -oE 'DONE +cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' "$output" |
        tail -1 | sed 's/DONE *//' || true)
    if [ "$status" -ne 0 ]; then
        tail -40 "$output" >&2
        echo "fuzz_$target FAILED after ${runs:-?} runs; see $output" >&2
        return 1
    fi
    printf '  %-18s %4ss  %10s runs  %6s/s  %s\n' "$target" "$seconds" "${runs:-?}" "${speed:-?}" \
        "$coverage" >&2
}

run_fuzz() {
    local seconds=${1:-$FUZZ_SECONDS}
    shift || true
    local targets=("$@") failed=0 target running=()
    [ ${#targets[@]} -gt 0 ] || targets=("${FUZZ_TARGETS[@]}")
    # Several runs at once share one build: FUZZ_SKIP_BUILD=1 for all but the first.
    [ -n "${FUZZ_SKIP_BUILD:-}" ] || build_fuzz
    log "fuzzing ${#targets[@]} programs for ${seconds}s each, $JOBS at a time"
    # A program a core: each gets its full time, the whole takes less.
    for target in "${targets[@]}"; do
        run_fuzz_target "${target#fuzz_}" "$seconds" &
        running+=($!)
        if [ ${#running[@]} -ge "$JOBS" ]; then
            wait "${running[0]}" || failed=1
            running=("${running[@]:1}")
        fi
    done
    for target in "${running[@]}"; do wait "$target" || failed=1; done
    return $failed
}

test_asan() {
    need_packages "${LINUX_PACKAGES[@]}"
    log "building the Linux test suites with ASan and UBSan"
    cmake --preset linux-asan >/dev/null
    cmake --build --preset linux-asan -j "$JOBS" >/dev/null
    log "Linux tests under ASan, UBSan and LeakSanitizer"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --preset linux-asan -j "$JOBS"
}

# valgrind on the ordinary build, so the component is checked as it ships.
leak_check() {
    need_packages valgrind
    build_linux >/dev/null
    log "leak check: a long sequence of calls through the platform emulator under valgrind"
    local output=$ROOT/build/linux/leak-check.log
    valgrind --quiet --suppressions="$ROOT/scripts/valgrind.supp" --leak-check=full \
        --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
        --error-exitcode=99 "$ROOT/build/linux/tests/integration_tests" \
        --gtest_filter='LongSequence*' --gtest_brief=1 >"$output" 2>&1 || {
        cat "$output" >&2
        return 1
    }
    # A filter that matched nothing would pass without checking anything.
    grep -q 'PASSED.* 1 test' "$output" || { cat "$output" >&2; return 1; }
    echo "  valgrind: no leak, no memory error in $(grep -o '[0-9]* ms total' "$output")" >&2
}

test_reliability() {
    test_asan
    run_fuzz "$FUZZ_SECONDS"
    leak_check
}

# Run on its own: the little of dev.sh these steps need.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    ROOT=$(cd "$(dirname "$0")/.." && pwd)
    FUZZ_BUILD=$ROOT/build/fuzz
    JOBS=${JOBS:-$(nproc)}
    LINUX_PACKAGES=(build-essential cmake libtinyxml2-dev libpugixml-dev rapidjson-dev libgtest-dev
        libgmock-dev)
    # shellcheck source=scripts/common.sh
    source "$ROOT/scripts/common.sh"
    # The static libraries that the shipped component links (build_linux_deps).
    # shellcheck source=scripts/windows.sh
    source "$ROOT/scripts/windows.sh"
    build_linux() {
        need_packages "${LINUX_PACKAGES[@]}"
        build_linux_deps
        cmake --preset linux >/dev/null
        cmake --build --preset linux -j "$JOBS" >/dev/null
    }
    cd "$ROOT"
    case "${1:-all}" in
        all) test_reliability ;;
        asan) test_asan ;;
        fuzz) shift; run_fuzz "$@" ;;
        leaks) leak_check ;;
        *) echo "usage: $0 [all|asan|fuzz [SECONDS] [TARGET...]|leaks]" >&2; exit 2 ;;
    esac
fi
