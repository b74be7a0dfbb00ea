#!/usr/bin/env bash
# Builds tests/wasm/PortableMathDigest.cpp natively (optimised and not) and
# for WebAssembly with Debian's emscripten (apt-get install emscripten), runs
# the three on the same COUNT arguments per range and compares the digests of
# portableSin, portableCos and portableAtan. Also prints how often each
# platform's C library differs from them (that is, from the correctly
# rounded value). Usage: scripts/wasm-portable-math-check.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000000}
command -v em++ >/dev/null || { echo "wasm-portable-math-check: needs em++ (apt-get install emscripten)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# emcc's own JavaScript tools load Debian's node modules (acorn), which a
# node from elsewhere does not search by itself.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
sources=(tests/wasm/PortableMathDigest.cpp math/PortableMath.cpp)
flags=(-std=c++17 -Wall -Wextra -ffp-contract=off -I.)

# SINGLE_FILE embeds the module in the script: emscripten 3.1.6 would
# otherwise load it with fetch() whenever node has one, and fail on a path.
em++ "${flags[@]}" -O2 -sSINGLE_FILE=1 "${sources[@]}" -o "$work/digest.js"
g++ "${flags[@]}" -O2 "${sources[@]}" -o "$work/digest"
g++ "${flags[@]}" -O0 "${sources[@]}" -o "$work/digest-O0"

"$work/digest" "$count" | tee "$work/native.txt" | sed 's/^/x86-64  /'
"$work/digest-O0" "$count" >"$work/native-O0.txt"
node "$work/digest.js" "$count" | tee "$work/wasm.txt" | sed 's/^/wasm32  /'

# function, range, count and digest; the C library columns differ by design.
digests() { awk '{print $1, $2, $3, $6}' "$1"; }
if cmp -s <(digests "$work/native.txt") <(digests "$work/wasm.txt") &&
   cmp -s <(digests "$work/native.txt") <(digests "$work/native-O0.txt"); then
  echo "wasm-portable-math-check: x86-64 -O2, x86-64 -O0 and wasm32 give the same bits"
else
  echo "wasm-portable-math-check: the digests differ (native, wasm):" >&2
  diff <(digests "$work/native.txt") <(digests "$work/wasm.txt") >&2
  exit 1
fi
