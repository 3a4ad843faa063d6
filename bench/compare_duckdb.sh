#!/usr/bin/env bash
# Side by side, in paired runs: bomreport and DuckDB (2 threads, through its
# Node.js package) on the same generated parts CSV, each producing the sorted
# details lines (repeats dropped) and the sums per position, per assembly and
# in total. Prints the median times, peak memory and the paired ratio.
#
#   bench/compare_duckdb.sh BUILD_DIR [PARTS] [SHAPE] [ROUNDS]
#
# SHAPE is repetitive, catalogue (default) or flat. The DuckDB package is
# installed with npm into BUILD_DIR/duckdb on first use. Not part of CI.
source "$(dirname "$0")/compare_common.sh"

duck="$build/duckdb"
if [ ! -d "$duck/node_modules/@duckdb/node-api" ]; then
  mkdir -p "$duck"
  (cd "$duck" && npm init -y > /dev/null && npm install --silent @duckdb/node-api > /dev/null)
fi
cp "$here/compare_duckdb.mjs" "$duck/"

# Wall time and peak memory (KiB) of a command: "SECONDS KIB".
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" > "$work/out" 2>&1
  cat "$work/time"
}

bom_times=() duck_times=() ratios=()
for ((i = 0; i < rounds; i++)); do
  read -r bom bom_kib < <(measure "$build/tools/bomreport/bomreport" \
    --template "$here/compare_template.json" --data "$work/parts.csv" --format csv \
    -o "$work/report.csv")
  read -r duck_s duck_kib < <(measure node "$duck/compare_duckdb.mjs" "$work/parts.csv" "$work")
  bom_times+=("$bom") duck_times+=("$duck_s")
  ratios+=("$(echo "scale=3; $bom / $duck_s" | bc)")
done
echo "parts: $parts, shape: $shape, rounds: $rounds"
echo "bomreport: $(median "${bom_times[@]}") s, peak $((bom_kib / 1024)) MiB," \
     "$(grep -c ',kDetails,' "$work/report.csv") details lines"
echo "duckdb:    $(median "${duck_times[@]}") s, peak $((duck_kib / 1024)) MiB," \
     "$(cut -d' ' -f2 "$work/out") details lines"
echo "ratio bomreport / duckdb (median of paired runs): $(median "${ratios[@]}")" \
     "(each: ${ratios[*]})"
