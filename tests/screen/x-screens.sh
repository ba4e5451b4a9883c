# shellcheck shell=bash disable=SC2034
# Virtual X screens for the test that looks at what the game shows: servers
# of its own (no display needed), each one screen of 1920 x 1080 at 24
# bits. Sourced by that test.

# Sourcing makes the scratch folder WORK; on exit the servers stop and the
# folder goes, unless the test failed (status 1): then it stays for a look.
WORK="$(mktemp -d)"
finish_screens() {
  local status=$?
  stop_screens
  if [ "$status" -eq 1 ]; then echo "(kept for a look: $WORK)"; else rm -rf "$WORK"; fi
}
trap finish_screens EXIT

SCREEN_PIDS=()
X_DISPLAY=""

# Exits with 77 (ctest's "skipped") when a tool is missing: only
# scripts/install-deps.sh's full set can run this test.
need_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
      exit 77
    fi
  done
}

# start_screen: starts a server; leaves its name (":N") in X_DISPLAY.
start_screen() {
  local number="$WORK/screen.${#SCREEN_PIDS[@]}"
  # The server picks a free display itself and writes its number once it
  # accepts clients. Without -noreset it starts over whenever its last client
  # leaves, and a game connecting just then (while xdotool, say, has only
  # looked) is turned away.
  Xvfb -displayfd 3 -noreset -screen 0 1920x1080x24 -nolisten tcp 3>"$number" 2>>"$WORK/xvfb.log" &
  SCREEN_PIDS+=($!)
  local i
  for i in $(seq 200); do
    [ -s "$number" ] && break
    sleep 0.05
  done
  if [ ! -s "$number" ]; then
    cat "$WORK/xvfb.log"
    echo "FAIL: Xvfb did not start"
    exit 1
  fi
  X_DISPLAY=":$(head -n 1 "$number")"
  # Only a client that got in proves the server takes clients.
  for i in $(seq 200); do
    [ "$(DISPLAY="$X_DISPLAY" xdotool getdisplaygeometry 2>/dev/null)" = "1920 1080" ] && break
    sleep 0.05
  done
  if [ "$(DISPLAY="$X_DISPLAY" xdotool getdisplaygeometry 2>&1)" != "1920 1080" ]; then
    cat "$WORK/xvfb.log"
    echo "FAIL: the X server on $X_DISPLAY takes no clients or is not 1920 x 1080"
    exit 1
  fi
}

stop_screens() {
  local pid
  for pid in "${SCREEN_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SCREEN_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# launch_game LOG [VAR=VALUE...] GAME OPTIONS...: starts the game in the
# background as a player would on X_DISPLAY, but with scratch folders for its
# scores and settings and no sound; its process id (the game's own, for
# xdotool and signals) is left in GAME_PID.
#
# In a sanitized build, leaks are not looked for here: the libraries behind a
# window (D-Bus, Mesa's compiler) keep memory until exit, and the game's own
# leaks are the headless tests' to find.
launch_game() {
  local log="$1"
  shift
  (exec env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY="$X_DISPLAY" SDL_AUDIODRIVER=dummy \
     XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" \
     ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$@" >"$log" 2>&1) &
  GAME_PID=$!
}

# wait_window PID WxH: waits until the game's window is shown at that size
# (full screen arrives a moment after the window) and leaves its inside's place in WINDOW_X, WINDOW_Y.
wait_window() {
  local pid="$1" size="$2" id="" geometry="" shown="none" i
  for i in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || { echo "FAIL: the game ended before its window showed"; return 1; }
    id="$(DISPLAY="$X_DISPLAY" xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)" || true
    if [ -n "$id" ]; then
      geometry="$(DISPLAY="$X_DISPLAY" xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || true
      shown="$(sed -n 's/^WIDTH=//p' <<<"$geometry")x$(sed -n 's/^HEIGHT=//p' <<<"$geometry")"
      if [ "$shown" = "$size" ]; then
        WINDOW_X="$(sed -n 's/^X=//p' <<<"$geometry")"
        WINDOW_Y="$(sed -n 's/^Y=//p' <<<"$geometry")"
        return 0
      fi
    fi
    sleep 0.1
  done
  echo "FAIL: the game's window never showed at $size (last seen: $shown)"
  return 1
}
