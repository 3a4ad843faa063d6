#!/usr/bin/env bash
# Reproduces the figures of docs/performance.md: builds in release mode, runs
# the benchmarks (median of 5), the memory probe and the sqlite3 comparison.
#
#   bench/reproduce.sh [BUILD_DIR]     (default: build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBOM_BUILD_TESTS=OFF -DBOM_BUILD_BENCH=ON > /dev/null
cmake --build "$build" -j2 --target bom_bench bom_memory bomgen bomreport > /dev/null

"$build/bench/bom_bench" --benchmark_repetitions=5 \
  --benchmark_display_aggregates_only=true 2>/dev/null |
  grep -E 'median|^Benchmark' || true
for parts in 100000 1000000; do "$build/bench/bom_memory" "$parts"; done
bench/compare_sqlite.sh "$build" 1000000
