#!/usr/bin/env bash
# Runs one fuzz target for a while:  scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
#   scripts/fuzz.sh ini 600        the INI reader for ten minutes
# Targets are built by the main build when clang is installed (build/fuzz/fuzz_TARGET; set
# K7_FUZZ_DIR for another build folder). New inputs that reach new code are kept in
# build/fuzz/corpus/TARGET; the seeds stay in fuzz/corpus/TARGET. A crash leaves its input as
# crash-* in the current folder: make it a regular test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:?usage: scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]}"
seconds="${2:-60}"
shift $(($# < 2 ? $# : 2))
dir="${K7_FUZZ_DIR:-$root/build/fuzz}"
bin="$dir/fuzz_$target"
if [ ! -x "$bin" ]; then
  echo "fuzz.sh: $bin not built (needs clang++; build with: cmake --build build)" >&2
  exit 1
fi
corpus="$dir/corpus/$target"
mkdir -p "$corpus"
seeds=()
[ -d "$root/fuzz/corpus/$target" ] && seeds=("$root/fuzz/corpus/$target")
exec "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$@" "$corpus" "${seeds[@]}"
