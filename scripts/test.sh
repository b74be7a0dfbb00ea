#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Rendering tests start
# their own Xvfb when no display is set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j2
