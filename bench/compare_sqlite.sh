#!/usr/bin/env bash
# Side by side: bomreport and sqlite3 on the same generated parts CSV, each
# producing the sorted details lines (repeats dropped) and the sums per
# position, per assembly and in total. Prints both times and their ratio.
#
#   bench/compare_sqlite.sh BUILD_DIR [PARTS]
set -euo pipefail
build=${1:?usage: compare_sqlite.sh BUILD_DIR [PARTS]}
parts=${2:-1000000}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/bomgen" "$parts" > "$work/parts.csv"

# Every line of a position group shows the same values in these models, so the
# report keeps one details line per group and sums that line: SQL's DISTINCT
# lines per group give the same details and sums.
cat > "$work/report.sql" <<'SQL'
.mode csv
.headers on
.import parts.csv parts
CREATE TEMP TABLE lines AS
  SELECT DISTINCT "%MNum" AS mnum, "%Phase" AS phase, CAST("%PosNum" AS INTEGER) AS pos,
         "%Name" AS name, "%Material" AS material, CAST("%Length" AS REAL) AS length,
         CAST("%Weight" AS REAL) AS weight, CAST("%Quantity" AS INTEGER) AS quantity,
         "%Class" AS class
  FROM parts WHERE "#type" IN ('1', '2', '3', '4');
.output details.csv
SELECT * FROM lines ORDER BY mnum, material, name, pos;
.output position_sums.csv
SELECT mnum, pos, SUM(weight), SUM(length), SUM(quantity) FROM lines
  GROUP BY mnum, pos ORDER BY mnum, MIN(material), MIN(name), pos;
.output assembly_sums.csv
SELECT mnum, SUM(weight), SUM(length), SUM(quantity) FROM lines GROUP BY mnum ORDER BY mnum;
.output total.csv
SELECT SUM(weight), SUM(length), SUM(quantity) FROM lines;
SQL

seconds() { local start end; start=$(date +%s.%N); "$@"; end=$(date +%s.%N); echo "$end - $start" | bc; }

bom=$(seconds "$build/tools/bomreport/bomreport" --template "$here/parts_template.json" \
        --data "$work/parts.csv" --format csv -o "$work/report.csv")
sql=$(cd "$work" && seconds sqlite3 :memory: < "$work/report.sql")
echo "parts:     $parts"
echo "bomreport: ${bom} s ($(grep -c ',kDetails,' "$work/report.csv") details lines)"
echo "sqlite3:   ${sql} s ($(($(wc -l < "$work/details.csv") - 1)) details lines)"
echo "ratio sqlite3 / bomreport: $(echo "scale=2; $sql / $bom" | bc)"
