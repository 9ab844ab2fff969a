#!/usr/bin/env bash
# Builds the program and saves pictures of its windows into docs/screenshots/
# (main-window.png, settings-pages.png, settings-menu.png, about-window.png and
# about-window-expanded.png), drawn on the offscreen platform: no display needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh waga-screenshots
build_dir=${BUILD_DIR:-build}
QT_QPA_PLATFORM=offscreen "$build_dir/app/waga-screenshots" docs/screenshots
