#!/usr/bin/env bash
# Soak of the receiving path with the real main window (bench/soak/soak.cpp):
# 1,000,000 lines with balance reports in between, 100 pauses of the scale
# (each cycles the port) and 20 hang-ups of the pseudo-terminal among them;
# the data file must equal what was sent, byte for byte. Prints the resident
# memory at the start and the end.
#   scripts/soak.sh [lines] [port-cycles] [hang-ups]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" -j 2 --target waga_soak
QT_QPA_PLATFORM=offscreen "$build_dir/bench/soak/waga_soak" "${1:-1000000}" "${2:-100}" "${3:-20}"
