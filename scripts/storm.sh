#!/usr/bin/env bash
# Input storm: the real program under Xvfb, driven by xdotool with seeded
# random keys (every listed key and others, pause, single step and speed
# among them), key-ups without key-downs, mouse motion with and without space
# held, clicks of every button, drags with a button held to places inside
# and far outside the window, fast and slow, grabs of the ball, and window
# resizes down to 1x1 and to height 0. It must never crash, hang or print a
# failure, and Esc must then end it with status 0 (a second Esc when a
# text field of the study panel took the first).
#
# The program records its input (--record); the recording is then replayed
# headless, and every value it prints must be finite. The first third of the
# storm leaves the camera and the ball alone and clicks where the ball lies,
# so that grabs really happen: the replay must differ from one whose left presses are
# turned into middle ones, which grab nothing.
#   scripts/storm.sh [SECONDS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
RANDOM=${2:-1}
BUILD=${ORVANE_BUILD_DIR:-build}
[ -x "$BUILD/orvane" ] && [ -x "$BUILD/orvane-sim" ] || bash scripts/build.sh all

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The screen is much larger than the window, so that drags can end far
# outside it.
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 1 -screen 0 1600x1200x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "storm: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
fi
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}

recording="$work/session.txt"
(cd "$BUILD" && exec ./orvane --record "$recording") >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
window=$(timeout 20 xdotool search --sync --name "project orvane" | head -n1) || {
  echo "storm: the window did not appear" >&2; cat "$work/out.txt" "$work/err.txt" >&2; exit 1; }

# Keys go through the XTEST extension to the focused window, as a user's would.
xdotool windowfocus "$window"

keys=(Up Down Left Right w s a d r f t g l 0 1 2 3 8 9 space p o bracketleft bracketright h
      x W T G q Tab Return BackSpace F1 F5 Home Page_Up Insert KP_5 shift 7 4 5 6)
# While the ball is being grabbed it must stay where the clicks go: no
# flying (w s a d r f) or panning (space), which would move the camera, no
# tilting, lifting or rebuilding over the middle, which would move the ball,
# no pause, which would stop the pull, and no study panel (Tab), which
# would cover the ball and take the clicks.
calm_keys=(g l 1 2 3 8 9 o bracketleft bracketright h F1 x)
# Modifiers are only tapped, never held: X turns Ctrl+3 (and Ctrl+[) into the
# Esc character, which would end the program as a real Esc press does.
modifiers=(ctrl alt super)
# Mostly the three buttons; now and then the wheel, which the program ignores.
buttons=(1 1 1 2 3 3 4 5)
pick() { local -n list=$1; echo "${list[RANDOM % ${#list[@]}]}"; }

alive() { kill -0 "$app_pid" 2>/dev/null; }

width=640
height=480
learn_window_size() {
  # shellcheck disable=SC2034 # eval sets them all; only the size is wanted
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"
  width=$WIDTH
  height=$HEIGHT
}

non_negative() { echo $(($1 < 0 ? 0 : $1)); }

# Moves the pointer anywhere on the screen: into the window or far outside it.
move_anywhere() { xdotool mousemove $((RANDOM % 1600)) $((RANDOM % 1200)); }

# Moves with the button held, quickly (no pauses) or slowly.
drag_to_places() {
  local count=$1 slow=$((RANDOM % 2))
  for _ in $(seq "$count"); do
    if [ $((RANDOM % 2)) -eq 0 ]; then
      move_anywhere
    else
      xdotool mousemove --window "$window" $((RANDOM % (width + 1))) $((RANDOM % (height + 1)))
    fi
    [ "$slow" -eq 1 ] && sleep 0.0$((RANDOM % 8 + 2))
  done
}

# Where the ball lies on the platform while the camera has not moved since
# start-up: in the middle, 84 % down. The way there is made with the middle
# button held, so that the camera does not turn; then the left button grabs,
# and the pull goes near the ball or anywhere on the screen.
grab_the_ball() {
  local x y
  x=$(non_negative $((width / 2 + RANDOM % 31 - 15)))
  y=$((height * (80 + RANDOM % 9) / 100))
  xdotool mousedown 2 mousemove --window "$window" "$x" "$y" mouseup 2 mousedown 1
  sleep 0.05
  if [ $((RANDOM % 2)) -eq 0 ]; then
    for _ in $(seq $((RANDOM % 6 + 2))); do
      # xdotool would read a negative number as an option.
      xdotool mousemove --window "$window" "$(non_negative $((x + RANDOM % 121 - 60)))" \
        "$(non_negative $((y + RANDOM % 121 - 90)))"
      sleep 0.05
    done
  else
    drag_to_places $((RANDOM % 4 + 1))
  fi
  sleep 0.0$((RANDOM % 10))
  xdotool mouseup 1
}

resize_window() {
  case $((RANDOM % 4)) in
    0) xdotool windowsize "$window" 1 1 ;;
    1) xdotool windowsize "$window" $((RANDOM % 800)) 0 ;;
    2) xdotool windowsize "$window" $((RANDOM % 800 + 1)) $((RANDOM % 600 + 1)) ;;
    3) xdotool windowsize "$window" 640 480 ;;
  esac
  xdotool windowfocus "$window"
  learn_window_size
}

