#!/usr/bin/env bash
# What a player sees of the winning golden flight while the canopy is open,
# in a 1280 x 960 window and full screen at 1920 x 1080 (through our own
# scaling and through OpenGL): the game is frozen there, the X screen is
# dumped, and the frame is read back where the letterbox puts it and
# matched with the headless frames of those passes.
#
# Sharp scaling (Smooth=False) keeps every frame pixel whole on the screen,
# so the frame can be read back exactly.
#
#   on-screen.sh GAME SCREEN_COMPARE
set -euo pipefail

GAME="$1"
COMPARE="$2"
HERE="$(cd "$(dirname "$0")" && pwd)"
SCRIPT="$HERE/../golden/win.txt"
# The canopy opens at pass 561 and is cut loose at 729; the sparks and the
# heat trail fly all the while.
STOP_AT=600
FIRST=$((STOP_AT - 5))
LAST=728
. "$HERE/x-screens.sh"
need_tools Xvfb xdotool xwd
mkdir -p "$WORK/config/kestrevan"
printf '[main]\nSmooth=False\n' >"$WORK/config/kestrevan/setup.ini"

launch_game "$WORK/headless.log" "$GAME" --headless --input "$SCRIPT" --frames "$LAST" \
  --data-dir "$WORK/headless/data" --screenshot-at "$(seq -s, "$FIRST" "$LAST")" \
  --screenshot-dir "$WORK/headless"
HEADLESS_PID="$GAME_PID"

# show NAME SIZE [VAR=VALUE...] -- GAME OPTIONS: plays the flight on a screen
# of its own and stops the game once it has drawn pass STOP_AT.
NAMES=() PIDS=() SCREENS=() PLACES=() failures=0
show() {
  local name="$1" size="$2"
  shift 2
  local vars=()
  while [ "$1" != -- ]; do vars+=("$1"); shift; done
  shift
  start_screen
  launch_game "$WORK/$name.log" "${vars[@]}" "$GAME" "$@" --mute --fps 60 --input "$SCRIPT" \
    --data-dir "$WORK/$name/data" --screenshot-at "$STOP_AT" --screenshot-dir "$WORK/$name"
  NAMES+=("$name")
  PIDS+=("$GAME_PID")
  SCREENS+=("$X_DISPLAY")
  if wait_window "$GAME_PID" "$size"; then
    PLACES+=("$WINDOW_X $WINDOW_Y ${size%x*} ${size#*x}")
  else
    PLACES+=("")
    failures=$((failures + 1))
  fi
}
show window-1280 1280x960 -- --windowed --window-size 1280x960
show full-ours 1920x1080 SDL_RENDER_DRIVER=software -- --fullscreen
show full-opengl 1920x1080 SDL_RENDER_DRIVER=opengl -- --fullscreen

# A pass's screenshot is saved just before its frame goes up, so the stopped
# game shows that frame, one a little later, or, caught in between, the one
# before.
mark="$(printf 'frame_%06d.png' "$STOP_AT")"
pending=("${!PIDS[@]}")
deadline=$((SECONDS + 240))
while [ "$SECONDS" -lt "$deadline" ]; do
  left=()
  for i in "${pending[@]}"; do
    if [ -e "$WORK/${NAMES[i]}/$mark" ]; then
      kill -STOP "${PIDS[i]}"
    elif kill -0 "${PIDS[i]}" 2>/dev/null; then
      left+=("$i")
    fi
  done
  pending=("${left[@]}")
  [ ${#pending[@]} -eq 0 ] && break
  sleep 0.02
done

if ! wait "$HEADLESS_PID"; then
  cat "$WORK/headless.log"
  echo "FAIL: the headless run failed"
  exit 1
fi

for i in "${!PIDS[@]}"; do
  name="${NAMES[i]}"
  echo "== $name"
  if [ ! -e "$WORK/$name/$mark" ]; then
    cat "$WORK/$name.log"
    echo "FAIL: $name: the game never reached pass $STOP_AT"
    failures=$((failures + 1))
  elif [ -n "${PLACES[i]}" ]; then
    # The stopped game's last frame stays on the screen; give the server a
    # moment to finish drawing what it was sent.
    sleep 0.2
    if ! DISPLAY="${SCREENS[i]}" xwd -root -silent >"$WORK/$name.xwd"; then
      echo "FAIL: $name: cannot dump the screen"
      failures=$((failures + 1))
    elif read -r x y width height <<<"${PLACES[i]}" &&
      ! "$COMPARE" "$WORK/$name.xwd" "$x" "$y" "$width" "$height" "$WORK/headless" "$FIRST" "$LAST"; then
      echo "FAIL: $name: the screen does not show the frame"
      failures=$((failures + 1))
    fi
  fi
  kill -CONT "${PIDS[i]}" 2>/dev/null || true
  kill "${PIDS[i]}" 2>/dev/null || true
  wait "${PIDS[i]}" 2>/dev/null || true
done
[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
