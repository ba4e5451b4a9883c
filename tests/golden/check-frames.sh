#!/usr/bin/env bash
# Replays one golden flight headless, exactly as scripts/pin-frames.sh pins
# it, and compares every frame's fingerprint with tests/golden/<name>.frames.
#
#   check-frames.sh NAME GAME
set -euo pipefail

NAME="$1"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
PINNED="$ROOT/tests/golden/$NAME.frames"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT

bash "$ROOT/scripts/pin-frames.sh" --binary "$2" --into "$SCRATCH" "$NAME" >/dev/null
if ! cmp -s "$PINNED" "$SCRATCH/$NAME.frames"; then
  # The first lines ("pass hash") drawn differently, or that only one side has.
  diff "$PINNED" "$SCRATCH/$NAME.frames" | head -6 || true
  echo "The $NAME replay no longer draws the pinned frames. A deliberate change to the"
  echo "drawing re-pins them with scripts/pin-frames.sh (and says why in the commit);"
  echo "anything else is a fault."
  exit 1
fi
echo "$NAME: all $(wc -l <"$PINNED") frames as pinned"