calm_grabs=0
calm_action() {
  case $((RANDOM % 8)) in
    0|1|2) grab_the_ball
           calm_grabs=$((calm_grabs + 1)) ;;
    3)     xdotool keydown "$(pick calm_keys)" ;;
    4)     xdotool keyup "$(pick calm_keys)" ;;
    5|6)   xdotool key "$(pick calm_keys)" ;;
    7)     sleep 0.05 ;;
  esac
}

wild_action() {
  case $((RANDOM % 14)) in
    0|1|2) xdotool keydown "$(pick keys)" ;;
    3|4)   xdotool keyup "$(pick keys)" ;;
    5)     xdotool key "$(pick keys)" "$(pick modifiers)" ;;
    6)     xdotool mousemove $((RANDOM % 700)) $((RANDOM % 500)) ;;
    7)     xdotool keydown space mousemove $((RANDOM % 700)) $((RANDOM % 500)) keyup space ;;
    8)     resize_window ;;
    9)     sleep 0.02 ;;
    10)    move_anywhere
           xdotool click "$(pick buttons)" ;;
    11)    local button
           button=$(pick buttons)
           xdotool mousedown "$button"
           drag_to_places $((RANDOM % 6 + 1))
           xdotool mouseup "$button" ;;
    12)    grab_the_ball ;;
    13)    xdotool mousemove --window "$window" $((RANDOM % (width + 1))) $((RANDOM % (height + 1))) ;;
  esac
}

# The idle call the program has reached, as its recording (written line by
# line) tells: x is a key without a use, recorded all the same.
idle_calls_so_far() {
  xdotool key x
  sleep 0.2
  awk '!/^#/ { step = $1 } END { print step + 0 }' "$recording"
}

# The ball falls onto the platform first, at x8: it lies still there after
# some 100 idle calls, however long a busy machine takes for them.
xdotool key bracketright bracketright bracketright
landing_started=$SECONDS
while [ "$(idle_calls_so_far)" -lt 120 ]; do
  alive && [ $((SECONDS - landing_started)) -lt 60 ] || {
    echo "storm: the program did not get through 120 idle calls in a minute" >&2; exit 1; }
done
xdotool key bracketleft bracketleft bracketleft
actions=1
start=$SECONDS
calm_until=$((start + SECONDS_TO_RUN / 3))
end=$((start + SECONDS_TO_RUN))
# The calm part lasts a third of the time, and on a machine too busy for
# many actions in it, until three grabs have been tried.
calm_grabs_wanted=$((SECONDS_TO_RUN >= 6 ? 3 : 0))
calm() { [ $SECONDS -lt $calm_until ] || [ $calm_grabs -lt $calm_grabs_wanted ]; }
while [ $SECONDS -lt $end ] || calm; do
  alive || { echo "storm: the program died after $actions actions" >&2; break; }
  if calm; then calm_action; else wild_action; fi >>"$work/xdotool.log" 2>&1 || true
  actions=$((actions + 1))
done

status=0
if alive; then
  for k in "${keys[@]}"; do xdotool keyup "$k" 2>/dev/null || true; done
  for b in 1 2 3; do xdotool mouseup "$b" 2>/dev/null || true; done
  xdotool windowfocus "$window" key Escape
  for _ in $(seq 100); do alive || break; sleep 0.1; done
  # A Tab while a slider of the study panel is held opens that slider's
  # text field, as in any Dear ImGui panel; such a field takes the first Esc
  # to close itself, and a person presses Esc again. A hung program ends on
  # neither.
  if alive; then
    xdotool windowfocus "$window" key Escape
    for _ in $(seq 100); do alive || break; sleep 0.1; done
    alive || echo "storm: a text field of the panel took the first Esc; the second ended the program" >&2
  fi
  if alive; then
    echo "storm: the program did not end on Esc, nor on a second one (hung?)" >&2
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

# The replay of the recording runs to its Esc; every value must be finite.
events=$(grep -vc '^#' "$recording" || true)
last_step=$(awk '!/^#/ { step = $1 } END { print step + 0 }' "$recording")
replay_steps=$((last_step + 100))
replay() {
  "$BUILD/orvane-sim" --steps "$replay_steps" --every 100 --input "$1" >"$2" 2>"$work/sim-err.txt" || {
    echo "storm: the replay of the recording failed:" >&2
    cat "$work/sim-err.txt" >&2
    return 1
  }
}
if replay "$recording" "$work/replay.jsonl"; then
  lines=$(wc -l <"$work/replay.jsonl")
  nulls=$(grep -c null "$work/replay.jsonl" || true)
  grabs=$(grep -c ' button-down left ' "$recording" || true)
  echo "storm: recording of $events events over $((last_step + 1)) idle calls, $grabs left presses;" \
       "replay: $lines lines, $nulls with non-finite values"
  [ "$nulls" -eq 0 ] || { echo "storm: a value stopped being finite" >&2; status=1; }
  # A storm of a few seconds has hardly any calm part to grab in.
  sed 's/ button-down left / button-down middle /' "$recording" >"$work/no-grabs.txt"
  if ! replay "$work/no-grabs.txt" "$work/no-grabs.jsonl"; then
    status=1
  elif [ "$SECONDS_TO_RUN" -ge 6 ] && cmp -s "$work/replay.jsonl" "$work/no-grabs.jsonl"; then
    echo "storm: no grab changed the ball" >&2
    status=1
  fi
else
  status=1
fi

echo "storm: $actions actions in ${SECONDS_TO_RUN}s, status $status"
exit $status
