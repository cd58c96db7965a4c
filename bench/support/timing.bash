# Shared by bench/*.sh: mean wall time of a shell command in milliseconds, measured
# by hyperfine when it is installed, else by a plain loop.
# Usage: mean_ms RUNS COMMAND
mean_ms() {
  local runs=$1 cmd=$2
  if command -v hyperfine >/dev/null 2>&1; then
    local csv
    csv=$(mktemp)
    hyperfine --style none --ignore-failure --warmup 3 --runs "$runs" --export-csv "$csv" \
      "$cmd" >/dev/null 2>&1
    awk -F, 'NR == 2 { printf "%.1f\n", $2 * 1000 }' "$csv"
    rm -f "$csv"
  else
    local i start end
    for i in 1 2 3; do bash -c "$cmd" >/dev/null 2>&1 || true; done
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do bash -c "$cmd" >/dev/null 2>&1 || true; done
    end=$(date +%s%N)
    awk -v ns=$((end - start)) -v n="$runs" 'BEGIN { printf "%.1f\n", ns / n / 1e6 }'
  fi
}
