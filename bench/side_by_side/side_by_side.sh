#!/usr/bin/env bash
# Waga side by side with CuteCom, tio, picocom and a bare reader on the same
# stream from one pseudo-terminal: paced at a scale's line rate and unpaced.
# The row "floor" (handoff_floor) is the program's structure alone: the
# serial component's event thread handing each delivery to a Qt event loop
# and waiting, and the line appended open-write-close, with no window.
#
#   bench/side_by_side/side_by_side.sh [paced-lines] [burst-lines] [repetitions] [build-dir]
#                                      [traced-lines] [traced-rate]
#
# Defaults: 30000 paced lines at 1280 lines/s, 300000 burst lines, 3
# repetitions, build directory "build", 2000 traced lines at 200 lines/s.
# The programs take turns within each repetition; the table gives medians.
# Raw results go to $build/side_by_side.txt. Figures are CPU seconds and
# context switches of the program alone; then each program gets one run of
# traced-lines under strace (0 skips it) for its system calls per line, at a
# rate slow enough that a program slowed down by the tracer still takes
# every line in a delivery of its own.
#
# CuteCom runs on a virtual X display with openbox (this script starts one
# when DISPLAY is not set), driven by cutecom_logging.sh; tio runs with
# --mute (logging only, nothing printed); picocom prints to the feeder's
# terminal, which drains it.
#
# WAGA_BEFORE=path/to/another/waga_offscreen adds that build (for example
# one of an earlier commit) as "before5000" and "before300", so that a change
# is measured against what it replaces in the same run; FLOOR_BEFORE=path/to/
# another/handoff_floor adds that build's floor as "floorbefore".
# WAGA_DB=CONNECTION adds "wagadb5000": Waga shipping its lines to that
# PostgreSQL (bench/database/side_by_side_db.sh starts a server for it).
# PROGRAMS="waga5000 wagadb5000" runs only those.
set -euo pipefail
cd "$(dirname "$0")/../.."
paced=${1:-30000}
burst=${2:-300000}
reps=${3:-3}
build=${4:-build}
traced=${5:-2000}
traced_rate=${6:-200}
rate=1280

if command -v cutecom >/dev/null && [[ -z ${DISPLAY:-} ]]; then
  exec scripts/with-window-manager.sh bash "$PWD/bench/side_by_side/side_by_side.sh" "$paced" "$burst" "$reps" "$build" "$traced" "$traced_rate"
fi

missing=()
# PROGRAMS names only Waga's own rows: the other loggers are not needed.
if [[ -z ${PROGRAMS:-} ]]; then
  command -v tio >/dev/null || missing+=(tio)
  command -v picocom >/dev/null || missing+=(picocom)
fi
command -v strace >/dev/null || missing+=(strace)
if ((${#missing[@]})); then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
if [[ ! -f $build/build.ninja ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target pty_feeder bare_reader handoff_floor waga_offscreen
bin=$build/bench/side_by_side
shim=$build/pty_modem_shim.so
gcc -O2 -shared -fPIC -o "$shim" tests/serial/win32/pty_modem_shim.c -ldl
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$build/side_by_side.txt
: >"$out"

trace=()  # set to (--strace FILE) for the traced runs
run() {  # label lines rate program...
  local label=$1 lines=$2 r=$3
  shift 3
  "$bin/pty_feeder" --label "$label" --log "$work/log" --lines "$lines" --rate "$r" \
    "${trace[@]}" -- "$@" | tee -a "$out"
}
one() {  # label lines rate
  case $1 in
    waga5000) run "$1" "$2" "$3" "$bin/waga_offscreen" '{tty}' "$work/log" 5000 ;;
    waga300) run "$1" "$2" "$3" "$bin/waga_offscreen" '{tty}' "$work/log" 300 ;;
    wagadb5000) run "$1" "$2" "$3" env WAGA_BAZA="$WAGA_DB" "$bin/waga_offscreen" '{tty}' "$work/log" 5000 ;;
    before5000) run "$1" "$2" "$3" "$WAGA_BEFORE" '{tty}' "$work/log" 5000 ;;
    before300) run "$1" "$2" "$3" "$WAGA_BEFORE" '{tty}' "$work/log" 300 ;;
    floorbefore) run "$1" "$2" "$3" "$FLOOR_BEFORE" '{tty}' "$work/log" ;;
    tio) run "$1" "$2" "$3" tio -b 115200 --mute --log --log-file "$work/log" '{tty}' ;;
    cutecom) run "$1" "$2" "$3" bench/side_by_side/cutecom_logging.sh '{tty}' "$work/log" "$shim" ;;
    picocom) run "$1" "$2" "$3" picocom -q -b 115200 --logfile "$work/log" '{tty}' ;;
    bare) run "$1" "$2" "$3" "$bin/bare_reader" '{tty}' "$work/log" ;;
    floor) run "$1" "$2" "$3" "$bin/handoff_floor" '{tty}' "$work/log" ;;
  esac
}

programs=(waga5000 tio waga300 picocom bare floor)
bursts=(waga5000 tio picocom bare floor)
if command -v cutecom >/dev/null; then
  programs+=(cutecom)
  bursts+=(cutecom)
fi
if [[ -n ${WAGA_BEFORE:-} ]]; then
  programs+=(before5000 before300)
  bursts+=(before5000)
fi
if [[ -n ${FLOOR_BEFORE:-} ]]; then
  programs+=(floorbefore)
  bursts+=(floorbefore)
fi
if [[ -n ${WAGA_DB:-} ]]; then
  programs+=(wagadb5000)
  bursts+=(wagadb5000)
fi
if [[ -n ${PROGRAMS:-} ]]; then
  read -r -a programs <<<"$PROGRAMS"
  bursts=("${programs[@]}")
fi
for ((i = 0; i < reps; i++)); do
  # Each repetition starts one program further on, so no program always
  # follows the same one.
  for ((k = 0; k < ${#programs[@]}; k++)); do
    one "${programs[(k + i) % ${#programs[@]}]}" "$paced" "$rate"
  done
done
if ((burst > 0)); then
  for ((i = 0; i < reps; i++)); do
    for p in "${bursts[@]}"; do one "$p" "$burst" 0; done
  done
fi
if ((traced > 0)); then
  trace=(--strace "$work/strace.txt")
  for p in "${programs[@]}"; do one "$p" "$traced" "$traced_rate"; done
fi
/usr/bin/python3 bench/side_by_side/table.py "$out"
