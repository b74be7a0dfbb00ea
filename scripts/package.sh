#!/usr/bin/env bash
# Builds the Debian package into build-package/ (orvane_VERSION_amd64.deb):
# the programs, pictures, examples, manual pages, menu entry, icon and
# AppStream metadata, installed under /usr, built with Debian's hardening
# flags. Then checks it with lintian when lintian is installed, and that its
# orvane-sim prints the same bytes as the test build's (build/) when there
# is one.
#   sudo apt install ./build-package/orvane_*_amd64.deb    installs it
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

# Debian's flags for hardened programs, all of them; the project's own keep
# the numbers exact (no contraction, no fast-math) and its optimisation wins
# over -O2.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
CFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DORVANE_BUILD_TOOLS=ON -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCHMARKS=OFF \
  -DORVANE_BUILD_TREE_PICTURES=OFF -DORVANE_DEBIAN_PACKAGE=ON \
  "-DCMAKE_CXX_FLAGS=$CXXFLAGS" "-DCMAKE_C_FLAGS=$CFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" >/dev/null
cmake --build build-package -j"$(nproc)"
rm -f build-package/orvane_*.deb
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls build-package/orvane_*.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --field "$deb" Depends Suggests | sed 's/^/package: /'

if [ -x build/orvane-sim ]; then
  for script in tools/sim/examples/*.txt; do
    cmp -s <(build/orvane-sim --steps 600 --every 50 --input "$script") \
           <(build-package/orvane-sim --steps 600 --every 50 --input "$script") ||
      { echo "package: its orvane-sim prints other bytes than build/orvane-sim for $script" >&2; exit 1; }
  done
  echo "package: its orvane-sim prints the test build's bytes for every example"
fi

if command -v lintian >/dev/null; then
  echo "package: lintian says:"
  lintian --info --display-info "$deb" || { echo "package: lintian found errors" >&2; exit 1; }
fi
