#!/usr/bin/env bash
# Configures and builds the Release tree in build/ with the generated
# pictures in build/pics/.
#   scripts/build.sh play   the game alone (the default)
#   scripts/build.sh all    the game, the tools, the tests and the benchmarks
#                           (the tests also compare the browser build in
#                           build-web/, which scripts/web.sh makes)
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-play}" in
  play) OPTIONS=(-DORVANE_BUILD_TOOLS=OFF -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCHMARKS=OFF) ;;
  all) OPTIONS=(-DORVANE_BUILD_TOOLS=ON -DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCHMARKS=ON
            "-DORVANE_WEB_BUILD_DIR=$PWD/build-web") ;;
  *) echo "build: unknown kind \"$1\" (play or all)" >&2; exit 2 ;;
esac
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "${OPTIONS[@]}" >/dev/null
cmake --build build -j"$(nproc)"
