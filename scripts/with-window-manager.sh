#!/usr/bin/env bash
# Runs a command on a virtual X display (Xvfb) managed by openbox, so that
# windows get a real frame, real activation and the window manager's
# allowed actions. Exits 77 (a skipped test for ctest) when Xvfb or openbox
# is not installed.
#   scripts/with-window-manager.sh command [argument...]
set -uo pipefail
if ! command -v Xvfb >/dev/null || ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
  echo "with-window-manager.sh: Xvfb, openbox or xprop missing (scripts/setup.sh test installs them)" >&2
  exit 77
fi
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the pipe.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 30 number <"$work/display" || { cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$number"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
# The virtual display has no session bus of its own; the desktop's, if any,
# is not for its programs (and D-Bus would leave allocations that a leak
# check counts against the program).
export DBUS_SESSION_BUS_ADDRESS=disabled:

# The server answers before anything else connects.
for _ in $(seq 100); do
  xprop -root >/dev/null 2>&1 && break
  kill -0 "${pids[0]}" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done

# openbox has taken over once the root window names its check window. One
# more start if it gives up early (a display just opened can refuse a client).
managed=0
for _attempt in 1 2; do
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 300); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then managed=1; break; fi
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  [ "$managed" = 1 ] && break
done
[ "$managed" = 1 ] || { cat "$work/openbox.log" >&2; exit 1; }

"$@"
