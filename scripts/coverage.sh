#!/usr/bin/env bash
# Line, region and branch coverage of src/ by the unit and integration tests,
# with clang's source-based coverage (-fprofile-instr-generate
# -fcoverage-mapping). Builds only unit_tests, integration_tests and the
# component they load, unoptimised and without debug information, in
# build/coverage; runs both test programs once each; prints the totals.
#   scripts/coverage.sh            build, run, print the totals
#   scripts/coverage.sh --files    the same, with a line per source file
# The merged profile stays in build/coverage/coverage.profdata, e.g. for
#   llvm-cov-14 show build/coverage/tests/unit_tests -instr-profile=... src/...
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build/coverage
JOBS=${JOBS:-$(nproc)}
PACKAGES=(clang-14 llvm-14 libclang-rt-14-dev cmake libtinyxml2-dev libpugixml-dev rapidjson-dev libgtest-dev libgmock-dev)

# shellcheck source=scripts/common.sh
source "$ROOT/scripts/common.sh"

need_packages "${PACKAGES[@]}"
log "building the test programs with coverage (clang 14) in ${BUILD#"$ROOT"/}"
FLAGS="-O0 -fprofile-instr-generate -fcoverage-mapping"
# The static tinyxml2 and pugixml that ./dev.sh builds, when there are; else the system's.
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE= \
    -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_EXE_LINKER_FLAGS="$FLAGS" \
    -DCMAKE_SHARED_LINKER_FLAGS="$FLAGS" \
    -DCMAKE_PREFIX_PATH="$ROOT/build/deps/linux-prefix" >/dev/null
cmake --build "$BUILD" --target unit_tests integration_tests -j "$JOBS" >/dev/null

log "running unit_tests and integration_tests"
PROFILES=$BUILD/profiles
rm -rf "$PROFILES" && mkdir -p "$PROFILES"
# %m: the test program and the component it loads each write their own profile.
export LLVM_PROFILE_FILE=$PROFILES/%m-%p.profraw
"$BUILD/tests/unit_tests" --gtest_brief=1 >"$BUILD/unit_tests.log" 2>&1 ||
    { tail -40 "$BUILD/unit_tests.log" >&2; exit 1; }
"$BUILD/tests/integration_tests" --gtest_brief=1 >"$BUILD/integration_tests.log" 2>&1 ||
    { tail -40 "$BUILD/integration_tests.log" >&2; exit 1; }

llvm-profdata-14 merge -sparse "$PROFILES"/*.profraw -o "$BUILD/coverage.profdata"
REPORT=$(llvm-cov-14 report "$BUILD/tests/unit_tests" -object "$BUILD/tests/integration_tests" \
    -object "$BUILD/libZarvikKassaDriver.so" -instr-profile="$BUILD/coverage.profdata" \
    "$ROOT/src")
[ "${1:-}" = "--files" ] && sed "s|$ROOT/src/||" <<<"$REPORT"
# TOTAL: regions, missed, %, functions, missed, %, lines, missed, %, branches, missed, %.
awk '/^TOTAL/ {
        printf "src/ coverage: lines %s (%d of %d), regions %s (%d of %d), branches %s (%d of %d)\n",
            $10, $8 - $9, $8, $4, $2 - $3, $2, $13, $11 - $12, $11
    }' <<<"$REPORT"
