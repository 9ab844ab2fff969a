#!/usr/bin/env bash
# The test suite under the sanitizers:
#   build-asan: AddressSanitizer + UndefinedBehaviorSanitizer, every test;
#   build-tsan: ThreadSanitizer, the serial (network too) and acquisition tests
#               and the shipping to a database, which has a thread of its own.
#   scripts/sanitize.sh [asan|tsan]...      (default: both)
# LeakSanitizer stays on (the suite, Qt windows included, needs no
# suppressions); UBSan findings stop the test that makes them. Options set in
# the environment take the place of these.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 0 ] && set -- asan tsan
status=0
for kind in "$@"; do
  start=$(date +%s)
  case "$kind" in
    asan)
      cmake -S . -B build-asan -G Ninja -DWAGA_ASAN=ON >/dev/null
      cmake --build build-asan -j 2
      built=$(date +%s)
      ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1} \
      UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
        ctest --test-dir build-asan -j 2 --output-on-failure || status=1
      ;;
    tsan)
      cmake -S . -B build-tsan -G Ninja -DWAGA_TSAN=ON >/dev/null
      targets="serial_model_test serial_lifecycle_test serial_device_tests serial_net_tests acquisition_tests database_test"
      cmake --build build-tsan -j 2 --target $targets
      built=$(date +%s)
      TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1} \
        ctest --test-dir build-tsan -j 2 --output-on-failure \
          -L "^($(echo $targets | tr ' ' '|'))\$" || status=1
      ;;
    *) echo "sanitize.sh: unknown kind $kind (asan or tsan)" >&2; exit 2 ;;
  esac
  end=$(date +%s)
  echo "== $kind: build $((built - start)) s, tests $((end - built)) s"
done
exit $status
