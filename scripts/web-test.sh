#!/usr/bin/env bash
# Loads the web build in headless Chromium: the page must start without an
# error, show the logo and then the menu, and start its sound at a key. Each
# golden replay played in the page must trace byte for byte as the native
# game does, draw every frame as pinned, save a screenshot with the native
# one's pixels and leave the same score table, which a reload must find
# again; a save the browser refuses must show on the page. Saves what it
# shows as PNGs and prints the timings and the page's weight.
#
# Usage: scripts/web-test.sh [BUILD_DIR]   (default build-web)
#        NATIVE=DIR names the native build (default build)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$(cd "${1:-$ROOT/build-web}" && pwd)
NATIVE=$(cd "${NATIVE:-$ROOT/build}" && pwd)
PORT=${PORT:-8765}
for f in index.html index.js index.wasm index.data; do
  [ -f "$OUT/$f" ] || { echo "web-test: $OUT/$f is missing; run make web" >&2; exit 1; }
done
command -v chromium >/dev/null || { echo "web-test: no chromium; run scripts/install-deps.sh web" >&2; exit 1; }

# puppeteer-core drives Debian's Chromium; it is kept beside the build.
TOOLS=$OUT/check-tools
if [ ! -d "$TOOLS/node_modules/puppeteer-core" ]; then
  mkdir -p "$TOOLS"
  (cd "$TOOLS" && npm install --silent --no-audit --no-fund --no-save puppeteer-core@24 >/dev/null)
fi

python3 -m http.server --bind 127.0.0.1 "$PORT" --directory "$OUT" >"$OUT/check-http.log" 2>&1 &
SERVER=$!
trap 'kill $SERVER 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$PORT/index.html')" \
    2>/dev/null && break
  sleep 0.1
done

# The native game flies each golden replay first, headless, with a table of
# its own from the same factory scores a fresh browser profile starts with,
# and none of the user's settings; the page must then do as it did. The shot
# is a pass in mid-flight, where most of the drawing is on the screen.
[ -x "$NATIVE/kestrevan" ] || { echo "web-test: no $NATIVE/kestrevan; run make" >&2; exit 1; }
WORK=$OUT/test
rm -rf "$WORK" && mkdir -p "$WORK/native" "$WORK/input"
for pair in alone:400 landing:1200 win:1800; do
  name=${pair%%:*} shot=${pair#*:}
  ref=$WORK/native/$name
  mkdir -p "$ref/data" "$ref/config" "$ref/shots"
  cp "$ROOT/tests/golden/$name.txt" "$WORK/input/$name.txt"
  cp "$ROOT/tests/golden/$name.frames" "$ref/pinned.frames"
  echo "$shot" > "$ref/shot-pass"
  XDG_CONFIG_HOME="$ref/config" XDG_DATA_HOME="$ref/data" \
    "$NATIVE/kestrevan" --headless --input "$WORK/input/$name.txt" --trace "$ref/trace.csv" \
    --data-dir "$ref/data" --screenshot-at "$shot" --screenshot-dir "$ref/shots" >/dev/null
  mv "$ref/shots/frame_$(printf %06d "$shot").png" "$ref/shot.png"
done
# Run from beside its node_modules: module imports do not read NODE_PATH.
cp "$ROOT/scripts/web-test.mjs" "$TOOLS/"
ln -sfn "$WORK/input" "$OUT/input"
node "$TOOLS/web-test.mjs" "http://127.0.0.1:$PORT/index.html" "$WORK"

echo "web-test: page weight (bytes, raw / gzip -9):"
total=0
for f in index.html index.js index.wasm index.data; do
  raw=$(stat -c%s "$OUT/$f")
  gz=$(gzip -9c "$OUT/$f" | wc -c)
  total=$((total + gz))
  printf '  %-11s %9d / %9d\n' "$f" "$raw" "$gz"
done
printf '  %-11s %9s   %9d\n' total "" "$total"
