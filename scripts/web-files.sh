#!/usr/bin/env bash
# The files the page packs: the native build's generated files/, with each
# JPEG replaced by the native game's own decoding of it, stored losslessly
# as PNG under the same name (the game's loader goes by what a file holds,
# not by its name). The browser build's image decoder rounds a JPEG's
# colours a little differently from the desktop's, by one or two levels;
# this way the page draws the very pixels the desktop draws.
#
# Usage: scripts/web-files.sh NATIVE_BUILD OUT_DIR
set -euo pipefail
NATIVE=$1
OUT=$2
rm -rf "$OUT.new"
cp -r "$NATIVE/files" "$OUT.new"
rm -f "$OUT.new/.generated"
for picture in "$OUT.new"/*.jpg; do
  [ -e "$picture" ] || continue
  "$NATIVE/kestrevan" --decode-image "$picture" "$picture.png" >/dev/null
  mv "$picture.png" "$picture"
done
rm -rf "$OUT"
mv "$OUT.new" "$OUT"
