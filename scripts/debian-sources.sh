#!/usr/bin/env bash
# Makes Debian's source packages reachable to apt-get source: a deb-src entry
# in a sources file of its own, with the URIs, suites and keyring of the
# machine's deb entries. Does nothing when the entry is already there.
set -euo pipefail
list=/etc/apt/sources.list.d/waga-deb-src.sources
[[ -f $list ]] && exit 0
main=/etc/apt/sources.list.d/debian.sources
[[ -f $main ]] || { echo "debian-sources.sh: no $main to copy the deb entries from" >&2; exit 1; }
sed 's/^Types: deb$/Types: deb-src/' "$main" >"$list"
apt-get update -qq
