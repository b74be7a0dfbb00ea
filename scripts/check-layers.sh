#!/usr/bin/env bash
# Checks the include rules of ARCHITECTURE.md: the simulation core includes
# no OpenGL, GLUT or window code, drawing includes no window shell, and no
# program code includes the tools or the tests. With a build folder given,
# also checks that the headless replay links no OpenGL library.
#   scripts/check-layers.sh [BUILD_DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
status=0

# forbid LAYER_FOLDERS... -- PATTERN WHY
forbid() {
  local folders=() pattern why hits
  while [ "$1" != "--" ]; do folders+=("$1"); shift; done
  pattern=$2 why=$3
  hits=$(grep -rnE --include='*.h' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" "${folders[@]}" 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "check-layers: $why:" >&2
    echo "$hits" >&2
    status=1
  fi
}

core=(math assets ball scene effects world)
forbid "${core[@]}" cli -- 'GL/|GLFW|SDL|imgui|emscripten' "the core includes a graphics or window header"
forbid "${core[@]}" cli -- 'draw/|shell/|panel/|tools/|tests/|bench/' "the core includes code of a layer above it"
forbid cli -- 'GL/|imgui|world/|ball/|scene/|effects/' "the command-line reader includes more than the standard library"
forbid panel -- 'GL/|backends/|draw/|shell/|tools/|tests/|bench/' "the panel includes OpenGL, a back end or a layer above it"
forbid draw -- 'shell/|panel/|imgui|tools/|tests/|bench/' "drawing includes the window shell, the panel, the tools or the tests"
forbid shell -- 'tools/|tests/|bench/' "the window shell includes the tools or the tests"
forbid tools/common -- 'GL/|draw/|shell/|tools/window/' "the plain tool code includes window code"

# The C library's transcendental functions differ in the last bit from one
# platform to another; the simulation uses the portable ones.
libm=$(grep -rnE --include='*.h' --include='*.cpp' 'std::(sin|cos|tan|atan|atan2|asin|acos|exp|log|pow)\(' \
  "${core[@]}" | grep -v '^math/PortableMath')
if [ -n "$libm" ]; then
  echo "check-layers: the core calls the C library's transcendental functions (use math/PortableMath.h):" >&2
  echo "$libm" >&2
  status=1
fi

if [ $# -ge 1 ] && [ -x "$1/orvane-sim" ]; then
  if ldd "$1/orvane-sim" | grep -qE 'lib(GL|GLU|glut|X11)\.'; then
    echo "check-layers: orvane-sim links a graphics or window library:" >&2
    ldd "$1/orvane-sim" | grep -E 'lib(GL|GLU|glut|X11)\.' >&2
    status=1
  fi
fi
[ $status -eq 0 ] && echo "check-layers: every layer includes only what it may"
exit $status
