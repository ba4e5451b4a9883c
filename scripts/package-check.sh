#!/usr/bin/env bash
# A packager's first checks, run on what `cmake --install` puts down rather
# than on the source tree: the desktop entry, the AppStream metadata, the
# manual page as lintian reads it, and the installed game's --help and
# --version. Needs desktop-file-utils, appstream, man-db and groff-base
# (scripts/install-deps.sh).
#
#   scripts/package-check.sh [--build DIR] [--keep]
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD=build
KEEP=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD="$2"; shift 2 ;;
    --keep) KEEP=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--keep]" >&2; exit 2 ;;
  esac
done

WORK="$(mktemp -d "${TMPDIR:-/tmp}/kestrevan-package.XXXXXX")"
if [ "$KEEP" -eq 1 ]; then echo "package-check: installed tree kept in $WORK"; else
  trap 'rm -rf "$WORK"' EXIT
fi
PREFIX="$WORK/usr"
failures=0
fail() { echo "package-check: FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "package-check: ok: $*"; }

for tool in desktop-file-validate appstreamcli man lexgrog groff; do
  command -v "$tool" >/dev/null || { echo "package-check: $tool is missing; run scripts/install-deps.sh" >&2; exit 1; }
done

if ! cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1; then
  cat "$WORK/install.log"
  echo "package-check: cmake --install $BUILD failed" >&2
  exit 1
fi

# desktop-file-validate prints nothing for a clean entry; a hint is a fault
# as much as an error.
desktop="$PREFIX/share/applications/kestrevan.desktop"
if [ ! -f "$desktop" ]; then fail "no share/applications/kestrevan.desktop"
elif out="$(desktop-file-validate "$desktop" 2>&1)" && [ -z "$out" ]; then pass "desktop-file-validate"
else fail "desktop-file-validate: $out"; fi

# appstreamcli passes warnings and infos with status 0, so read its lines:
# only pedantic notes (P:) may stay, and they are shown.
metainfo=("$PREFIX"/share/metainfo/*.metainfo.xml)
if [ ! -f "${metainfo[0]}" ] || [ ${#metainfo[@]} -ne 1 ]; then fail "expected one share/metainfo/*.metainfo.xml"
else
  for run in "validate ${metainfo[0]}" "validate-tree $PREFIX"; do
    out="$(appstreamcli $run --no-net --pedantic 2>&1)"
    status=$?
    complaints="$(grep -E '^ *[EWI]: ' <<<"$out")"
    if [ "$status" -ne 0 ] || [ -n "$complaints" ]; then fail "appstreamcli ${run%% *}: $out"
    else
      pass "appstreamcli ${run%% *}"
      grep -E '^ *P: ' <<<"$out" | sed 's/^ */package-check:   (pedantic, kept) /'
    fi
  done
fi

# Every program in bin/ or games/ has a page of its own in section 1, 6 or
# 8 whose .TH names the section of its folder; man prints no warning on it
# (lintian's own call, at its width and at a terminal's) and lexgrog reads a
# whatis line from it.
programs=0
for dir in bin games; do
  for program in "$PREFIX/$dir"/*; do
    [ -f "$program" ] || continue
    programs=$((programs + 1))
    name="$(basename "$program")"
    pages=()
    for section in 1 6 8; do
      for page in "$PREFIX/share/man/man$section/$name.$section" "$PREFIX/share/man/man$section/$name.$section.gz"; do
        [ -f "$page" ] && pages+=("$page")
      done
    done
    if [ ${#pages[@]} -eq 0 ]; then fail "$dir/$name has no manual page in share/man/man{1,6,8}"; continue; fi
    for page in "${pages[@]}"; do
      before=$failures
      short="${page#"$PREFIX"/}"
      folder_section="$(basename "$(dirname "$page")")"
      folder_section="${folder_section#man}"
      if [[ "$page" == *.gz ]]; then
        gzip -t "$page" 2>/dev/null || { fail "$short is not gzip data"; continue; }
        source_text="$(gzip -dc "$page")"
      else
        source_text="$(cat "$page")"
      fi
      [ -x "$page" ] && fail "$short is executable"
      th_section="$(sed -n 's/^\.TH  *"\{0,1\}[^" ]*"\{0,1\}  *"\{0,1\}\([^" ]*\).*/\1/p' <<<"$source_text" | head -n 1)"
      [ "$th_section" = "$folder_section" ] || fail "$short: .TH says section '$th_section', its folder man$folder_section"
      grep -q "\\\\'" <<<"$source_text" && fail "$short uses \\' (an acute accent, not an apostrophe)"
      for width in 120 80; do
        warnings="$(cd "$(dirname "$page")/.." && env -i PATH="$PATH" LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=$width \
          man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
        [ -z "$warnings" ] || fail "$short at width $width: $warnings"
      done
      whatis="$(env -i PATH="$PATH" LC_ALL=C.UTF-8 lexgrog "$page" 2>&1)" || fail "$short: lexgrog: $whatis"
      [ "$failures" -eq "$before" ] && pass "$short, whatis ${whatis#*: }"
    done
  done
done
[ "$programs" -gt 0 ] || fail "nothing installed in bin/ or games/"

# The installed game answers --help and --version on stdout, status 0,
# nothing on stderr.
game="$(ls "$PREFIX"/bin/kestrevan "$PREFIX"/games/kestrevan 2>/dev/null | head -n 1)"
for flag in --help --version; do
  [ -n "$game" ] || break
  "$game" "$flag" >"$WORK/out" 2>"$WORK/err"
  status=$?
  if [ "$status" -eq 0 ] && [ -s "$WORK/out" ] && [ ! -s "$WORK/err" ]; then pass "kestrevan $flag"
  else fail "kestrevan $flag: status $status, $(wc -c <"$WORK/out") bytes on stdout, stderr: $(cat "$WORK/err")"; fi
done

if [ "$failures" -ne 0 ]; then
  echo "package-check: $failures check(s) failed"
  exit 1
fi
echo "package-check: all passed"
