#!/usr/bin/env bash
# libpq for the Windows lane and the Windows program: Debian's postgresql-15
# source package, cross-built with mingw-w64 into a static archive, once per
# machine, beside the static Qt's cache.
#   scripts/libpq-windows.sh [PREFIX]
# PREFIX defaults to ~/.cache/waga/libpq-win64. Leaves PREFIX/include (libpq-fe.h,
# postgres_ext.h, pg_config_ext.h) and PREFIX/lib/libpq.a, libpgcommon.a,
# libpgport.a, and prints PREFIX as its last line. Links with
# -lws2_32 -lsecur32 -lshell32 -lwldap32 (cmake/FindWagaLibpq.cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
cache=${WAGA_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/waga}
prefix=${1:-$cache/libpq-win64}
if [[ -f $prefix/.complete ]]; then echo "$prefix"; exit 0; fi

missing=()
for package in dpkg-dev make g++-mingw-w64-x86-64-posix; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

# The security archive's newer source is not served to this kind of machine;
# the main archive's is.
version=15.18-0+deb12u1
sources=$cache/sources/postgresql-15
if [[ ! -f $sources/postgresql-15_$version.dsc ]]; then
  bash scripts/debian-sources.sh
  mkdir -p "$sources"
  (cd "$sources" && apt-get source -qq --download-only "postgresql-15=$version" >/dev/null)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-source -x --no-check "$sources/postgresql-15_$version.dsc" "$work/src" >/dev/null
cd "$work/src"
host=x86_64-w64-mingw32
cc="$host-gcc-posix"
if command -v ccache >/dev/null; then cc="ccache $cc"; fi
./configure --host="$host" CC="$cc" --without-readline --without-zlib --without-icu --without-openssl \
  --without-gssapi --without-ldap >"$work/configure.log" 2>&1 ||
  { tail -n 30 "$work/configure.log" >&2; exit 1; }
jobs=$(nproc)
for dir in src/include src/common src/port src/interfaces/libpq; do
  make -s -C "$dir" -j "$jobs" >&2
done

# libpq's own libpq.a is the import library of libpq.dll; a static program
# takes the objects themselves. libpq brings its own pthread emulation for
# Windows, whose functions would clash with winpthreads' (the posix
# compiler's runtime) in one static program: they get names of their own.
rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib"
objects=(src/interfaces/libpq/*.o)
renames=()
for symbol in $("$host-nm" --defined-only src/interfaces/libpq/pthread-win32.o 2>/dev/null |
  awk '$2 == "T" && $3 ~ /^pthread_/ {print $3}'); do
  renames+=(--redefine-sym "$symbol=pq_win32_$symbol")
done
if ((${#renames[@]})); then
  for object in "${objects[@]}"; do "$host-objcopy" "${renames[@]}" "$object"; done
fi
"$host-ar" crs "$prefix/lib/libpq.a" "${objects[@]}"
cp src/common/libpgcommon_shlib.a "$prefix/lib/libpgcommon.a"
cp src/port/libpgport_shlib.a "$prefix/lib/libpgport.a"
cp src/interfaces/libpq/libpq-fe.h src/include/postgres_ext.h src/include/pg_config_ext.h "$prefix/include/"
touch "$prefix/.complete"
echo "$prefix"
