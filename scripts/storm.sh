#!/usr/bin/env bash
# Input storm: the real program under Xvfb, driven by xdotool with seeded
# random keys (every listed key and others), key-ups without key-downs, mouse
# motion with and without space held, and window resizes down to 1x1 and to
# height 0. It must never crash, hang or print a failure, and Esc must then
# end it with status 0.
#   scripts/storm.sh [SECONDS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
RANDOM=${2:-1}
BUILD=${ORVANE_BUILD_DIR:-build}
[ -x "$BUILD/orvane" ] || bash scripts/build.sh all

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "storm: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
fi
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}

(cd "$BUILD" && exec ./orvane) >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
window=$(timeout 20 xdotool search --sync --name "project orvane" | head -n1) || {
  echo "storm: the window did not appear" >&2; cat "$work/out.txt" "$work/err.txt" >&2; exit 1; }

# Keys go through the XTEST extension to the focused window, as a user's would.
xdotool windowfocus "$window"

keys=(Up Down Left Right w s a d r f t g l 0 1 2 3 8 9 space
      x W T G q Tab Return BackSpace F1 F5 Home Page_Up Insert KP_5 shift 7 4 5 6)
# Modifiers are only tapped, never held: X turns Ctrl+3 (and Ctrl+[) into the
# Esc character, which would end the program as a real Esc press does.
modifiers=(ctrl alt super)
pick() { local -n list=$1; echo "${list[RANDOM % ${#list[@]}]}"; }

alive() { kill -0 "$app_pid" 2>/dev/null; }

actions=0
end=$((SECONDS + SECONDS_TO_RUN))
while [ $SECONDS -lt $end ]; do
  alive || { echo "storm: the program died after $actions actions" >&2; break; }
  case $((RANDOM % 10)) in
    0|1|2) xdotool keydown "$(pick keys)" ;;
    3|4)   xdotool keyup "$(pick keys)" ;;
    5)     xdotool key "$(pick keys)" "$(pick modifiers)" ;;
    6)     xdotool mousemove $((RANDOM % 700)) $((RANDOM % 500)) ;;
    7)     xdotool keydown space mousemove $((RANDOM % 700)) $((RANDOM % 500)) keyup space ;;
    8)     case $((RANDOM % 4)) in
             0) xdotool windowsize "$window" 1 1 ;;
             1) xdotool windowsize "$window" $((RANDOM % 800)) 0 ;;
             2) xdotool windowsize "$window" $((RANDOM % 800 + 1)) $((RANDOM % 600 + 1)) ;;
             3) xdotool windowsize "$window" 640 480 ;;
           esac
           xdotool windowfocus "$window" ;;
    9)     sleep 0.02 ;;
  esac 2>>"$work/xdotool.log" || true
  actions=$((actions + 1))
done

status=0
if alive; then
  for k in "${keys[@]}"; do xdotool keyup "$k" 2>/dev/null || true; done
  xdotool windowfocus "$window" key Escape
  for _ in $(seq 100); do alive || break; sleep 0.1; done
  if alive; then
    echo "storm: the program did not end on Esc (hung?)" >&2
    status=1
  else
    wait "$app_pid" || status=$?
    app_pid=""
    [ $status -eq 0 ] || echo "storm: exit status $status" >&2
  fi
else
  wait "$app_pid" || status=$?
  app_pid=""
  echo "storm: the program ended by itself with status $status" >&2
  status=1
fi

if grep -qi "fehler" "$work/out.txt" || [ -s "$work/err.txt" ]; then
  echo "storm: the program printed a failure:" >&2
  cat "$work/out.txt" "$work/err.txt" >&2
  status=1
fi
echo "storm: $actions actions in ${SECONDS_TO_RUN}s, status $status"
exit $status
