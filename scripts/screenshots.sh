#!/usr/bin/env bash
# Builds the program and saves pictures of its windows into docs/screenshots/
# (main-window.png, settings-pages.png, settings-menu.png, about-window.png,
# about-window-expanded.png and export-dialog.png), drawn on the offscreen
# platform; the export dialog again with its frame on a virtual display under
# openbox (Xvfb). Where LibreOffice (libreoffice-calc-nogui) is
# installed it also draws the workbook waga-export makes of the sample data
# file, as Calc renders it (export-sheet.png: the sheets "Ważenia" and "Bilanse").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh waga-screenshots waga-export
build_dir=${BUILD_DIR:-build}
QT_QPA_PLATFORM=offscreen "$build_dir/app/waga-screenshots" docs/screenshots
# The export dialog with its frame: on a virtual display under openbox.
if ! bash scripts/with-window-manager.sh "$build_dir/app/waga-screenshots" docs/screenshots export; then
  echo "Xvfb or openbox missing: export-dialog.png drawn without its frame" >&2
fi

if command -v soffice >/dev/null && command -v pdftoppm >/dev/null && command -v convert >/dev/null; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  "$build_dir/tools/waga-export/waga-export" --out "$work/wazenia-2026-12-07.xlsx" docs/samples/20261207 >/dev/null
  # A profile of its own, so that a running LibreOffice is not disturbed.
  soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf --outdir "$work" \
    "$work/wazenia-2026-12-07.xlsx" >/dev/null
  pdftoppm -r 90 -png -f 1 -l 2 "$work/wazenia-2026-12-07.pdf" "$work/page"
  convert "$work"/page-1.png "$work"/page-2.png -trim +repage -bordercolor white -border 12 -append \
    docs/screenshots/export-sheet.png
  echo "saved docs/screenshots/export-sheet.png"
else
  echo "soffice, pdftoppm or convert missing: export-sheet.png not drawn" >&2
fi
