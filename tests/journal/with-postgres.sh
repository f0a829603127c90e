#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the command given against a private PostgreSQL 15 server: started in a
# temporary folder, listening on a unix socket there and nowhere else, with a
# role and a database of the user running it, named in EKZAMO_TEST_PG as
# libpq's URL. The server is stopped and the folder removed however the
# command ends. As root the server runs as the system user ekzamo-pg, since
# PostgreSQL refuses to run as root.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
bin=/usr/lib/postgresql/15/bin
[ -x "$bin/initdb" ] || { echo "$0: PostgreSQL 15 is not installed ($bin)" >&2; exit 2; }

me=$(id -un)
dir=$(mktemp -d "${TMPDIR:-/tmp}/ekzamo-pg.XXXXXX")
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    id ekzamo-pg >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin ekzamo-pg
    chown ekzamo-pg "$dir"
    as_server=(runuser -u ekzamo-pg --)
fi

stop() {
    "${as_server[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}
trap stop EXIT
trap 'exit 130' INT TERM

# Trust on the socket alone: the folder is the server user's, mode 700.
"${as_server[@]}" "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 --no-sync \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 2; }
"${as_server[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s \
    -o "-h '' -k $dir -c fsync=off" start || { cat "$dir/server.log" >&2; exit 2; }
"$bin/psql" -q -v ON_ERROR_STOP=1 -h "$dir" -U postgres -d postgres \
    -c "CREATE ROLE \"$me\" LOGIN" -c "CREATE DATABASE ekzamo_test OWNER \"$me\"" >/dev/null

export EKZAMO_TEST_PG="postgresql://$me@/ekzamo_test?host=$dir"
"$@"
