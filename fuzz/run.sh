#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer, LeakSanitizer included) and runs each one for a
# bounded time on its seed corpus. Exits non-zero on the first finding; the
# crashing input is left in the build directory as crash-* / leak-* / oom-*.
#
#   fuzz/run.sh [SECONDS_PER_TARGET] [BUILD_DIR]     (defaults: 30, build-fuzz)
#
# New inputs go to BUILD_DIR/corpus/TARGET; the committed seeds are only read.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${2:-build-fuzz}
targets=(fuzz_directives fuzz_qelstring fuzz_evaluate fuzz_evaluate_reference fuzz_parts_csv fuzz_gzip_stream
         fuzz_parts_json fuzz_parts_ifc fuzz_ifc_mapping fuzz_template_json fuzz_writers fuzz_revisions)

CC=clang CXX=clang++ cmake -S . -B "$build" -DBOM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBOM_BUILD_TESTS=OFF -DBOM_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

root=$(pwd)
mkdir -p "$build/corpus"
build=$(cd "$build" && pwd)
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  echo "+ $target for ${seconds}s"
  status=0
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
    -artifact_prefix="$build/" "$build/corpus/$target" "$root/fuzz/corpus/$target" \
    > "$build/$target.log" 2>&1 || status=$?
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units)' "$build/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$build/$target.log" >&2
    echo "$target: finding (exit $status); the input is in $build/ (crash-*, leak-*, oom-*)" >&2
    exit 1
  fi
done
echo "fuzzing: ${#targets[@]} targets, ${seconds}s each, no finding"
