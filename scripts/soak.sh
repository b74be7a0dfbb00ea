#!/usr/bin/env bash
# The full soak: a seeded random script replayed by orvane-sim for 100,000
# and 1,000,000 idle calls. Prints the peak memory of both runs and fails if
# any printed value is not finite or the longer run needed more memory
# (beyond 5 %, the noise between identical runs).
#   scripts/soak.sh [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
SEED=${1:-1}
[ -x build/orvane-sim ] || bash scripts/build.sh all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/orvane-soakgen --seed "$SEED" --steps 1000000 >"$work/soak.txt"
echo "soak: script with $(grep -vc '^#' "$work/soak.txt") events, seed $SEED"

run() {
  local steps=$1
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$work/rss-$steps" \
    build/orvane-sim --timeline-memory 0 --steps "$steps" --every 10000 --input "$work/soak.txt" >"$work/out-$steps.jsonl"
  end=$(date +%s.%N)
  local lines nulls
  lines=$(wc -l <"$work/out-$steps.jsonl")
  nulls=$(grep -c null "$work/out-$steps.jsonl" || true)
  printf 'soak: %8d idle calls  %6.1f s  peak %6d KiB  %d lines  %d with non-finite values\n' \
    "$steps" "$(echo "$end - $start" | bc)" "$(cat "$work/rss-$steps")" "$lines" "$nulls"
  [ "$nulls" -eq 0 ]
}

run 100000
run 1000000
short=$(cat "$work/rss-100000")
long=$(cat "$work/rss-1000000")
# Identical runs differ by about a hundred KiB (the allocator's pages); a
# leak over ten times the idle calls would grow far beyond 5 %.
if [ "$long" -gt $((short + short / 20)) ]; then
  echo "soak: peak memory grew from $short KiB to $long KiB" >&2
  exit 1
fi
echo "soak: passed"
