#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $BUILD_DIR).
#   scripts/build.sh [target...]    (default: every target)
# CMAKE_ARGS adds configure options, e.g. CMAKE_ARGS=-DWAGA_BUILD_TESTS=OFF.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-} >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$build_dir" -j "$(nproc)" --target "$@"
else
  cmake --build "$build_dir" -j "$(nproc)"
fi
