#!/usr/bin/env bash
# Installs what building and running the program needs, builds the program
# and the scale simulator (nothing else: no tests, no benchmarks) and starts
# them together, wired to COM2 through porty.ini in the demo working
# directory demo/. The simulator stops when the program exits.
#
#   DEMO_DIR=...   another working directory (default: demo/ in the repository)
#   SIM_ARGS=...   other simulator options (see build/tools/waga-sim/waga-sim --help);
#                  with --on-request the demo writes protokol.ini for COM2
#   NO_SIM=1       start the program alone (for a real scale, see README.md)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
bash scripts/setup.sh
CMAKE_ARGS="-DWAGA_BUILD_TESTS=OFF ${CMAKE_ARGS:-}" bash scripts/build.sh waga waga-sim
build_dir=${BUILD_DIR:-build}
waga="$repo/$build_dir/app/waga"
sim="$repo/$build_dir/tools/waga-sim/waga-sim"

demo=${DEMO_DIR:-$repo/demo}
mkdir -p "$demo"
cd "$demo"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "        The program runs without a visible window (QT_QPA_PLATFORM=offscreen);"
  echo "        the data file is shown below as it grows. Stop with Ctrl+C."
  echo "        To see the window on such a machine: xvfb-run bash scripts/run.sh"
  echo "        under a virtual display, or log in with a desktop session."
  export QT_QPA_PLATFORM=offscreen
  headless=1
else
  headless=0
fi

pids=()
stop_children() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_children EXIT

# A scale that answers only when asked (SIM_ARGS with --on-request) needs
# the program to ask: protokol.ini gives COM2 the simulator's protocol and a
# request twice a second. A file the demo wrote earlier goes with that mode.
if [[ " ${SIM_ARGS:-} " == *" --on-request "* ]]; then
  protocol=$(sed -n 's/.*--protocol \([a-z_]*\).*/\1/p' <<<"$SIM_ARGS")
  protocol=${protocol:-liczba}
  {
    printf '[COM2]\r\nProtokol=%s\r\nCo_ile_ms=500\r\n' "$protocol"
    # These shapes have no request of their own; the simulator answers SI.
    case $protocol in liczba | jednostka) printf 'Zapytanie=SI\\r\\n\r\n' ;; esac
  } >"$demo/protokol.ini"
  cp "$demo/protokol.ini" "$demo/.protokol.ini.demo"
elif [ -f "$demo/.protokol.ini.demo" ]; then
  cmp -s "$demo/protokol.ini" "$demo/.protokol.ini.demo" && rm -f "$demo/protokol.ini"
  rm -f "$demo/.protokol.ini.demo"
fi

if [ "${NO_SIM:-0}" != 1 ]; then
  # One reading a second, a balance report of three weighings after every
  # five readings, then nine silent seconds (the display shows "- - - - -"
  # and the program closes and reopens the port), again and again.
  # shellcheck disable=SC2086
  "$sim" --porty-ini "$demo" --com COM2 ${SIM_ARGS:-} >"$demo/waga-sim.out" 2>&1 &
  pids+=($!)
  # The simulator prints its terminal (or, with --tcp or --rfc2217, its
  # network target) once porty.ini maps COM2 to it.
  for _ in $(seq 100); do
    [ -s "$demo/waga-sim.out" ] && break
    kill -0 "${pids[0]}" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -qE '^(/dev/|tcp://|rfc2217://)' "$demo/waga-sim.out" 2>/dev/null; then
    echo "run.sh: the scale simulator did not start:" >&2
    cat "$demo/waga-sim.out" >&2 || true
    exit 1
  fi
  echo "Scale simulator on $(head -n1 "$demo/waga-sim.out"), COM2 in $demo/porty.ini"
fi

data_file="$demo/$(date +%Y%m%d)"
echo "Working directory: $demo (konfig.ini, data file $(basename "$data_file"))"
if [ "$headless" = 1 ]; then
  tail -n +1 -F "$data_file" 2>/dev/null &
  pids+=($!)
fi

# Ctrl+C or a TERM to this script closes the program's window the normal
# way (konfig.ini is saved); then the simulator is stopped.
"$waga" &
waga_pid=$!
trap 'kill -TERM "$waga_pid" 2>/dev/null || true' INT TERM
status=0
while :; do
  wait "$waga_pid" && status=0 || status=$?
  kill -0 "$waga_pid" 2>/dev/null || break
done
exit "$status"
