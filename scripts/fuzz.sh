#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan into
# build-fuzz/ (or $BUILD_DIR) and runs each one for the given number of
# seconds, starting from its seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh [seconds] [target...]     (default: 60, every target)
# New inputs go to <build>/corpus/<target>/, findings to
# <build>/findings/<target>-*; the seed corpus in the repository is not
# touched. Exits non-zero when a target finds something.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build_dir=${BUILD_DIR:-build-fuzz}

CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S . -B "$build_dir" -G Ninja \
  -DWAGA_FUZZ=ON -DWAGA_ASAN=ON -DWAGA_BUILD_TESTS=OFF >/dev/null
if [ $# -eq 0 ]; then
  set -- $(cd fuzz/corpus && ls)
fi
cmake --build "$build_dir" -j 2 --target $(printf 'fuzz_%s ' "$@")

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for target in "$@"; do
  work="$build_dir/corpus/$target"
  mkdir -p "$work" "$build_dir/findings"
  log="$build_dir/fuzz-$target.log"
  echo "== $target: $seconds s"
  if "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
       -print_final_stats=1 -artifact_prefix="$build_dir/findings/$target-" \
       "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "   no finding; $runs executions; corpus $(ls "$work" | wc -l) inputs"
  else
    status=1
    echo "   FINDING (see $log):"
    grep -m 5 -E 'ERROR|invariant broken|runtime error|SUMMARY' "$log" | sed 's/^/   /' || true
  fi
done
exit $status
