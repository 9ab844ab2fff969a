#!/usr/bin/env bash
# Builds the sample printer and writes the three printouts of a simulated
# balance report to docs/samples/ (bilans.pdf, szczegolowy-bilans.pdf,
# raport.pdf).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j 2 --target print_samples
mkdir -p docs/samples
QT_QPA_PLATFORM=offscreen "$build_dir/tools/print_samples/print_samples" docs/samples
ls -l docs/samples/*.pdf
