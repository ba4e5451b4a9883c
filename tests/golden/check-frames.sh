#!/usr/bin/env bash
# Replays one golden flight headless, exactly as scripts/pin-frames.sh pins
# it, and compares every frame's fingerprint with tests/golden/<name>.frames.
#
#   check-frames.sh NAME GAME
set -euo pipefail

NAME="$1"
GAME="$2"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
PINNED="$ROOT/tests/golden/$NAME.frames"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT

bash "$ROOT/scripts/pin-frames.sh" --binary "$GAME" --into "$SCRATCH" "$NAME" >/dev/null
# The first line that differs, or the first one only one of the files has.
awk -v name="$NAME" '
  NR == FNR { pinned[FNR] = $0; count = FNR; next }
  {
    seen = FNR
    if (FNR > count) { print "pass " $1 ": drawn now, but the pinned frames end at line " count; bad = 1; exit }
    if ($0 != pinned[FNR]) {
      split(pinned[FNR], want, " ")
      print "first frame that differs: pass " want[1] " (pinned " want[2] ", drawn now " $2 ")"
      bad = 1; exit
    }
  }
  END {
    if (!bad && seen < count) { split(pinned[seen + 1], want, " "); print "pass " want[1] ": pinned, but the replay ended before it"; bad = 1 }
    if (bad) {
      print "The " name " replay no longer draws the pinned frames. A deliberate change to the"
      print "drawing re-pins them with scripts/pin-frames.sh (and says why in the commit);"
      print "anything else is a fault."
      exit 1
    }
  }' "$PINNED" "$SCRATCH/$NAME.frames"
echo "$NAME: all $(wc -l <"$PINNED") frames as pinned"
