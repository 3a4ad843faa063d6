# Shared by compare_duckdb.sh and compare_sqlite.sh (sourced, not run): reads
# BUILD_DIR [PARTS] [SHAPE] [ROUNDS], makes a scratch folder and the generated
# parts file in it, and offers median(). SHAPE is a bomgen shape, optionally
# with traits joined by '+': flat+all-kept+scattered is
# `bomgen --shape flat --all-kept --scattered`.
set -euo pipefail
usage="usage: $(basename "$0") BUILD_DIR [PARTS] [SHAPE] [ROUNDS]"
build=$(cd "${1:?$usage}" && pwd)
parts=${2:-1000000}
shape=${3:-catalogue}
rounds=${4:-5}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
IFS=+ read -r -a shape_words <<< "$shape"
traits=()
for trait in "${shape_words[@]:1}"; do traits+=("--$trait"); done
"$build/bench/bomgen" "$parts" 1 --shape "${shape_words[0]}" "${traits[@]}" > "$work/parts.csv"

# The median of the numbers given.
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
