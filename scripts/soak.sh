#!/usr/bin/env bash
# The full soak: a seeded random script replayed by orvane-sim for 100,000
# and 1,000,000 idle calls. Prints the peak memory and the allocator's bytes
# in use at the end of both runs, and fails if any printed value is not
# finite or the longer run holds more (beyond 4 KiB, a container that once
# reaches a new size) than the shorter.
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
    build/orvane-sim --timeline-memory 0 --heap-in-use --steps "$steps" --every 10000 --input "$work/soak.txt" \
      >"$work/out-$steps.jsonl" 2>"$work/err-$steps.txt"
  end=$(date +%s.%N)
  local lines nulls
  lines=$(wc -l <"$work/out-$steps.jsonl")
  nulls=$(grep -c null "$work/out-$steps.jsonl" || true)
  sed -n 's/.*heap in use: \([0-9]*\) bytes/\1/p' "$work/err-$steps.txt" >"$work/heap-$steps"
  printf 'soak: %8d idle calls  %6.1f s  peak %6d KiB  heap in use %8d bytes  %d lines  %d with non-finite values\n' \
    "$steps" "$(echo "$end - $start" | bc)" "$(cat "$work/rss-$steps")" "$(cat "$work/heap-$steps")" "$lines" "$nulls"
  [ "$nulls" -eq 0 ]
}

run 100000
run 1000000
short=$(cat "$work/heap-100000")
long=$(cat "$work/heap-1000000")
# The allocator's count does not wander as pages do: a block kept by one
# idle call in a thousand would add some 30 KiB.
if [ "$long" -gt $((short + 4096)) ]; then
  echo "soak: the bytes in use grew from $short to $long" >&2
  exit 1
fi
echo "soak: passed"
