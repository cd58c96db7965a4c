#!/usr/bin/env bash
# Peak resident memory of whole `vestral` processes on databases of 100,000 entries:
# a lookup of one code, a lookup of 10,000 codes from standard input, and a sync of two
# databases (half of the codes shared). Targets: one lookup at most the file's size +
# 24 MB, and on a valid 100 MB file of 8-byte entries at most 1.3 x the file + 32 MB;
# the others no more than 3 times the files they read plus 30 MB; a lint, whatever it
# finds, at most the file's size + 8 MB.
# Figures only: nothing here fails a build.
#
# Usage: bench/memory.sh BUILD_FOLDER
set -uo pipefail
build=${1:-build-release}
vestral="$build/vestral"
tool="$build/bench/bench_data_tool"
syncbench="$build/bench/sync_bench"
gnutime=/usr/bin/time

for need in "$vestral" "$tool" "$syncbench"; do
  if [ ! -x "$need" ]; then
    echo "skipped: $need is not built"
    exit 0
  fi
done
if [ ! -x "$gnutime" ]; then
  echo "skipped: $gnutime is missing (scripts/setup installs the package time)"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work" >/dev/null || exit 0
"$syncbench" --write-files "$work" >/dev/null || exit 0
cp "$work/main.DAT" "$work/main.orig"

size_kb() { echo $(($(stat -c %s "$1") / 1024)); }

# The peak resident set of one run of "$@" in KB, standard input from $stdin.
stdin=/dev/null
peak_kb() {
  "$gnutime" -f %M -o "$work/peak" "$@" <"$stdin" >/dev/null 2>"$work/err"
  local status=$?
  if [ $status -gt 1 ]; then
    echo "memory: \"$*\" failed with status $status: $(head -c 300 "$work/err")" >&2
    echo 0
    return
  fi
  tail -n 1 "$work/peak"
}

# One line: what, peak, limit and whether the peak is within it. The limit is
# FACTOR10 / 10 x the files + EXTRA_MB (default 3 x + 30 MB).
report() {
  local what=$1 peak=$2 files_kb=$3 factor10=${4:-30} extra_mb=${5:-30}
  local limit=$((factor10 * files_kb / 10 + extra_mb * 1024))
  local verdict=within
  [ "$peak" -gt "$limit" ] && verdict=OVER
  awk -v w="$what" -v p="$peak" -v l="$limit" -v f="$files_kb" -v v="$verdict" 'BEGIN {
    printf "%-44s peak %6.1f MB   limit %6.1f MB (files %5.1f MB)   %s\n",
      w, p / 1024, l / 1024, f / 1024, v }'
}

db_kb=$(size_kb "$work/bench.DAT")
code=$(cat "$work/last.txt")
report "vestral lookup (1 code)" "$(peak_kb "$vestral" lookup --db "$work/bench.DAT" "$code")" \
  "$db_kb" 10 24

# A valid file of about 100 MB whose entries are 8 bytes each (codes, no texts).
big="$work/big.DAT"
python3 - "$big" <<'PY'
import struct, sys
n = 100 * 1024 * 1024 // 8 // 4
with open(sys.argv[1], "wb") as f:
    for name in (b"powertrain", b"chassis", b"body", b"network communications systems"):
        f.write(struct.pack("<H", len(name)) + name + struct.pack("<HII", 1, n, 0))
        f.write(b"\0" * 8 + b"".join(b"%04X\0\0\0\0" % (i % 65536) for i in range(n - 1)))
PY
report "vestral lookup (1 code, 8-byte entries)" \
  "$(peak_kb "$vestral" lookup --db "$big" P3FFF)" "$(size_kb "$big")" 13 32

# The lookup window, offscreen, with a database of 1,000,000 entries beside a copy of
# the program: its peak at most 2 x the file over the same window with an empty one
# (Qt's own).
window_peak_kb() {
  QT_QPA_PLATFORM=offscreen "$work/win/vestral" 2>/dev/null &
  local pid=$!
  sleep 4
  awk '/VmHWM/ { print $2 }' "/proc/$pid/status"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
if [ -f "$build/vestral_windows.so" ]; then
  mkdir -p "$work/win"
  cp "$vestral" "$build/vestral_windows.so" "$work/win/"
  qt_kb=$(window_peak_kb)  # makes an empty vestral.DAT first
  python3 - "$work/win/vestral.DAT" <<'PY'
import struct, sys
n, text = 250000, b"Sensor circuit range/performance bank 1 wiring check"
with open(sys.argv[1], "wb") as f:
    for name in (b"powertrain", b"chassis", b"body", b"network communications systems"):
        f.write(struct.pack("<H", len(name)) + name + struct.pack("<HII", 1, n + 1, 0) + b"\0" * 8)
        f.write(b"".join(b"%04X" % (i % 65536) + struct.pack("<H", len(text)) + text + b"\0\0"
                         for i in range(n)))
PY
  report "lookup window (1,000,000 entries)" "$(window_peak_kb)" \
    "$(size_kb "$work/win/vestral.DAT")" 20 $((qt_kb / 1024))
fi

stdin="$work/codes.txt"
report "vestral lookup - ($(wc -l <"$work/codes.txt") codes)" \
  "$(peak_kb "$vestral" lookup --db "$work/bench.DAT" -)" "$db_kb"
stdin=/dev/null

pair_kb=$(($(size_kb "$work/main.DAT") + $(size_kb "$work/other.DAT")))
report "vestral sync --quiet --yes (alternative value)" \
  "$(peak_kb "$vestral" sync --quiet --yes --db "$work/main.DAT" "$work/other.DAT")" "$pair_kb"
cp "$work/main.orig" "$work/main.DAT"
report "vestral sync --quiet --direct --yes" \
  "$(peak_kb "$vestral" sync --quiet --direct --yes --db "$work/main.DAT" "$work/other.DAT")" \
  "$pair_kb"

# lint keeps no finding: 10 MB of empty lines (a finding a byte), and 32 MB of entries
# with five findings each (a code the checker removes, repeated, and a text with a blank
# at its start and a control character).
python3 - "$work" <<'PY'
import struct, sys
open(sys.argv[1] + "/empty.txt", "wb").write(b"\n" * (10 << 20))
n = (32 << 20) // 11 // 4
entries = b"".join(b"9%03X" % (i % 4096) + struct.pack("<H", 3) + b" a\x01\0\0" for i in range(n))
with open(sys.argv[1] + "/findings.DAT", "wb") as f:
    for name in (b"powertrain", b"chassis", b"body", b"network communications systems"):
        f.write(struct.pack("<H", len(name)) + name + struct.pack("<HII", 1, n + 1, 0) + b"\0" * 8)
        f.write(entries)
PY
report "vestral lint --source (10 MB of empty lines)" \
  "$(peak_kb "$vestral" lint --source "$work/empty.txt")" "$(size_kb "$work/empty.txt")" 10 8
report "vestral lint --db (32 MB, 5 findings an entry)" \
  "$(peak_kb "$vestral" lint --db "$work/findings.DAT")" "$(size_kb "$work/findings.DAT")" 10 8
exit 0
