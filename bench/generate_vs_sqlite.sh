#!/usr/bin/env bash
# Whole processes on the same 100,000 rows: `vestral generate --quiet` building a
# database file from a source text, against sqlite3 importing the rows into a new
# table of a new database. Prints the best of several runs of each and the ratio
# (the aim: generate in at most half the time of the import). Figures only.
set -uo pipefail
build=${1:-build-release}
rows=${ROWS:-100000}
runs=${RUNS:-5}
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

# Best wall time of `runs` runs of a command, in milliseconds; `prepare` runs untimed
# before each.
best_ms() {
  local prepare=$1; shift
  local best="" start end ms
  for ((r = 0; r < runs; r++)); do
    eval "$prepare"
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

if ! command -v sqlite3 >/dev/null; then
  echo "sqlite3 is not installed: nothing to compare with"
  exit 0
fi
cat > "$work/import.sql" <<SQL
CREATE TABLE codes(tbl TEXT, code TEXT, text TEXT, extension TEXT);
.mode tabs
.import $work/codes.tsv codes
SQL
sqlite_ms=$(best_ms 'rm -f "$work/codes.db"' sqlite3 "$work/codes.db" ".read $work/import.sql") || exit 0
imported=$(sqlite3 "$work/codes.db" "SELECT count(*) FROM codes")
echo "sqlite3 .import of $imported rows into a new table: ${sqlite_ms} ms"

if [ ! -x "$vestral" ] || ! "$vestral" generate --help >/dev/null 2>&1; then
  echo "vestral generate is not available in $build yet: skipped"
  exit 0
fi
gen_ms=$(best_ms 'rm -f "$work/codes.DAT"' "$vestral" generate "$work/codes.txt" "$work/codes.DAT" --quiet) || exit 0
echo "vestral generate --quiet of $rows lines:          ${gen_ms} ms"
awk -v g="$gen_ms" -v s="$sqlite_ms" 'BEGIN {
  if (s > 0) printf "ratio generate / import: %.2f (aim: 0.50 or less)\n", g / s
}'
