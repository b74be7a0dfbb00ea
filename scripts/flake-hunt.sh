#!/usr/bin/env bash
# Runs the native test suite N times while CPU-bound load runs beside it, as
# on a busy machine, and lists every test that failed at least once with how
# many times it failed. Each run's full output stays in the log folder it
# names, so that a failure can be read afterwards.
#   scripts/flake-hunt.sh [N] [LOAD]
# N runs (default 10); LOAD busy processes beside the suite (default 1: on a
# two-core machine the suite then shares its cores as with another program).
# Exit status 0 when no test failed, 1 when one did, 2 for a bad argument.
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-10}
LOAD=${2:-1}
BUILD=${ORVANE_BUILD_DIR:-build}
case "$RUNS$LOAD" in
  *[!0-9]*) echo "flake-hunt: N and LOAD are whole numbers, not \"$RUNS\" \"$LOAD\"" >&2; exit 2 ;;
esac
[ "$RUNS" -ge 1 ] || { echo "flake-hunt: N must be at least 1" >&2; exit 2; }
[ -f "$BUILD/CTestTestfile.cmake" ] || bash scripts/build.sh all

logs=$(mktemp -d /tmp/flake-hunt.XXXXXX)
load_pids=()
stop_load() { for pid in "${load_pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_load EXIT
for _ in $(seq "$LOAD"); do
  sha256sum /dev/zero >/dev/null &
  load_pids+=($!)
done

# The names ctest lists under "The following tests FAILED:".
failed_tests() { sed -n '/tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' "$@"; }

for run in $(seq "$RUNS"); do
  start=$SECONDS
  if ctest --test-dir "$BUILD" -j2 --output-on-failure >"$logs/run-$run.txt" 2>&1; then
    verdict="passed"
  else
    verdict="failed: $(failed_tests "$logs/run-$run.txt" | tr '\n' ' ')"
  fi
  echo "flake-hunt: run $run of $RUNS, $((SECONDS - start)) s, $verdict"
done

echo "flake-hunt: logs in $logs"
failures=$(for log in "$logs"/run-*.txt; do failed_tests "$log"; done | sort | uniq -c | sort -rn)
if [ -z "$failures" ]; then
  echo "flake-hunt: no test failed in $RUNS runs"
  exit 0
fi
echo "flake-hunt: tests that failed (times out of $RUNS runs):"
echo "$failures"
exit 1
