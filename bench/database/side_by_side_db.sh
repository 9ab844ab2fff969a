#!/usr/bin/env bash
# The paced side-by-side benchmark of Waga with shipping to a database and
# without: a throwaway PostgreSQL 15 in a temporary folder (as the user
# postgres when run as root), then bench/side_by_side/side_by_side.sh with
# WAGA_DB and PROGRAMS="waga5000 wagadb5000"; its arguments pass on.
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=/usr/lib/postgresql/15/bin
dir=$(mktemp -d /tmp/waga-pg-XXXXXX)
as=()
if [[ $(id -u) == 0 ]]; then
  chown postgres: "$dir"
  as=(runuser -u postgres --)
fi
port=$((20000 + RANDOM % 20000))
stop() {
  "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -w -m fast stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}
trap stop EXIT
"${as[@]}" "$bin/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
"${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -o "-k $dir -p $port -c listen_addresses=''" start >/dev/null
WAGA_DB="host=$dir port=$port dbname=postgres user=postgres" PROGRAMS=${PROGRAMS:-"waga5000 wagadb5000"} \
  bash bench/side_by_side/side_by_side.sh "$@"
echo "lines in the database: $("$bin/psql" -h "$dir" -p "$port" -U postgres -Atc 'SELECT count(*) FROM linie' postgres 2>/dev/null || echo '?')"
