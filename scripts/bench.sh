#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them with repetitions and prints one table:
# each operation beside its OpenCV peer and a memcpy of the same frame, as medians.
# Extra arguments go to the benchmark program, e.g. --benchmark_filter=chain.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset release > /dev/null
cmake --build --preset release -j "$(nproc)" --target vizmar_bench

results=build/release/bench/results.json
log=build/release/bench/results.log
echo "Running the benchmarks (a few minutes; progress in $log)..."
build/release/bench/vizmar_bench \
  --benchmark_repetitions="${BENCH_REPETITIONS:-5}" \
  --benchmark_report_aggregates_only=true \
  --benchmark_min_time="${BENCH_MIN_TIME:-0.1}" \
  --benchmark_out="$results" --benchmark_out_format=json \
  "$@" > "$log" 2>&1

python3 scripts/bench_table.py "$results"
