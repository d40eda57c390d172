#!/usr/bin/env bash
# CPU of the idle desktop program with the status poll running: k7700 --simulate on the
# offscreen platform, measured over 10 s once start-up (the 32-tag search) is done.
#   bench/idle_gui_cpu.sh [build-dir]
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
QT_QPA_PLATFORM=offscreen "$build/app/k7700" --simulate >/dev/null 2>&1 &
pid=$!
sleep 8
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks); s0=$(date +%s.%N)
sleep 10
t1=$(ticks); s1=$(date +%s.%N)
awk -v t="$((t1 - t0))" -v hz="$hz" -v a="$s0" -v b="$s1" \
  'BEGIN { printf "idle main window, status poll running: %.2f%% of a core over %.1f s\n", 100 * t / hz / (b - a), b - a }'
