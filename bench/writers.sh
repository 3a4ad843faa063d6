#!/usr/bin/env bash
# Time and peak memory of bomreport writing each format, for the figures of
# docs/performance.md ("The writers"): generated models of 100k and 1M parts,
# with the benchmark template (repeated details lines merged) and with
# bench/parts_template_lines.json (a line per part: each part gets an
# %ElementID of its own).
#
#   bench/writers.sh [BUILD_DIR]     (default: build-release; built if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBOM_BUILD_TESTS=OFF -DBOM_BUILD_BENCH=ON > /dev/null
cmake --build "$build" -j2 --target bomgen bomreport > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for parts in 100000 1000000; do
  "$build/bench/bomgen" "$parts" |
    awk -F, 'NR == 1 { print $0 ",%ElementID"; next } { printf "%s,E%07d\n", $0, NR - 1 }' \
    > "$work/parts.csv"
  for template in bench/parts_template.json bench/parts_template_lines.json; do
    for format in csv xlsx pdf; do
      /usr/bin/time -f "$parts parts, $(basename "$template"), $format: %e s, %U s user, peak %M KB" \
        "$build/tools/bomreport/bomreport" --template "$template" --data "$work/parts.csv" \
        -o "$work/report.$format"
    done
    echo "  $(pdfinfo "$work/report.pdf" | grep Pages)"
  done
done
