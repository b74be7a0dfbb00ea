#!/usr/bin/env bash
# Installs what is missing, builds, and starts orvane from build/, the folder
# that holds the generated pics/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh play
bash scripts/build.sh play
cd build
exec ./orvane "$@"
