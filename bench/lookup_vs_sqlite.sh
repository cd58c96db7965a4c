#!/usr/bin/env bash
# 10,000 codes read from standard input by one `vestral lookup -` against sqlite3
# answering the same 10,000 queries from an indexed table of the same rows, alternated.
# Target: the median of the pair ratios at most 0.15.
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

# Both must give the same answers before their times mean anything.
found_v=$("$vestral" lookup --db "$work/bench.DAT" - <"$work/codes.txt" | grep -cv "$(printf '\t')Ошибка" || true)
found_s=$(sqlite3 "$work/bench.sqlite" <"$work/queries.sql" | wc -l)
echo "codes found: vestral $found_v, sqlite3 $found_s of $(wc -l <"$work/codes.txt")"

read -r v q ratio < <(paired_ms 15 "'$vestral' lookup --db '$work/bench.DAT' - <'$work/codes.txt'" \
  "sqlite3 '$work/bench.sqlite' <'$work/queries.sql'")
report_pair "10,000 lookups from standard input" "$v" "$q" "$ratio" 0.15
