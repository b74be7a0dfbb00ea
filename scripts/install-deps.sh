#!/usr/bin/env bash
# Installs from Debian's packages what this machine lacks for one purpose:
#   scripts/install-deps.sh play   building and running the game (the default)
#   scripts/install-deps.sh web    building the browser version
#   scripts/install-deps.sh package  building the Debian package
#   scripts/install-deps.sh test   building everything and running every test
# Safe to run again: it installs nothing when everything is present.
set -euo pipefail
PURPOSE=${1:-play}

# The game: a compiler, CMake, freeglut, GL/GLU (and Mesa's drivers), Dear
# ImGui for the study panel, and libpng for the icon.
PLAY=(build-essential cmake pkg-config freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libimgui-dev
      libpng-dev)
# The tools, tests and benchmarks on top: screenshots, fmt's shortest number
# digits, GoogleTest, Google Benchmark, a private X server driven by xdotool,
# clang for the fuzzers and the sanitizers' runtime, valgrind for the memory
# check, and Chromium and Node.js for the browser tests (npm, below, installs
# their playwright-core as tests/web/package-lock.json pins it).
TEST=(libfmt-dev libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev
      xvfb xauth xdotool x11-utils time bc clang libclang-rt-14-dev valgrind
      chromium nodejs)

# The browser version: emscripten (with Node.js) and fmt's headers; a
# compiler and libpng for this machine, which draw the page's icons.
WEB=(cmake emscripten nodejs libfmt-dev python3 build-essential libpng-dev)

# The Debian package on top of the game: the companion programs (fmt),
# CPack's helpers (dpkg-shlibdeps for the dependencies, file to find the
# programs), lintian to check it, and what its checks run: the menu entry's
# and the metadata's validators and man for the manual pages.
PACKAGE=(libfmt-dev dpkg-dev file lintian desktop-file-utils appstream man-db)

case "$PURPOSE" in
  play) PACKAGES=("${PLAY[@]}") ;;
  web) PACKAGES=("${WEB[@]}") ;;
  package) PACKAGES=("${PLAY[@]}" "${PACKAGE[@]}") ;;
  test) PACKAGES=("${PLAY[@]}" "${TEST[@]}" "${WEB[@]}" "${PACKAGE[@]}") ;;
  *) echo "install-deps: unknown purpose \"$PURPOSE\" (play, web, package or test)" >&2; exit 2 ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
# npm is Debian's package unless the Node.js installed brings its own (a
# Node.js from elsewhere that conflicts with Debian's npm).
if [ "$PURPOSE" = test ] && ! command -v npm >/dev/null; then missing+=(npm); fi
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
