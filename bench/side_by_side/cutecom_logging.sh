#!/usr/bin/env bash
# CuteCom receiving from DEVICE and logging to a file, unattended, for the
# side-by-side benchmark: a HOME of its own with one saved session (the
# device at 115200 bit/s), then xdotool ticks "Logging to" and clicks "Open"
# once the window shows. SHIM (the project's pty modem shim) is preloaded,
# since CuteCom refuses a port whose DTR and RTS cannot be set, which a
# pseudo-terminal cannot. The log is reachable under LINK. Needs an X display
# with a window manager (DISPLAY set); the process is CuteCom itself, so
# that its CPU time is what the feeder reads.
#
#   cutecom_logging.sh DEVICE LINK SHIM
set -euo pipefail
device=$1 link=$2 shim=$3
HOME=$(dirname "$link")/cutecom-home
export HOME
rm -rf "$HOME"
mkdir -p "$HOME/.config/CuteCom"
cat >"$HOME/.config/CuteCom/CuteCom5.conf" <<CONF
[sessions]
1\\name=Default
1\\Device=$device
1\\BaudRate=115200
1\\OpenMode=3
size=1
CONF
: >"$HOME/cutecom.log"
ln -sfn "$HOME/cutecom.log" "$link"

# Positions in the window of CuteCom 0.51's "Logging to" box and "Open"
# button with its default size.
(
  window=$(timeout 30 xdotool search --sync --onlyvisible --name '^CuteCom' | head -1)
  eval "$(xwininfo -id "$window" |
    awk '/Absolute upper-left X/{print "x=" $4} /Absolute upper-left Y/{print "y=" $4}')"
  xdotool mousemove $((x + 206)) $((y + 639)) click 1
  xdotool mousemove $((x + 50)) $((y + 42)) click 1
) >/dev/null 2>&1 &
LD_PRELOAD=$shim exec cutecom
