#!/usr/bin/env bash
# The Windows lane: cross-builds GoogleTest and every Qt-free library with its
# tests for 64-bit Windows with Debian's mingw-w64, and runs the tests under
# Wine in a fresh WINEPREFIX. The serial tests open Wine's COM ports, which
# this script links to Linux pseudo-terminals.
#
#   WIN_BUILD_DIR   build folder (default build-windows)
#   CMAKE_C_COMPILER_LAUNCHER, CMAKE_CXX_COMPILER_LAUNCHER (e.g. ccache), as
#                   CMake takes them from the environment
#   CTEST_ARGS      extra arguments for ctest
#   WIN_BUILD_TARGETS  build only these targets (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${WIN_BUILD_DIR:-build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)

packages=(g++-mingw-w64-x86-64-posix wine64 googletest cmake ninja-build gcc libc6-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  apt-get update -qq
  apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)

# GoogleTest from Debian's sources, built for Windows.
gtest_prefix=$build/googletest-install
if [[ ! -f $gtest_prefix/lib/cmake/GTest/GTestConfig.cmake ]]; then
  cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix"
  cmake --build "$build/googletest" -j "$jobs"
  cmake --install "$build/googletest"
fi

# libxlsxwriter from Debian's source, built for Windows (the export's .xlsx).
xlsxwriter_prefix=$(bash scripts/xlsxwriter-windows.sh | tail -n 1)
# libpq from Debian's source, built for Windows (the database shipping).
libpq_prefix=$(bash scripts/libpq-windows.sh | tail -n 1)

cmake -S . -B "$build/waga" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DWAGA_QT=OFF -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" -DWAGA_XLSXWRITER_PREFIX="$xlsxwriter_prefix" \
  -DWAGA_LIBPQ_PREFIX="$libpq_prefix" -DWAGA_DATABASE=ON
cmake --build "$build/waga" -j "$jobs" ${WIN_BUILD_TARGETS:+--target $WIN_BUILD_TARGETS}

# Test support that runs on the Linux side.
support=$root/tests/serial/win32
gcc -O2 -Wall -Wextra -shared -fPIC -o "$build/pty_modem_shim.so" "$support/pty_modem_shim.c" -ldl
gcc -O2 -Wall -Wextra -o "$build/wine_com_ptys" "$support/wine_com_ptys.c" -lutil

# A fresh Wine configuration, without the Mono and Gecko installers.
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
"$wine" wineboot --init
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$wineserver" --wait

# COM5 and COM6 are pseudo-terminals; COM7 names no device.
feeds=$build/com-feeds
rm -rf "$feeds"
mkdir -p "$feeds"
rm -f "$WINEPREFIX/dosdevices/com7"
coproc PTYS { exec "$build/wine_com_ptys" "$WINEPREFIX/dosdevices" "$feeds" COM5 COM6; }
ptys_in=${PTYS[1]}
ptys_pid=$PTYS_PID  # bash unsets PTYS_PID once the helper has ended
read -r ready <&"${PTYS[0]}"
[[ $ready == ready ]] || { echo "the pseudo-terminals could not be set up" >&2; exit 1; }

# Debian's PostgreSQL 15 on this side for the shipping's test, on TCP at
# 127.0.0.1 (Wine's programs cannot reach a Unix socket), in a folder of its
# own; as root the server runs as the user postgres.
pg_bin=/usr/lib/postgresql/15/bin
pg_dir=
stop_postgres() {
  if [[ -n $pg_dir ]]; then
    as_pg "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$pg_dir"
  fi
}
as_pg() { if ((EUID == 0)); then runuser -u postgres -- "$@"; else "$@"; fi; }
if [[ -x $pg_bin/initdb ]]; then
  pg_dir=$(mktemp -d)
  trap stop_postgres EXIT
  ((EUID == 0)) && chown postgres: "$pg_dir"
  as_pg "$pg_bin/initdb" -D "$pg_dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >"$pg_dir/initdb.log"
  # A free port: the first that the server could take.
  for try in 1 2 3 4 5; do
    pg_port=$((20000 + RANDOM % 30000))
    if as_pg "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/log" -w -o \
      "-k $pg_dir -p $pg_port -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null; then
      export WAGA_WINE_POSTGRES="host=127.0.0.1 port=$pg_port user=postgres connect_timeout=10"
      break
    fi
  done
  [[ -n ${WAGA_WINE_POSTGRES:-} ]] || { echo "PostgreSQL did not start:" >&2; cat "$pg_dir/log" >&2; }
else
  echo "no $pg_bin/initdb (postgresql-15): the shipping's test under Wine skips" >&2
fi

export WAGA_WINE_PTY_PORTS="COM5 COM6"
export WAGA_WINE_MISSING_PORT=COM7
export WAGA_WINE_PTY_FEEDS="Z:${feeds//\//\\}"
status=0
# A test that fails is run once more: tests started in parallel now and then
# lose a wineserver that is about to exit ("recvmsg: Connection reset by peer").
LD_PRELOAD=$build/pty_modem_shim.so \
  ctest --test-dir "$build/waga" --output-on-failure -j "$jobs" --repeat until-pass:2 ${CTEST_ARGS:-} || status=$?

exec {ptys_in}>&-
wait "$ptys_pid" || true
"$wineserver" --kill || true
exit "$status"
