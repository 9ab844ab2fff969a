#!/usr/bin/env bash
# Sets up the machine for the tests, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
CMAKE_ARGS="-DWAGA_BUILD_TESTS=ON ${CMAKE_ARGS:-}" bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
