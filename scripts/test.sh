#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite itself,
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer,
# and a bounded fuzzing run of the picture reader and the script parser.
# Rendering tests start their own Xvfb when no display is set. Any failure
# or finding ends the run with a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
bash scripts/web.sh
bash scripts/build.sh all
echo "== tests"
ctest --test-dir build --output-on-failure -j2
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/sanitize.sh
echo "== fuzzing"
bash scripts/fuzz.sh 60 30
echo "test: all passed"
