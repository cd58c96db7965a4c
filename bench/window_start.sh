#!/usr/bin/env bash
# The lookup window's start as a whole process, from exec until its window is mapped and
# first painted, against a bare Qt Widgets window of the same size, both on one virtual X
# server (Xvfb), alternated. The lookup window opens the shipped default database. Target:
# the median of the pair ratios at most 1.15.
set -euo pipefail
build=${1:-build-release}
vestral="$build/vestral"
bare="$build/bench/bare_window"
watch="$build/bench/first_paint"
for f in "$vestral" "$bare" "$watch" "$build/generic-codes.DAT"; do
  if [ ! -e "$f" ]; then
    echo "skipped: $f is not built (first_paint needs libxcb-damage0-dev: scripts/setup)"
    exit 0
  fi
done
for tool in Xvfb dbus-daemon; do
  if ! command -v $tool >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/setup installs it)"
    exit 0
  fi
done
source "$(dirname "$0")/support/timing.bash"
work=$(mktemp -d)
server="" bus=""
trap 'kill $server $bus 2>/dev/null; rm -rf "$work"' EXIT
cp "$build/generic-codes.DAT" "$work/codes.DAT"
# The server names its display once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
# A desktop session's message bus, which every Qt program reaches for accessibility;
# without one, each would try to start a bus of its own.
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/bus" 4>"$work/bus.pid"
bus=$(cat "$work/bus.pid")
export DBUS_SESSION_BUS_ADDRESS=$(cat "$work/bus")
export XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work" XDG_DATA_HOME="$work"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
runs=31
pairs=""
for i in $(seq $((runs + 2))); do
  v=$("$watch" "$vestral" --db "$work/codes.DAT" 2>/dev/null) || v=""
  b=$("$watch" "$bare" 2>/dev/null) || b=""
  if [ -z "$v" ] || [ -z "$b" ]; then
    echo "skipped: a window did not show on the virtual display"
    exit 0
  fi
  # The first two pairs warm the caches.
  [ "$i" -gt 2 ] && pairs+="$v $b"$'\n'
done
read -r v b ratio < <(printf '%s' "$pairs" | pair_medians)
awk -v v="$v" -v b="$b" -v r="$ratio" 'BEGIN {
  printf "lookup window shown and painted: vestral %.1f ms, bare Qt window %.1f ms, median ratio %.3f (target: at most 1.15) %s\n",
    v, b, r, (r <= 1.15 ? "met" : "MISSED") }'
