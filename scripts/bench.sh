#!/usr/bin/env bash
# Builds the component and the benchmark in Release (build/bench) and runs it:
# every measured operation next to the same number of bare loopback round
# trips, then the summary of ratios, time per position and peak memory.
#   scripts/bench.sh                              # 5 repetitions
#   scripts/bench.sh --benchmark_filter=OpenShift # any Google Benchmark flag
#   REPETITIONS=10 scripts/bench.sh
#   REALTIME=1 scripts/bench.sh    # run under chrt -f 10 (root): on a machine
#                                  # busy with other work the figures then
#                                  # wait less for a core
#   PIN=1 scripts/bench.sh         # driver and companion threads on one core:
#                                  # no cross-core wake-ups, steadier times,
#                                  # a cheaper floor
# Needs cmake, a C++17 compiler, tinyxml2, pugixml, RapidJSON and Google Benchmark
# (Debian: libbenchmark-dev).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/bench
# The component as it ships: with the static tinyxml2 and pugixml that
# ./dev.sh builds into build/deps/linux-prefix when they are there, else with
# the system's.
DEPS=()
if [ -d build/deps/linux-prefix/lib/cmake ]; then
    DEPS=(-DCMAKE_PREFIX_PATH="$PWD/build/deps/linux-prefix")
fi
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZARVIK_BUILD_BENCH=ON \
    -DZARVIK_BUILD_TESTS=OFF -DZARVIK_BUILD_TOOLS=OFF "${DEPS[@]}" >/dev/null
cmake --build "$BUILD" -j "${JOBS:-2}" --target zarvik_bench
echo "load before the run: $(uptime)"
PREFIX=()
if [ -n "${REALTIME:-}" ]; then PREFIX+=(chrt -f 10); fi
if [ -n "${PIN:-}" ]; then PREFIX+=(taskset -c 1); fi
"${PREFIX[@]}" "$BUILD/bench/zarvik_bench" --benchmark_repetitions="${REPETITIONS:-5}" \
    --benchmark_display_aggregates_only=true "$@"
echo "load after the run: $(uptime)"
