# Shared by compare_duckdb.sh and compare_sqlite.sh (sourced, not run): reads
# BUILD_DIR [PARTS] [SHAPE] [ROUNDS], makes a scratch folder and the generated
# parts file in it, and offers median().
set -euo pipefail
usage="usage: $(basename "$0") BUILD_DIR [PARTS] [SHAPE] [ROUNDS]"
build=$(cd "${1:?$usage}" && pwd)
parts=${2:-1000000}
shape=${3:-catalogue}
rounds=${4:-5}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/bomgen" "$parts" 1 --shape "$shape" > "$work/parts.csv"

# The median of the numbers given.
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
