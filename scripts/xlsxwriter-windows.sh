#!/usr/bin/env bash
# libxlsxwriter for the Windows lane: Debian's own source package, cross-built
# with mingw-w64 (against libz-mingw-w64-dev) into a static library, once
# per machine, for the Qt-free Windows lane and the Windows program alike.
#   scripts/xlsxwriter-windows.sh [PREFIX]
# PREFIX defaults to a folder beside the static Qt's cache
# (~/.cache/waga/xlsxwriter-win64). Leaves PREFIX/include/xlsxwriter.h and
# PREFIX/lib/libxlsxwriter.a, and prints PREFIX as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
prefix=${1:-${WAGA_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/waga}/xlsxwriter-win64}
if [[ -f $prefix/lib/libxlsxwriter.a ]]; then echo "$prefix"; exit 0; fi

if ! dpkg-query -W -f='${Status}' libz-mingw-w64-dev 2>/dev/null | grep -q "install ok installed"; then
  apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends libz-mingw-w64-dev
fi
bash scripts/debian-sources.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq libxlsxwriter >/dev/null)
source_dir=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'libxlsxwriter-*' | head -n 1)
cmake -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/build" -j "$(nproc)" >&2
cmake --install "$work/build" >/dev/null
echo "$prefix"
