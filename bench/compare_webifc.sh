#!/usr/bin/env bash
# Side by side, in paired runs: bomreport and web-ifc (npm, run by Node)
# reading the same generated IFC model of N steel elements with geometry
# (bench/ifcgen) and extracting the same fields of every part: bomreport with
# tests/tools/data/ifc-fields.json to CSV, web-ifc with the oracle of the
# tests (examples/steel_ifc.cjs read). Prints the median wall times, the peak
# memory (GNU time) and the paired ratio.
#
#   bench/compare_webifc.sh BUILD_DIR [ELEMENTS] [ROUNDS]      (100000, 3)
#
# BUILD_DIR should be a Release build with the targets bomreport and ifcgen.
# web-ifc is installed with npm into BUILD_DIR/webifc on first use, at the
# version of examples/package.json. Not part of CI.
set -euo pipefail
build=$(cd "${1:?usage: compare_webifc.sh BUILD_DIR [ELEMENTS] [ROUNDS]}" && pwd)
elements=${2:-100000}
rounds=${3:-3}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

node_dir="$build/webifc"
if [ ! -d "$node_dir/node_modules/web-ifc" ]; then
  mkdir -p "$node_dir"
  cp "$source_dir/examples/package.json" "$node_dir/"
  npm install --silent --no-audit --no-fund --prefix "$node_dir" > /dev/null
fi
"$build/bench/ifcgen" "$elements" > "$work/model.ifc"

# Wall time and peak memory (KiB) of a command: "SECONDS KIB".
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" > "$work/out" 2> "$work/err" ||
    { cat "$work/err" >&2; exit 1; }
  cat "$work/time"
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

bom_times=() web_times=() ratios=()
for ((i = 0; i < rounds; i++)); do
  read -r bom bom_kib < <(measure "$build/tools/bomreport/bomreport" \
    --template "$source_dir/tests/tools/data/ifc-fields.json" --data "$work/model.ifc" \
    --format csv -o "$work/parts.csv")
  bom_rows=$(grep -c ',kDetails,' "$work/parts.csv")
  read -r web web_kib < <(measure env NODE_PATH="$node_dir/node_modules" \
    node --max-old-space-size=16384 "$source_dir/examples/steel_ifc.cjs" read "$work/model.ifc")
  web_rows=$(wc -l < "$work/out")
  bom_times+=("$bom") web_times+=("$web")
  ratios+=("$(echo "scale=3; $bom / $web" | bc)")
done
echo "model: $elements elements, $(($(stat -c %s "$work/model.ifc") / 1048576)) MiB, rounds: $rounds"
echo "bomreport: $(median "${bom_times[@]}") s, peak $((bom_kib / 1024)) MiB, $bom_rows parts"
echo "web-ifc:   $(median "${web_times[@]}") s, peak $((web_kib / 1024)) MiB, $web_rows parts"
echo "ratio bomreport / web-ifc (median of paired runs): $(median "${ratios[@]}")" \
     "(each: ${ratios[*]})"
