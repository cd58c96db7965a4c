#!/usr/bin/env bash
# One `vestral lookup CODE` as a whole process (start-up, reading the database of
# 100,000 entries in place, the lookup of a table's last entry) against sqlite3
# answering the same code from an indexed table of the same rows, alternated. Target:
# the median of the pair ratios at most 4, and vestral under 8 ms.
set -euo pipefail
build=${1:-build-release}
vestral="$build/vestral"
tool="$build/bench/bench_data_tool"
if [ ! -x "$vestral" ] || [ ! -x "$tool" ]; then
  echo "skipped: $vestral or $tool is not built"
  exit 0
fi
if ! command -v sqlite3 >/dev/null 2>&1; then
  echo "skipped: sqlite3 is not installed (scripts/setup installs it)"
  exit 0
fi
source "$(dirname "$0")/support/timing.bash"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work"
sqlite3 "$work/bench.sqlite" <"$work/rows.sql" >/dev/null
code=$(cat "$work/last.txt")
# The batch's query for one code, with the code of the table's last entry.
sed -n 2p "$work/queries.sql" |
  sed -E "s/d.letter = '.' AND d.code = '....'/d.letter = '${code:0:1}' AND d.code = '${code:1}'/" \
    >"$work/one.sql"
sqlite3 -separator "$(printf '\t')" "$work/bench.sqlite" <"$work/one.sql"
"$vestral" lookup --db "$work/bench.DAT" "$code"
read -r v q ratio < <(paired_ms 41 "'$vestral' lookup --db '$work/bench.DAT' $code" \
  "sqlite3 '$work/bench.sqlite' <'$work/one.sql'")
report_pair "one lookup of $code" "$v" "$q" "$ratio" 4
awk -v v="$v" 'BEGIN { printf "one lookup: %.2f ms (target: under 8 ms) %s\n", v, (v < 8 ? "met" : "MISSED") }'
