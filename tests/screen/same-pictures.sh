#!/usr/bin/env bash
# The winning golden flight played headless, in a 640 x 480 and a
# 1280 x 960 window, and full screen at 1920 x 1080 through our own scaling
# and through OpenGL, without a window manager and under openbox. However it
# is shown, the frame is the same: every screenshot must be the headless
# one, pixel for pixel, and so must the fingerprint of every frame.
#
#   same-pictures.sh GAME SCREEN_COMPARE
set -euo pipefail

GAME="$1"
COMPARE="$2"
HERE="$(cd "$(dirname "$0")" && pwd)"
SCRIPT="$HERE/../golden/win.txt"
# The hints over space, the heat trail, the canopy open, dust on the first
# pad. Later passes show nothing these do not, and would double the time.
PASSES=(120 300 600 900)
. "$HERE/x-screens.sh"
need_tools Xvfb openbox xdotool
mkdir -p "$WORK/config"

# run NAME [VAR=VALUE...] -- GAME OPTIONS: plays the first passes of the
# flight as fast as the machine goes; every frame is still shown.
run() {
  local name="$1"
  shift
  local vars=()
  while [ "$1" != -- ]; do vars+=("$1"); shift; done
  shift
  launch_game "$WORK/$name.log" "${vars[@]}" "$GAME" "$@" --mute --fps 0 --input "$SCRIPT" \
    --frames "${PASSES[-1]}" --data-dir "$WORK/$name/data" --screenshot-at "$(IFS=,; echo "${PASSES[*]}")" \
    --screenshot-dir "$WORK/$name" --frame-hashes "$WORK/$name.hashes"
  PIDS+=("$GAME_PID")
  NAMES+=("$name")
  # The window must really be of the size this run claims to test.
  if [ -n "${SIZE:-}" ] && ! wait_window "$GAME_PID" "$SIZE"; then
    echo "  ($name)"
    failures=$((failures + 1))
  fi
}

PIDS=() NAMES=() failures=0
SIZE="" run headless -- --headless
# Each full screen has a server of its own: no full-screen window covers
# another or takes the focus from it.
start_screen
SIZE=640x480 run window-640 -- --windowed
SIZE=1280x960 run window-1280 -- --windowed --window-size 1280x960
start_screen
SIZE=1920x1080 run full-ours SDL_RENDER_DRIVER=software -- --fullscreen
start_screen
SIZE=1920x1080 run full-opengl SDL_RENDER_DRIVER=opengl -- --fullscreen
start_screen openbox
SIZE=1920x1080 run managed-full-ours SDL_RENDER_DRIVER=software -- --fullscreen
start_screen openbox
SIZE=1920x1080 run managed-full-opengl SDL_RENDER_DRIVER=opengl -- --fullscreen

for i in "${!PIDS[@]}"; do
  name="${NAMES[i]}"
  if ! wait "${PIDS[i]}"; then
    cat "$WORK/$name.log"
    echo "FAIL: $name: the game failed"
    failures=$((failures + 1))
    continue
  fi
  [ "$name" = headless ] && continue
  for pass in "${PASSES[@]}"; do
    shot="$(printf 'frame_%06d.png' "$pass")"
    if "$COMPARE" same "$WORK/headless/$shot" "$WORK/$name/$shot"; then
      echo "ok: $name: pass $pass as headless"
    else
      echo "FAIL: $name: pass $pass is not the headless picture"
      failures=$((failures + 1))
    fi
  done
  if ! cmp -s "$WORK/headless.hashes" "$WORK/$name.hashes"; then
    # The first fingerprint ("pass hash") that differs, as each run wrote it.
    paste -d '|' "$WORK/headless.hashes" "$WORK/$name.hashes" | awk -F '|' -v name="$name" \
      '$1 != $2 { print "FAIL: " name ": frames differ from headless, first: \"" $1 "\" headless, \"" $2 "\" here"; exit }'
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
