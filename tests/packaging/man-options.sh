#!/usr/bin/env bash
# The manual page offers exactly the options --help does: an option added
# without a word in the page, or one the page still offers after the game
# dropped it, fails here. --help and --version answer on stdout alone, with
# status 0, and the page's footer names the version --version prints.
#
#   man-options.sh GAME PAGE
set -uo pipefail

GAME="$1"
PAGE="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail=0

for flag in --help --version; do
  "$GAME" "$flag" >"$WORK/out$flag" 2>"$WORK/err"
  status=$?
  if [ "$status" -ne 0 ] || [ -s "$WORK/err" ] || [ ! -s "$WORK/out$flag" ]; then
    echo "$flag: status $status, $(wc -c <"$WORK/out$flag") bytes on stdout, stderr: $(head -n 1 "$WORK/err")"
    fail=1
  fi
done

version="$(head -n 1 "$WORK/out--version")"
if ! grep -q "^\.TH .*\"$version\"" "$PAGE"; then
  echo "the page's .TH line does not name \"$version\""
  fail=1
fi

long_options() { grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
# The page's source spells a minus \- and marks a no-break point \%.
page_text() { sed -e 's/\\-/-/g' -e 's/\\%//g' "$PAGE"; }

long_options <"$WORK/out--help" >"$WORK/help"
page_text | sed -n '/^\.SH OPTIONS/,/^\.SH /p' | long_options >"$WORK/listed"
page_text | long_options >"$WORK/mentioned"

undocumented="$(comm -23 "$WORK/help" "$WORK/listed")"
stale="$(comm -13 "$WORK/help" "$WORK/mentioned")"
if [ -n "$undocumented" ]; then
  echo "in --help but not under OPTIONS in $PAGE:" $undocumented
  fail=1
fi
if [ -n "$stale" ]; then
  echo "in $PAGE but not in --help:" $stale
  fail=1
fi
exit "$fail"
