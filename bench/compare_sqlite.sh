#!/usr/bin/env bash
# Side by side, in paired runs: bomreport and sqlite3 on the same generated
# parts CSV, each producing the sorted details lines (repeats dropped) and the
# sums per position, per assembly and in total: the job of
# compare_template.json, as compare_duckdb.sh runs it in DuckDB. Prints the
# median times and the paired ratio.
#
#   bench/compare_sqlite.sh BUILD_DIR [PARTS] [SHAPE] [ROUNDS]
#
# SHAPE is repetitive, catalogue (default) or flat. Not part of CI.
source "$(dirname "$0")/compare_common.sh"

# Every line of a position group shows the same values in these models, so the
# report keeps one details line per group: SQL's DISTINCT lines per group give
# the same details and sums.
cat > "$work/report.sql" <<'SQL'
.mode csv
.headers on
.import parts.csv parts
CREATE TEMP TABLE lines AS
  SELECT DISTINCT "%MNum" AS mnum, CAST("%PosNum" AS INTEGER) AS pos, "%Name" AS name,
         "%Material" AS material, CAST("%Length" AS REAL) AS length,
         CAST("%Weight" AS REAL) AS weight, CAST("%Quantity" AS INTEGER) AS quantity,
         "%Phase" AS phase, "%Class" AS class
  FROM parts WHERE "#type" IN ('1', '2', '3');
.output details.csv
SELECT * FROM lines ORDER BY mnum, pos;
.output sums.csv
SELECT mnum, pos, SUM(weight), SUM(length), SUM(quantity) FROM lines GROUP BY mnum, pos
UNION ALL SELECT mnum, NULL, SUM(weight), SUM(length), SUM(quantity) FROM lines GROUP BY mnum
UNION ALL SELECT NULL, NULL, SUM(weight), SUM(length), SUM(quantity) FROM lines;
SQL

seconds() {
  /usr/bin/time -f '%e' -o "$work/time" "$@" > /dev/null 2>&1
  cat "$work/time"
}
bom_times=() sql_times=() ratios=()
for ((i = 0; i < rounds; i++)); do
  bom=$(seconds "$build/tools/bomreport/bomreport" --template "$here/compare_template.json" \
          --data "$work/parts.csv" --format csv -o "$work/report.csv")
  sql=$(cd "$work" && seconds sh -c 'sqlite3 :memory: < report.sql')
  bom_times+=("$bom") sql_times+=("$sql")
  ratios+=("$(echo "scale=3; $bom / $sql" | bc)")
done
echo "parts: $parts, shape: $shape, rounds: $rounds"
echo "bomreport: $(median "${bom_times[@]}") s ($(grep -c ',kDetails,' "$work/report.csv") details lines)"
echo "sqlite3:   $(median "${sql_times[@]}") s ($(($(wc -l < "$work/details.csv") - 1)) details lines)"
echo "ratio bomreport / sqlite3 (median of paired runs): $(median "${ratios[@]}")" \
     "(each: ${ratios[*]})"
