#!/usr/bin/env bash
# Pins the pictures of the golden replays: runs each of tests/golden/*.txt
# headless and writes the fingerprint of every frame it draws to
# tests/golden/<name>.frames ("pass hash", one a line). The test
# Frames.<name> replays them and names the first pass that no longer
# matches.
#
# Re-pinning is a deliberate act: do it only after a change meant to alter
# what is drawn, look at the frames that changed, and say in the commit what
# changed on the screen and why.
#
#   scripts/pin-frames.sh                      all three, from build/kestrevan
#   scripts/pin-frames.sh --build build-rel win
#   scripts/pin-frames.sh --binary PATH --into DIR alone    (what the test runs)
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build"
BINARY=""
INTO="$ROOT/tests/golden"
NAMES=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD="$2"; shift 2 ;;
    --binary) BINARY="$2"; shift 2 ;;
    --into) INTO="$2"; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    -*) echo "pin-frames: unknown option $1" >&2; exit 2 ;;
    *) NAMES+=("$1"); shift ;;
  esac
done
[ -n "$BINARY" ] || BINARY="$BUILD/kestrevan"
[ ${#NAMES[@]} -gt 0 ] || NAMES=(alone landing win)
if [ ! -x "$BINARY" ]; then
  echo "pin-frames: no game at $BINARY (build it first)" >&2
  exit 2
fi

SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$INTO"
for name in "${NAMES[@]}"; do
  script="$ROOT/tests/golden/$name.txt"
  [ -f "$script" ] || { echo "pin-frames: no replay $script" >&2; exit 2; }
  # A fresh score table and no settings of the user's: the factory table is
  # on the screen at the end of a replay, and nothing else may vary.
  rm -rf "$SCRATCH/data" "$SCRATCH/config"
  mkdir -p "$SCRATCH/config"
  XDG_CONFIG_HOME="$SCRATCH/config" XDG_DATA_HOME="$SCRATCH/data" \
    "$BINARY" --headless --input "$script" --data-dir "$SCRATCH/data" \
    --frame-hashes "$SCRATCH/$name.frames" >"$SCRATCH/$name.log" 2>&1 || {
    cat "$SCRATCH/$name.log" >&2
    echo "pin-frames: the $name replay failed" >&2
    exit 1
  }
  mv "$SCRATCH/$name.frames" "$INTO/$name.frames"
  echo "pin-frames: $INTO/$name.frames ($(wc -l <"$INTO/$name.frames") frames)"
done
