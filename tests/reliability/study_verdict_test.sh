#!/usr/bin/env bash
# The crash harness's judgement of a kept file (crash_harness --study): a clean file is clean, and
# a file with a damaged index page is damage, never taken for cleanup the engine left pending.
# Usage: study_verdict_test.sh <crash_harness binary>
set -uo pipefail
harness=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/../../scripts/firebird-lock"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

db=$work/study.fdb
isql-fb -q -bail >/dev/null <<SQL || { echo "FAIL: the database could not be created"; exit 1; }
CREATE DATABASE '$db' USER 'SYSDBA' PAGE_SIZE 8192;
CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(20));
INSERT INTO T VALUES (1, 'a');
INSERT INTO T VALUES (2, 'b');
COMMIT;
SQL

verdict_is() { # file expected
  local out
  out=$("$harness" --study "$1" 2>&1)
  [ "$(sed -n 's/^verdict=//p' <<<"$out")" = "$2" ] || fail "$1: expected $2, got: $out"
}

verdict_is "$db" clean

# The primary key's root page marked as another table's page (its relation field, bytes 28-29).
root=$(fbstat -user SYSDBA -i -t T "$db" | sed -n 's/.*Root page: \([0-9]*\),.*/\1/p' | head -1)
if [ -z "$root" ]; then
  fail "no root page in: $(fbstat -user SYSDBA -i -t T "$db" 2>&1)"
else
  cp "$db" "$work/broken.fdb"
  printf '\x86\x00' | dd of="$work/broken.fdb" bs=1 seek=$((root * 8192 + 28)) conv=notrunc \
    status=none
  verdict_is "$work/broken.fdb" damage
fi

[ "$failures" -eq 0 ] && echo "study verdicts: all as expected"
exit "$failures"
