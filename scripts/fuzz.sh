#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Any finding (crash, sanitizer report, leak, timeout) fails the run.
#   scripts/fuzz.sh [SECONDS_FOR_TGA] [SECONDS_FOR_SCRIPTS]
set -euo pipefail
cd "$(dirname "$0")/.."
TGA_SECONDS=${1:-60}
SCRIPT_SECONDS=${2:-30}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target orvane-fuzz-tga orvane-fuzz-script orvane-tga-corpus

work=build-fuzz/run
rm -rf "$work"
mkdir -p "$work/tga-corpus" "$work/script-corpus" "$work/artifacts"
build-fuzz/tests/fuzz/orvane-tga-corpus "$work/tga-corpus"
cp tools/sim/examples/*.txt "$work/script-corpus/" 2>/dev/null || true

run_fuzzer() {
  local name=$1 seconds=$2 corpus=$3
  echo "fuzz: $name for ${seconds}s"
  "build-fuzz/tests/fuzz/$name" "$corpus" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/$name-" -print_final_stats=1 \
      >"$work/$name.log" 2>&1 || { tail -40 "$work/$name.log"; echo "fuzz: $name found a fault" >&2; return 1; }
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$work/$name.log" || true
}

run_fuzzer orvane-fuzz-tga "$TGA_SECONDS" "$work/tga-corpus"
run_fuzzer orvane-fuzz-script "$SCRIPT_SECONDS" "$work/script-corpus"
echo "fuzz: no findings"
