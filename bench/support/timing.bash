# Shared by bench/*.sh: the mean wall time and the mean CPU time (user + system) of a
# shell command, in milliseconds, as "WALL CPU". hyperfine measures when it is
# installed (scripts/setup installs it); else a plain loop, which gives no CPU time.
# On a machine shared with other work the wall time grows, the CPU time hardly does.
# Usage: read -r wall cpu < <(mean_ms RUNS COMMAND)
mean_ms() {
  local runs=$1 cmd=$2
  if command -v hyperfine >/dev/null 2>&1; then
    local csv
    csv=$(mktemp)
    hyperfine --style none --ignore-failure --warmup 3 --runs "$runs" --export-csv "$csv" \
      "$cmd" >/dev/null 2>&1
    # command,mean,stddev,median,user,system,min,max (seconds)
    awk -F, 'NR == 2 { printf "%.1f %.1f\n", $2 * 1000, ($5 + $6) * 1000 }' "$csv"
    rm -f "$csv"
  else
    local i start end
    for i in 1 2 3; do bash -c "$cmd" >/dev/null 2>&1 || true; done
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do bash -c "$cmd" >/dev/null 2>&1 || true; done
    end=$(date +%s%N)
    awk -v ns=$((end - start)) -v n="$runs" 'BEGIN { printf "%.1f n/a\n", ns / n / 1e6 }'
  fi
}
