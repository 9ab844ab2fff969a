#!/usr/bin/env bash
# Installs, from Debian's packages, what Waga needs. Safe to run again: it
# installs only what is missing.
#
#   scripts/setup.sh            building and running the program (scripts/run.sh)
#   scripts/setup.sh test       that, and what the tests need (scripts/test.sh)
#   scripts/setup.sh package    that, and what building and checking a
#                               Debian package needs
#   scripts/setup.sh windows    only what the Windows program's build needs
#   scripts/setup.sh windows-test  what running it under Wine needs besides
# Several groups may be given: scripts/setup.sh test package
set -euo pipefail

# --- building and running the program -----------------------------------
run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  fonts-liberation2 fontconfig
  # Qt's own standard texts in Polish (qtbase_pl.qm, loaded at start-up)
  qt6-translations-l10n
  # the spreadsheet export's .xlsx writer (waga and waga-export link it)
  libxlsxwriter-dev
  # libpq, the client library of PostgreSQL: shipping the lines to a database
  libpq-dev
)

# --- the tests only (add the packages a new test needs here) --------------
test_packages=(
  libgtest-dev libgmock-dev
  poppler-utils xvfb xauth x11-apps x11-utils openbox imagemagick
  locales clang
  ser2net
  desktop-file-utils appstream
  # the window test under openbox: real pointer input (xdotool)
  xdotool
  # a spreadsheet reader that is not ours, for reading exported workbooks back
  python3-openpyxl
  # a real PostgreSQL server for the database tests (started in a temporary folder)
  postgresql-15
)

# --- the Debian package and its checks ------------------------------------
package_packages=(
  dpkg-dev fakeroot file
  lintian desktop-file-utils appstream
  librsvg2-bin
)

# --- the Windows program: cross-building Qt and waga.exe, the installer and
# running both under Wine (scripts/build-qt-windows.sh, scripts/build-windows-program.sh)
windows_packages=(
  g++-mingw-w64-x86-64-posix wine64 nsis dpkg-dev librsvg2-bin icoutils
  qt6-base-dev-tools cmake ninja-build make
)

# --- the Windows program under Wine (scripts/test-windows-program.sh, with
# the groups test and windows): a PDF printer through CUPS, Wine's fonts, and
# reading the status panel's words off the screen
windows_test_packages=(
  cups printer-driver-cups-pdf fonts-wine python3
  tesseract-ocr tesseract-ocr-pol
)

wanted=("${run_packages[@]}")
with_tests=0
for group in "$@"; do
  case "$group" in
    run) ;;
    test) wanted+=("${test_packages[@]}"); with_tests=1 ;;
    package) wanted+=("${package_packages[@]}") ;;
    windows) wanted+=("${windows_packages[@]}") ;;
    windows-test) wanted+=("${windows_test_packages[@]}") ;;
    *) echo "setup.sh: unknown group $group (run, test, package, windows or windows-test)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

# A Polish locale, so that a test can check that no conversion follows the
# machine's decimal mark.
if [ "$with_tests" = 1 ] && ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    "${sudo_cmd[@]}" sed -i 's/^# *\(pl_PL.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null || echo "pl_PL.UTF-8 could not be generated; its test is skipped"
  fi
fi
