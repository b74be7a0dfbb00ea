#!/usr/bin/env bash
# Installs the browser tests' npm packages, at the versions package-lock.json
# pins, into DIR (in the build tree: the sources stay free of node_modules).
# Runs `npm ci` only when the lock file changed since the last install.
#   tests/web/install.sh DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:?usage: install.sh DIR}
mkdir -p "$dir"
stamp="$dir/node_modules/.installed-lock.json"
if cmp -s "$here/package-lock.json" "$stamp"; then
  echo "browser tests: npm packages up to date in $dir"
  exit 0
fi
cp "$here/package.json" "$here/package-lock.json" "$dir/"
# Node.js trusts its own list of certificate authorities; the system's (which
# a network's proxy may add to) comes on top when none is named.
if [ -z "${NODE_EXTRA_CA_CERTS:-}" ] && [ -r /etc/ssl/certs/ca-certificates.crt ]; then
  export NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt
fi
(cd "$dir" && npm ci --no-audit --no-fund)
cp "$here/package-lock.json" "$stamp"
