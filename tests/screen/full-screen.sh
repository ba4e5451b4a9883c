#!/usr/bin/env bash
# Full screen on a real X server with no window manager, where the game must
# cover the screen by hand, through OpenGL and through our own scaling. What
# the window shows is the window tests' to check (on SDL's dummy driver);
# here it is that the game runs on X and its window covers the whole screen.
#
#   full-screen.sh GAME
set -euo pipefail

GAME="$1"
SCRIPT="$(cd "$(dirname "$0")" && pwd)/../golden/win.txt"
for tool in Xvfb xdotool; do
  # 77 is ctest's "skipped": only scripts/install-deps.sh's full set runs this.
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
WORK="$(mktemp -d)"
PIDS=()
finish() {
  local status=$? pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "$status" -eq 0 ]; then rm -rf "$WORK"; else echo "(kept for a look: $WORK)"; fi
}
trap finish EXIT
# The server picks a free display and writes its number; without -noreset
# it starts over whenever its last client leaves and turns the game away.
Xvfb -displayfd 3 -noreset -screen 0 1920x1080x24 -nolisten tcp 3>"$WORK/display" \
  2>"$WORK/xvfb.log" &
PIDS+=($!)
for i in $(seq 200); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n 1 "$WORK/display")"
for i in $(seq 200); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.05; done
# Scratch scores and settings, no sound. In a sanitized build leaks are not
# looked for: the libraries behind a window keep memory until exit.
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" SDL_AUDIODRIVER=dummy \
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY

failures=0
for renderer in opengl software; do
  SDL_RENDER_DRIVER="$renderer" "$GAME" --fullscreen --mute --input "$SCRIPT" \
    --data-dir "$WORK/$renderer" >"$WORK/$renderer.log" 2>&1 &
  game=$!
  PIDS+=("$game")
  # Full screen arrives a moment after the window.
  shown=none
  for i in $(seq 300); do
    kill -0 "$game" 2>/dev/null || break
    id="$(xdotool search --onlyvisible --pid "$game" 2>/dev/null | head -n 1)" || true
    shown="$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | tr '\n' ' ')" || true
    [[ "$shown" == *"X=0 Y=0 WIDTH=1920 HEIGHT=1080 "* ]] && break
    sleep 0.1
  done
  if [[ "$shown" != *"X=0 Y=0 WIDTH=1920 HEIGHT=1080 "* ]]; then
    cat "$WORK/$renderer.log"
    echo "FAIL: $renderer: the window never covered the 1920 x 1080 screen (last seen: $shown)"
    failures=$((failures + 1))
  fi
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
done
[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
