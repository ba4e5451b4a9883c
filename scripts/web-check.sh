#!/usr/bin/env bash
# Loads the web build in headless Chromium: the page must start without an
# error, show the logo and then the menu; the winning golden replay played in
# the page must trace byte for byte as the native game does and leave the
# same score table, which a reload must find again; a save the browser
# refuses must show on the page. Saves what it shows as PNGs and prints the
# timings and the page's weight.
#
# Usage: scripts/web-check.sh [BUILD_DIR]   (default build-web)
#        NATIVE=DIR names the native build (default build)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$(cd "${1:-$ROOT/build-web}" && pwd)
NATIVE=$(cd "${NATIVE:-$ROOT/build}" && pwd)
PORT=${PORT:-8765}
for f in index.html index.js index.wasm index.data; do
  [ -f "$OUT/$f" ] || { echo "web-check: $OUT/$f is missing; run make web" >&2; exit 1; }
done
command -v chromium >/dev/null || { echo "web-check: no chromium; run scripts/install-deps.sh web" >&2; exit 1; }

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

SHOTS=$OUT/check-shots
mkdir -p "$SHOTS"
# The native game flies the script first, with a table of its own, from the
# same factory scores a fresh browser profile starts with.
[ -x "$NATIVE/kestrevan" ] || { echo "web-check: no $NATIVE/kestrevan; run make" >&2; exit 1; }
REF=$OUT/check-native
rm -rf "$REF" && mkdir -p "$REF/data" "$OUT/check-input"
cp "$ROOT/tests/golden/win.txt" "$OUT/check-input/win.txt"
"$NATIVE/kestrevan" --headless --input "$ROOT/tests/golden/win.txt" --trace "$REF/win.csv" \
  --data-dir "$REF/data" >/dev/null
# Run from beside its node_modules: module imports do not read NODE_PATH.
cp "$ROOT/scripts/web-check.mjs" "$TOOLS/"
node "$TOOLS/web-check.mjs" "http://127.0.0.1:$PORT/index.html" "$SHOTS" \
  "check-input/win.txt" "$REF/win.csv" "$REF/data/hs.ini"

echo "web-check: page weight (bytes, raw / gzip -9):"
total=0
for f in index.html index.js index.wasm index.data; do
  raw=$(stat -c%s "$OUT/$f")
  gz=$(gzip -9c "$OUT/$f" | wc -c)
  total=$((total + gz))
  printf '  %-11s %9d / %9d\n' "$f" "$raw" "$gz"
done
printf '  %-11s %9s   %9d\n' total "" "$total"
