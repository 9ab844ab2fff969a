#!/usr/bin/env bash
# Cross-builds waga.exe (static, no DLLs beside it) against the static Qt of
# scripts/build-qt-windows.sh and makes the installer
# waga-<version>-setup.exe with makensis.
#
#   WIN_PROGRAM_BUILD_DIR  build folder (default build-windows-program)
#   CMAKE_C_COMPILER_LAUNCHER, CMAKE_CXX_COMPILER_LAUNCHER (e.g. ccache)
#
# Prints the installer's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/qt-windows-prefix.sh
qt=$(qt_windows_prefix)
if [[ ! -f $qt/.complete ]]; then
  echo "build-windows-program.sh: no Qt for Windows in $qt; build it once with scripts/build-qt-windows.sh" >&2
  exit 1
fi
build=${WIN_PROGRAM_BUILD_DIR:-build-windows-program}

bash scripts/setup.sh windows >/dev/null
# The export's .xlsx: libxlsxwriter from Debian's source, built for Windows
# once per machine (shared with the Qt-free Windows lane).
xlsxwriter_prefix=$(bash scripts/xlsxwriter-windows.sh | tail -n 1)
# The database shipping: libpq from Debian's source, likewise.
libpq_prefix=$(bash scripts/libpq-windows.sh | tail -n 1)
# qt-cmake brings Qt's toolchain, which chains the project's mingw-w64 one
# (the copy kept with the Qt build). No tests here: the program is tried
# under Wine by scripts/test-windows-program.sh. -O2 rather than CMake's -O3:
# at -O3 mingw-w64's GCC 12 warns falsely (-Wrestrict) inside std::string.
"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DWAGA_BUILD_TESTS=OFF -DCMAKE_EXE_LINKER_FLAGS=-s -DWAGA_XLSXWRITER_PREFIX="$xlsxwriter_prefix" \
  -DWAGA_LIBPQ_PREFIX="$libpq_prefix" -DWAGA_DATABASE=ON >"$build.configure.log" 2>&1 ||
  { tail -n 30 "$build.configure.log" >&2; echo "build-windows-program.sh: configure failed" >&2; exit 1; }
rm -f "$build.configure.log"
cmake --build "$build" -j "$(nproc)" --target waga_installer
installer=$(find "$build" -maxdepth 1 -name 'waga-*-setup.exe' -newer "$build/CMakeCache.txt" | head -n 1)
[[ -n $installer ]] || installer=$(ls -t "$build"/waga-*-setup.exe | head -n 1)
echo "$installer"
