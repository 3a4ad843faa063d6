#!/usr/bin/env bash
# Reproduces the figures of docs/performance.md: builds in release mode, runs
# the engine's benchmarks on every shape of model (median of 5), the memory
# probe, and bomreport against DuckDB and sqlite3 on every shape at 100k and 1M
# parts, in paired runs: the three shapes, and the catalogue and flat shapes
# with both traits of real flat models (every part kept, assemblies scattered;
# see PartsGenerator.h). About three quarters of an hour; not part of CI.
#
#   bench/reproduce.sh [BUILD_DIR]     (default: build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBOM_BUILD_TESTS=OFF -DBOM_BUILD_BENCH=ON \
  > /dev/null
cmake --build "$build" -j2 --target bom_bench bom_memory bomgen bomreport > /dev/null

"$build/bench/bom_bench" --benchmark_filter='BM_(Evaluate|RowSort)' --benchmark_repetitions=5 \
  --benchmark_display_aggregates_only=true 2>/dev/null | grep -E 'median|^Benchmark' || true
for shape in repetitive catalogue flat; do
  for parts in 100000 1000000; do "$build/bench/bom_memory" "$parts" "$shape"; done
done
for shape in repetitive catalogue flat catalogue+all-kept+scattered flat+all-kept+scattered; do
  for parts in 100000 1000000; do
    bench/compare_duckdb.sh "$build" "$parts" "$shape" 5
    bench/compare_sqlite.sh "$build" "$parts" "$shape" 3
  done
done
