#!/usr/bin/env bash
# `vestral lookup` of one code as a whole process: start-up, reading the database of
# 100,000 entries and the lookup of a table's last entry. Target: under 50 ms.
set -euo pipefail
build=${1:-build-release}
vestral="$build/vestral"
tool="$build/bench/bench_data_tool"
if [ ! -x "$vestral" ] || [ ! -x "$tool" ]; then
  echo "skipped: $vestral or $tool is not built"
  exit 0
fi
source "$(dirname "$0")/support/timing.bash"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work"
code=$(cat "$work/last.txt")
read -r wall cpu < <(mean_ms 30 "'$vestral' lookup --db '$work/bench.DAT' $code")
echo "vestral lookup $code (whole process, 100,000 entries): $wall ms, CPU $cpu ms" \
  "(target: under 50 ms)"
