#!/bin/sh
# Every program answers --help (Polish usage) and --version and ends at once:
# no display needed, no konfig.ini written. Arguments: the programs.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0
for program in "$@"; do
  name=$(basename "$program")
  if ! env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= timeout 10 "$program" --help >help.txt 2>&1 ||
    ! grep -q "^Użycie" help.txt; then
    echo "$name --help:"; cat help.txt; status=1
  fi
  if ! env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= timeout 10 "$program" --version >version.txt 2>&1 ||
    ! grep -qx "$name [0-9][0-9.]*" version.txt; then
    echo "$name --version:"; cat version.txt; status=1
  fi
done
if [ -n "$(ls -A | grep -v -e '^help.txt$' -e '^version.txt$')" ]; then
  echo "left behind:"; ls -A; status=1
fi
exit $status
