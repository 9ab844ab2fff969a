#!/usr/bin/env bash
# Builds, once, the static Qt for 64-bit Windows that waga.exe is linked
# against: Debian's own qtbase source, cross-compiled with mingw-w64 (posix
# threads), only Core, Gui, Widgets, PrintSupport and the windows platform
# plugin. It takes 20 minutes on 2 quiet cores, about an hour on a busy machine, and is never part of the
# ordinary first run or of CI.
#
#   WAGA_QT_WINDOWS_CACHE  where the builds are kept (default ~/.cache/waga)
#
# The build lands in $WAGA_QT_WINDOWS_CACHE/qt-<version>-<configuration>;
# scripts/qt-windows-prefix.sh prints that folder. When it is already there
# the script does nothing. A failed step removes the folder again.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/qt-windows-prefix.sh
prefix=$(qt_windows_prefix)

if [[ -f $prefix/.complete ]]; then
  echo "Qt for Windows is already built: $prefix"
  exit 0
fi

started=$SECONDS
step() { printf '[%4d s] %s\n' "$((SECONDS - started))" "$*"; }
fail() { echo "build-qt-windows.sh: $*" >&2; exit 1; }

bash scripts/setup.sh windows

work=$(mktemp -d "${TMPDIR:-/tmp}/waga-qt-windows.XXXXXX")
# Until .complete is written the folder counts as absent; a failure removes it.
cleanup() { local rc=$?; rm -rf "$work"; if ((rc)); then rm -rf "$prefix"; fi; }
trap cleanup EXIT
rm -rf "$prefix"
mkdir -p "$prefix"
# Qt's own toolchain file chains to this one by its path: keep a copy with the build.
toolchain=$prefix/mingw-w64-x86_64.cmake
cp cmake/mingw-w64-x86_64.cmake "$toolchain"

# Debian's source packages are reached through a deb-src entry of their own,
# with the URIs, suites and keyring of the existing deb entry.
bash scripts/debian-sources.sh

step "fetching Debian's qtbase source"
(cd "$work" && apt-get source -qq qt6-base >"$work/source.log" 2>&1) ||
  { cat "$work/source.log" >&2; fail "apt-get source qt6-base failed"; }
src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
[[ -n $src && -x $src/configure ]] || fail "no qtbase source tree in $work"
version=$(sed -n 's/^set(QT_REPO_MODULE_VERSION "\(.*\)")/\1/p' "$src/.cmake.conf")
[[ $version == "$QT_WINDOWS_VERSION" ]] ||
  fail "Debian serves qtbase $version, the project expects $QT_WINDOWS_VERSION (scripts/qt-windows-prefix.sh)"

step "configuring qtbase $version for x86_64-w64-mingw32 (static, release)"
mkdir -p "$work/build"
(cd "$work/build" && "$src/configure" -prefix "$prefix" "${QT_WINDOWS_CONFIGURATION[@]}" \
  -- -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
     -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1) ||
  { tail -n 40 "$work/configure.log" >&2; fail "configure failed (log above)"; }

step "building (about 1,100 steps)"
cmake --build "$work/build" -j "$(nproc)" 2>&1 |
  awk -v started="$started" -v now="$SECONDS" '
    # Every 50th step with the time taken so far; errors as they come.
    /^\[[0-9]+\/[0-9]+\]/ { if (++n % 50 == 0) { printf "[%4d s] %s\n", now + systime() - t0, $1; fflush() } }
    / error: |^FAILED:/ { print; fflush() }
    BEGIN { t0 = systime(); now -= started }'
[[ ${PIPESTATUS[0]} == 0 ]] || fail "the build failed (errors above)"

step "installing"
cmake --install "$work/build" >"$work/install.log" 2>&1 ||
  { tail -n 40 "$work/install.log" >&2; fail "install failed"; }
touch "$prefix/.complete"
step "done: $prefix ($(du -sh "$prefix" | cut -f1))"
