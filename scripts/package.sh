#!/usr/bin/env bash
# Builds the Debian package build-package/waga_<version>_amd64.deb (or in
# $BUILD_DIR): waga, waga-sim, waga-ports and waga-export, stripped, with the menu entry,
# the icon, the AppStream metainfo, the manual pages and the licence. It
# installs what it needs first (scripts/setup.sh package), builds a Release
# without tests in its own folder and runs cpack. Install the result with
#   sudo apt install ./build-package/waga_*.deb
# scripts/check-package.sh also runs the validators on it and tries it out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh package
build_dir=${BUILD_DIR:-build-package}

# Debian's own build flags (-O2, fortified functions, stack protector,
# read-only relocations, immediate binding), as a package built by Debian
# gets them; the Release type adds only NDEBUG, not its -O3.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"

# cpack installs without building everything first; the build below makes
# exactly what the package holds.
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWAGA_BUILD_TESTS=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target waga waga-sim waga-ports waga-export waga_desktop_files
rm -f "$build_dir"/waga_*.deb
(cd "$build_dir" && cpack -G DEB >cpack.log) || { cat "$build_dir/cpack.log" >&2; exit 1; }
ls "$build_dir"/waga_*.deb
