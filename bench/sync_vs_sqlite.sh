#!/usr/bin/env bash
# Whole processes, same rows: `vestral sync --quiet` merging a 100,000-entry database
# into another of 100,000 (half of the codes shared), against sqlite3 merging the same
# rows into a table with a unique index on (letter, code) with INSERT ... ON CONFLICT.
# Both start from files on disk and write their result back; sqlite3 runs without
# fsync, as vestral does not sync either. The target: vestral at most half of sqlite3.
#
# Usage: bench/sync_vs_sqlite.sh BUILD_FOLDER [ENTRIES] [RUNS]
set -uo pipefail
build=${1:-build-release}
count=${2:-100000}
runs=${3:-5}
bench="$build/bench/sync_bench"
vestral="$build/vestral"

if [ ! -x "$bench" ]; then
  echo "skipped: $bench is not built"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-files "$work" "$count" || exit 0

# Milliseconds of the best of $runs runs of "$@" (after `prepare`).
best_ms() {
  local prepare=$1
  shift
  local best=""
  for ((i = 0; i < runs; i++)); do
    $prepare
    local t0=$EPOCHREALTIME
    "$@" >/dev/null 2>"$work/stderr" || { echo "failed: $*" >&2; cat "$work/stderr" >&2; return 1; }
    local t1=$EPOCHREALTIME
    local us=$(( (${t1//[.,]/} - ${t0//[.,]/}) ))
    if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  echo $((best / 1000)).$(((best % 1000) / 100))
}

echo "rows: $count in the main database, $count to merge, half of the codes shared"

# sqlite3: the main rows already stored with their unique index; timed is the merge.
sqlite_ms=""
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
  prepare_sqlite() { cp "$work/base.db" "$work/run.db"; }
  sqlite_ms=$(best_ms prepare_sqlite sqlite3 -init "$work/merge.sql" "$work/run.db" .quit)
  rows=$(sqlite3 "$work/run.db" "SELECT count(*) FROM dtc")
  echo "sqlite3 upsert:         ${sqlite_ms} ms (best of $runs, $rows rows after)"
else
  echo "sqlite3 upsert:         skipped (sqlite3 is not installed)"
fi

# vestral: alternative value mode, the same effect as the upsert above.
if [ -x "$vestral" ] && "$vestral" sync --help >/dev/null 2>&1; then
  prepare_vestral() { cp "$work/main.DAT" "$work/run.DAT"; }
  vestral_ms=$(best_ms prepare_vestral "$vestral" sync --db "$work/run.DAT" "$work/other.DAT" --quiet)
  echo "vestral sync --quiet:   ${vestral_ms} ms (best of $runs)"
  if [ -n "$sqlite_ms" ] && [ -n "$vestral_ms" ]; then
    awk -v v="$vestral_ms" -v s="$sqlite_ms" \
      'BEGIN { printf "ratio vestral/sqlite3:  %.2f (target 0.50 or less)\n", v / s }'
  fi
else
  echo "vestral sync --quiet:   skipped (no 'sync' command in $vestral yet)"
fi
