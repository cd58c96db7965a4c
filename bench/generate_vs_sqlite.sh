#!/usr/bin/env bash
# Whole processes on the same 100,000 rows: `vestral generate --quiet` building a
# database file from a source text, against sqlite3 importing the rows into a new
# table of a new database. The runs alternate; prints the medians and the median of
# the pair ratios (target: at most 0.30). Figures only.
set -uo pipefail
build=${1:-build-release}
rows=${ROWS:-100000}
runs=${RUNS:-11}
vestral="$build/vestral"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The same rows twice: a source text (CR LF) and a tab-separated file for sqlite3.
awk -v n="$rows" -v src="$work/codes.txt" -v tsv="$work/codes.tsv" 'BEGIN {
  split("P C B U", letter, " ")
  for (i = 0; i < n; i++) {
    l = letter[i % 4 + 1]
    k = int(i / 4)
    code = sprintf("%d%03X", int(k / 4096) % 4, k % 4096)
    text = "Sensor circuit " i " range/performance, bank 1"
    ext = (i % 4 == 1) ? "connector and wiring" : ""
    if (ext != "") printf "%s%s %s | %s\r\n", l, code, text, ext > src
    else printf "%s%s %s\r\n", l, code, text > src
    printf "%s\t%s\t%s\t%s\n", l, code, text, ext > tsv
  }
}'

source "$(dirname "$0")/support/timing.bash"

if ! command -v sqlite3 >/dev/null; then
  echo "sqlite3 is not installed: nothing to compare with"
  exit 0
fi
cat > "$work/import.sql" <<SQL
CREATE TABLE codes(tbl TEXT, code TEXT, text TEXT, extension TEXT);
.mode tabs
.import $work/codes.tsv codes
SQL
if [ ! -x "$vestral" ]; then
  echo "skipped: $vestral is not built"
  exit 0
fi
read -r v q ratio < <(paired_ms "$runs" \
  "'$vestral' generate '$work/codes.txt' '$work/codes.DAT' --quiet" \
  "sqlite3 '$work/codes.db' '.read $work/import.sql'" "rm -f '$work/codes.DAT' '$work/codes.db'")
imported=$(sqlite3 "$work/codes.db" "SELECT count(*) FROM codes")
echo "rows: $rows lines in the source text, $imported rows imported by sqlite3"
report_pair "generate" "$v" "$q" "$ratio" 0.30
