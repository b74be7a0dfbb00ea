#!/usr/bin/env bash
# Builds the shortest number formatter for WebAssembly with Debian's
# emscripten (apt-get install emscripten), runs it under node for COUNT
# values and compares every line byte for byte with the native
# std::to_chars. Usage: scripts/wasm-shortest-check.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-6000000}
command -v em++ >/dev/null || { echo "wasm-shortest-check: needs em++ (apt-get install emscripten)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# emcc's own JavaScript tools load Debian's node modules (acorn), which a
# node from elsewhere does not search by itself.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
# fmt's headers alone: the host's /usr/include must stay out of a wasm build.
mkdir -p "$work/include"
ln -s /usr/include/fmt "$work/include/fmt"

# SINGLE_FILE embeds the module in the script: emscripten 3.1.6 would
# otherwise load it with fetch() whenever node has one (node 18 and later),
# and fail on a file path. NODERAWFS writes stdout straight to the file.
em++ -std=c++17 -O2 -Wall -Wextra -ffp-contract=off -DFMT_HEADER_ONLY -I. -isystem "$work/include" \
  -sSINGLE_FILE=1 -sNODERAWFS=1 \
  tests/wasm/ShortestDoubleDump.cpp tools/common/ShortestDouble.cpp -o "$work/dump.js"
g++ -std=c++17 -O2 -Wall -Wextra -ffp-contract=off -DORVANE_DUMP_LIBRARY \
  tests/wasm/ShortestDoubleDump.cpp -o "$work/dump-library"

"$work/dump-library" "$count" >"$work/library.txt"
node "$work/dump.js" "$count" >"$work/wasm.txt"

lines=$(wc -l <"$work/library.txt")
if cmp -s "$work/library.txt" "$work/wasm.txt"; then
  echo "wasm-shortest-check: $lines values, identical text"
else
  echo "wasm-shortest-check: the WebAssembly text differs from std::to_chars (bits, library, wasm):" >&2
  diff "$work/library.txt" "$work/wasm.txt" | head -20 >&2
  exit 1
fi
