#!/usr/bin/env bash
# bomreport diff against the two reports it compares: the wall time and peak
# memory of `bomreport diff` over two revisions of a generated model, and of
# the two reports of the same template over each revision, side by side.
#
#   bench/compare_diff.sh BUILD_DIR [PARTS] [SHAPE] [ROUNDS]   (defaults: 1000000 catalogue 3)
#
# The second revision is the first with every 97th part's %Quantity raised by
# one, every 89th part left out and every 83rd part's %Name changed: about
# 3% of the parts differ, as a revision of a large model does.
set -euo pipefail
build=${1:?usage: compare_diff.sh BUILD_DIR [PARTS] [SHAPE] [ROUNDS]}
parts=${2:-1000000}
shape=${3:-catalogue}
rounds=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
bin="$build/tools/bomreport/bomreport"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
traits=(${shape//+/ })
flags=()
for trait in "${traits[@]:1}"; do flags+=("--$trait"); done
"$build/bench/bomgen" "$parts" 1 --shape "${traits[0]}" "${flags[@]}" > "$work/old.csv"
awk -F, -v OFS=, 'NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; print; next }
  NR % 89 == 0 { next }
  NR % 97 == 0 { $col["%Quantity"] += 1 }
  NR % 83 == 0 { $col["%Name"] = $col["%Name"] "X" }
  { print }' "$work/old.csv" > "$work/new.csv"
template="$here/compare_template.json"
measure() {  # prints "seconds peak_kb"
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null 2> "$work/err" || { cat "$work/err"; exit 1; }
  cat "$work/time"
}
echo "parts=$parts shape=$shape"
for round in $(seq "$rounds"); do
  read -r a ma < <(measure "$bin" --template "$template" --data "$work/old.csv" -o "$work/a.csv")
  read -r b mb < <(measure "$bin" --template "$template" --data "$work/new.csv" -o "$work/b.csv")
  read -r d md < <(measure "$bin" diff --template "$template" --data "$work/old.csv" \
                     --data "$work/new.csv" -o "$work/rev.csv")
  echo "round $round: reports ${a}+${b} s (peak $((ma / 1024)), $((mb / 1024)) MB); diff ${d} s (peak $((md / 1024)) MB); diff/reports $(echo "scale=2; $d / ($a + $b)" | bc)"
done
echo "revision list: $(($(wc -l < "$work/rev.csv") - 1)) lines"
