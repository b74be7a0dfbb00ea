#!/usr/bin/env bash
# Builds the browser version into build-web/ (index.html, orvane.js,
# orvane.wasm, and orvane-sim.js for Node.js) with Debian's emscripten, and
# says how to serve it. Installs emscripten and Node.js first when missing.
#   scripts/web.sh [--serve [PORT]]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh web

# emcc runs its tools with the machine's node, which must find Debian's
# Node.js modules (acorn) when it is not Debian's own node.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$(nproc)"

port=${2:-8000}
if [ "${1:-}" = "--serve" ]; then
  echo "web: serving build-web/ at http://localhost:$port/ (Ctrl+C stops)"
  exec python3 -m http.server "$port" --directory build-web
fi
echo "web: built build-web/. Serve the folder over HTTP, for instance"
echo "       python3 -m http.server 8000 --directory build-web"
echo "     (or scripts/web.sh --serve), and open http://localhost:8000/"
