#!/usr/bin/env bash
# Builds the game twice from one commit, from two source folders into two
# build folders at different paths, with one SOURCE_DATE_EPOCH, and checks
# that the game, every generated file under files/ and hs.pak come out byte
# for byte the same. Only the game's own targets are built: the tests never
# ship.
#
#   scripts/repro-check.sh [--keep] [--jobs N]
set -euo pipefail
cd "$(dirname "$0")/.."
SOURCE="$(pwd)"

KEEP=0
JOBS=2
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) KEEP=1; shift ;;
    --jobs) JOBS="$2"; shift 2 ;;
    *) echo "usage: $0 [--keep] [--jobs N]" >&2; exit 2 ;;
  esac
done

# A packager's builds share the release's date, whatever the clock says.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$SOURCE" log -1 --format=%ct 2>/dev/null || echo 0)"
fi
export SOURCE_DATE_EPOCH

WORK="$(mktemp -d "${TMPDIR:-/tmp}/kestrevan-repro.XXXXXX")"
if [ "$KEEP" -eq 1 ]; then echo "repro-check: both builds kept in $WORK"; else
  trap 'rm -rf "$WORK"' EXIT
fi

# The second build's sources sit elsewhere too, under a longer path, so a
# path that leaks in changes the length of what it leaks into as well.
mkdir -p "$WORK/second/source/tree"
if git -C "$SOURCE" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$SOURCE" ls-files -z --cached --others --exclude-standard |
    (cd "$SOURCE" && xargs -0 tar -cf - --) | tar -xf - -C "$WORK/second/source/tree"
else
  tar -C "$SOURCE" --exclude=./build --exclude=./build-asan --exclude=./build-fuzz -cf - . |
    tar -xf - -C "$WORK/second/source/tree"
fi

build_game() {
  local source="$1" build="$2"
  mkdir -p "$(dirname "$build")"
  # The same configuration as `make build` (the default preset), without the
  # tests: nothing they bring in reaches the game.
  (cd "$source" && cmake --preset default -B "$build" -DKESTREVAN_TESTS=OFF >"$build.configure.log" 2>&1) ||
    { cat "$build.configure.log"; return 1; }
  cmake --build "$build" -j "$JOBS" --target kestrevan assets score_package >"$build.build.log" 2>&1 ||
    { tail -n 50 "$build.build.log"; return 1; }
}

echo "repro-check: SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"
start=$(date +%s)
build_game "$SOURCE" "$WORK/first/build"
middle=$(date +%s)
build_game "$WORK/second/source/tree" "$WORK/second/build/elsewhere"
end=$(date +%s)
echo "repro-check: first build $((middle - start)) s, second build $((end - middle)) s (-j $JOBS)"

A="$WORK/first/build"
B="$WORK/second/build/elsewhere"
differ=0
compare() {
  if cmp -s "$A/$1" "$B/$1"; then return 0; fi
  echo "repro-check: DIFFERS: $1 ($(cmp "$A/$1" "$B/$1" 2>&1 | head -n 1 | sed "s/.*differ: //"))"
  differ=1
}

compare kestrevan
compare hs.pak
# Each side's list of files must match too: a file only one build made is a
# difference of its own. The stamp that tells the build the art is made
# carries no content.
(cd "$A" && find files -type f ! -name .generated | LC_ALL=C sort) >"$WORK/files.first"
(cd "$B" && find files -type f ! -name .generated | LC_ALL=C sort) >"$WORK/files.second"
if ! diff "$WORK/files.first" "$WORK/files.second" >/dev/null; then
  echo "repro-check: DIFFERS: the lists of files under files/"
  diff "$WORK/files.first" "$WORK/files.second" | sed 's/^/  /' || true
  differ=1
fi
count=0
while IFS= read -r f; do
  count=$((count + 1))
  [ -f "$B/$f" ] && compare "$f"
done <"$WORK/files.first"

if [ "$count" -eq 0 ]; then
  echo "repro-check: no generated files under files/" >&2
  exit 1
fi
if [ "$differ" -ne 0 ]; then
  echo "repro-check: the two builds differ (rerun with --keep to look at them)"
  exit 1
fi
echo "repro-check: kestrevan, hs.pak and $count files under files/ are byte-identical"
