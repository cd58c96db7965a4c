#!/usr/bin/env bash
# Whole processes, same rows: `vestral sync --quiet` merging a 100,000-entry database
# into another of 100,000 (half of the codes shared), against sqlite3 merging the same
# rows into a table with a unique index on (letter, code) with INSERT ... ON CONFLICT.
# Both start from files on disk and write their result back; sqlite3 runs without
# fsync, while vestral syncs its new file and the folder. The runs alternate; the
# target: the median of the pair ratios at most 0.20.
#
# Usage: bench/sync_vs_sqlite.sh BUILD_FOLDER [ENTRIES] [RUNS]
set -uo pipefail
build=${1:-build-release}
count=${2:-100000}
runs=${3:-15}
bench="$build/bench/sync_bench"
vestral="$build/vestral"

if [ ! -x "$bench" ]; then
  echo "skipped: $bench is not built"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-files "$work" "$count" || exit 0

source "$(dirname "$0")/support/timing.bash"

echo "rows: $count in the main database, $count to merge, half of the codes shared"

# sqlite3: the main rows already stored with their unique index; timed is the merge.
if command -v sqlite3 >/dev/null; then
  sqlite3 "$work/base.db" <<SQL
CREATE TABLE dtc(letter TEXT NOT NULL, code TEXT NOT NULL, text TEXT NOT NULL, ext TEXT NOT NULL);
CREATE UNIQUE INDEX dtc_code ON dtc(letter, code);
.mode tabs
.import $work/main.tsv dtc
SQL
  cat >"$work/merge.sql" <<SQL
PRAGMA synchronous = OFF;
CREATE TEMP TABLE incoming(letter TEXT, code TEXT, text TEXT, ext TEXT);
.mode tabs
.import $work/other.tsv incoming
INSERT INTO dtc(letter, code, text, ext) SELECT letter, code, text, ext FROM incoming WHERE true
  ON CONFLICT(letter, code) DO UPDATE SET ext = excluded.text;
SQL
  rows=""
else
  echo "skipped: sqlite3 is not installed (scripts/setup installs it)"
  exit 0
fi
if [ ! -x "$vestral" ]; then
  echo "skipped: $vestral is not built"
  exit 0
fi
# vestral: alternative value mode, the same effect as the upsert above (--yes to
# replacing the second texts it holds); each run starts from the same files.
prepare="cp '$work/base.db' '$work/run.db'; cp '$work/main.DAT' '$work/run.DAT'"
read -r v q ratio < <(paired_ms "$runs" \
  "'$vestral' sync --db '$work/run.DAT' '$work/other.DAT' --quiet --yes" \
  "sqlite3 -init '$work/merge.sql' '$work/run.db' .quit" "$prepare")
report_pair "sync (half the codes shared)" "$v" "$q" "$ratio" 0.20
