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

# Runs two shell commands in turns, RUNS times each after a warm-up, so that both see
# the same load on a shared machine. `prepare` (may be empty) runs untimed before every
# run of either. Prints the median wall time of each in milliseconds and the median
# of the ratios A/B of the pairs: "A B RATIO".
# Usage: read -r a b ratio < <(paired_ms RUNS COMMAND_A COMMAND_B [PREPARE])
paired_ms() {
  local runs=$1 a=$2 b=$3 prepare=${4:-:} i t0 t1 t2 t3
  local pairs=""
  for i in 1 2; do
    eval "$prepare"; eval "$a" >/dev/null 2>&1 || true
    eval "$prepare"; eval "$b" >/dev/null 2>&1 || true
  done
  for ((i = 0; i < runs; i++)); do
    eval "$prepare"
    t0=$EPOCHREALTIME; eval "$a" >/dev/null 2>&1 || true; t1=$EPOCHREALTIME
    eval "$prepare"
    t2=$EPOCHREALTIME; eval "$b" >/dev/null 2>&1 || true; t3=$EPOCHREALTIME
    pairs+="$t0 $t1 $t2 $t3"$'\n'
  done
  printf '%s' "$pairs" | awk '{ printf "%f %f\n", ($2 - $1) * 1000, ($4 - $3) * 1000 }' |
    pair_medians
}

# Reads pairs of figures "A B", one pair a line, and prints the median of each and the
# median of the ratios A/B of the pairs: "A B RATIO".
pair_medians() {
  awk '
    function median(v, n,   i, j, t) {
      for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) {
        t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
      return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    { n++; a[n] = $1; b[n] = $2; r[n] = $1 / $2 }
    END { printf "%.2f %.2f %.3f\n", median(a, n), median(b, n), median(r, n) }'
}

# One line: what was compared, both medians, the median ratio and its target.
report_pair() {
  awk -v w="$1" -v a="$2" -v b="$3" -v r="$4" -v t="$5" 'BEGIN {
    printf "%s: vestral %.2f ms, sqlite3 %.2f ms, median ratio %.3f (target: at most %s) %s\n",
      w, a, b, r, t, (r <= t ? "met" : "MISSED") }'
}
