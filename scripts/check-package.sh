#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: lintian,
# desktop-file-validate and appstreamcli report no errors; apt installs it;
# the installed files are in place; the menu entry's command starts the
# program in ~/Waga (created) and a start from a terminal keeps the current
# directory. Both starts run on Qt's offscreen platform in a temporary home
# and are closed the normal way (SIGTERM), so konfig.ini shows where each
# one worked. Needs root or sudo (apt install). Exits non-zero on the first
# failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/package.sh
build_dir=${BUILD_DIR:-build-package}
deb=$(ls "$(pwd)/$build_dir"/waga_*_amd64.deb)
app_id=com.example.qel.Waga
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

fail() { echo "check-package.sh: $*" >&2; exit 1; }

echo "== lintian"
# Every tag, information and pedantic ones included; only errors fail.
lintian --display-info --pedantic --fail-on none "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

unpacked=$(mktemp -d)
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$unpacked" "$work"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$unpacked"

echo "== desktop-file-validate"
desktop-file-validate "$unpacked/usr/share/applications/$app_id.desktop" || fail "the menu entry is not valid"
echo "no errors"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$app_id.metainfo.xml" || fail "the metainfo is not valid"

echo "== apt install $deb"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -qq "$deb" >/dev/null
installed=(
  /usr/bin/waga /usr/bin/waga-sim /usr/bin/waga-ports /usr/bin/waga-export
  "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml"
  /usr/share/icons/hicolor/scalable/apps/waga.svg
  /usr/share/man/man1/waga.1.gz /usr/share/man/man1/waga-sim.1.gz /usr/share/man/man1/waga-ports.1.gz
  /usr/share/man/man1/waga-export.1.gz
  /usr/share/doc/waga/copyright
)
for size in 16 22 24 32 48 64 128 256; do
  installed+=("/usr/share/icons/hicolor/${size}x${size}/apps/waga.png")
done
for file in "${installed[@]}"; do
  [ -e "$file" ] || fail "$file is not installed"
  dpkg -S "$file" >/dev/null 2>&1 || fail "$file does not belong to the package"
done
echo "${#installed[@]} files in place"

# Starts the given command in the background with a temporary home and its
# own runtime folder (the single-instance marker lives there), waits up to
# 20 seconds until its start-up is done (the program then catches SIGTERM
# to close its window the normal way) and closes it with SIGTERM:
# konfig.ini is written at the close.
start_and_close() {
  env HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen "$@" \
    >"$work/out" 2>&1 &
  local pid=$!
  pids+=("$pid")
  local waited=0 caught=0
  while [ "$waited" -lt 200 ]; do
    kill -0 "$pid" 2>/dev/null || { cat "$work/out" >&2; fail "$* ended by itself"; }
    # The pid is the shell's own child until it has become the program (the
    # shell catches SIGTERM too).
    if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = /usr/bin/waga ]; then
      caught=$(sed -n 's/^SigCgt:\t*//p' "/proc/$pid/status" 2>/dev/null || true)
      (( 0x${caught:-0} & (1 << 14) )) && break
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  [ "$waited" -lt 200 ] || fail "$* did not finish its start-up within 20 s"
  kill -TERM "$pid"
  wait "$pid" || { cat "$work/out" >&2; fail "$* did not end cleanly after SIGTERM"; }
}

echo "== the menu entry's command"
mkdir -p "$work/home" "$work/runtime" "$work/terminal"
chmod 700 "$work/runtime"
exec_line=$(sed -n 's/^Exec=//p' "/usr/share/applications/$app_id.desktop" | sed 's/ *%[fFuUick]//g')
echo "Exec=$exec_line"
# shellcheck disable=SC2086
cd "$work/terminal"
start_and_close $exec_line
[ -f "$work/home/Waga/konfig.ini" ] || fail "konfig.ini is not in ~/Waga"
[ ! -e "$work/terminal/konfig.ini" ] || fail "konfig.ini landed in the start directory"
echo "~/Waga created, konfig.ini written there"

echo "== a start from a terminal"
rm -rf "$work/home/Waga"
start_and_close waga
[ -f "$work/terminal/konfig.ini" ] || fail "konfig.ini is not in the current directory"
[ ! -e "$work/home/Waga" ] || fail "a start from a terminal created ~/Waga"
echo "konfig.ini written in the current directory, no ~/Waga"
echo "== the package passes its checks"
