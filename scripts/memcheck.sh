#!/usr/bin/env bash
# valgrind memcheck over the real start-up and frame loop for N frames
# (default 200) under Xvfb: fails on any invalid read or write, use of
# uninitialised memory, or definite leak that the driver suppressions in
# tests/sanitizer/valgrind.supp do not explain. Slow: the whole OpenGL
# pipeline runs under memcheck (Mesa's llvmpipe on one thread; 200 frames
# take about eight minutes on two cores).
#   scripts/memcheck.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
FRAMES=${1:-200}
[ -x build/orvane-capture ] || bash scripts/build.sh all
log=$(mktemp)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd build
status=0
LP_NUM_THREADS=0 valgrind --tool=memcheck --error-exitcode=9 \
  --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
  --keep-debuginfo=yes --num-callers=40 \
  --suppressions=../tests/sanitizer/valgrind.supp --log-file="$log" \
  ./orvane-capture --frames "$FRAMES" --out "$out" >/dev/null 2>&1 || status=$?
grep -E "ERROR SUMMARY|definitely lost|Invalid|uninitialised" "$log" | sed 's/^==[0-9]*== /memcheck: /' | sort | uniq -c
echo "memcheck: full log in $log"
exit $status
