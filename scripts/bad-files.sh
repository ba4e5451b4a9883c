#!/usr/bin/env bash
# Bad files, end to end: every bad input of the catalogue is put into a
# scratch copy of the game's folder (the program, files/, hs.pak) and the
# real game plays a short session on it headless: the menu, the table, a
# flight started and given up. Every run must end normally (status 0) and say
# in a clear line which file is bad; no line may complain without naming the
# file; a table saved before must come through whole; hs.pak is never written.
#
#   scripts/bad-files.sh                              every case, build/kestrevan
#   scripts/bad-files.sh --binary build-asan/kestrevan --only 'wav'
#
# The catalogue: truncated, hostile and wrong-format pictures and sounds, one
# variant per file name (rotating through the variants) and all of them at
# once; hostile setup.ini beside the program; hostile hs.ini in the data
# folder; hostile hs.pak beside the program. Unusual but valid files must
# load without a word.
set -euo pipefail
# Cases read their bad bytes from a pipe (`printf ... | setup_case ...`): the
# case must run in this shell, or what it counts and finds would be lost.
shopt -s lastpipe

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="build"
BINARY=""
ONLY=""
KEEP=0
TIMEOUT=120

usage() {
  cat <<'TXT'
usage: scripts/bad-files.sh [options]
  --build DIR       build tree holding kestrevan, files/ and hs.pak (default build)
  --binary PATH     the game to run (default DIR/kestrevan; its files/ and hs.pak
                    are taken from beside it)
  --only REGEX      only the cases whose name matches (grep -E)
  --timeout S       longest one run may take (default 120)
  --keep            keep the scratch folder and say where it is
TXT
}
need_value() { [ $# -ge 2 ] || { echo "bad-files: $1 needs a value" >&2; exit 2; }; }
while [ $# -gt 0 ]; do
  case "$1" in
    --build) need_value "$@"; BUILD="$2"; shift 2 ;;
    --binary) need_value "$@"; BINARY="$2"; shift 2 ;;
    --only) need_value "$@"; ONLY="$2"; shift 2 ;;
    --timeout) need_value "$@"; TIMEOUT="$2"; shift 2 ;;
    --keep) KEEP=1; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "bad-files: unknown option '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
[[ "$TIMEOUT" =~ ^[0-9]+$ ]] || { echo "bad-files: '$TIMEOUT' is not a whole number of seconds" >&2; exit 2; }

cd "$ROOT"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
[ -n "$BINARY" ] || BINARY="$BUILD/kestrevan"
case "$BINARY" in /*) ;; *) BINARY="$ROOT/$BINARY" ;; esac
PROGRAM_FOLDER="$(dirname "$BINARY")"
for f in "$BINARY" "$PROGRAM_FOLDER/files" "$PROGRAM_FOLDER/hs.pak"; do
  [ -e "$f" ] || { echo "bad-files: $f is missing: build the game first (make)" >&2; exit 1; }
done

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
if grep -aq '__asan_init' "$BINARY"; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
  export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0}"
fi

SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/kestrevan-bad-files.XXXXXX")"
cleanup() {
  chmod -R u+w "$SCRATCH" 2>/dev/null || true
  if [ "$KEEP" -eq 1 ]; then echo "bad-files: scratch kept in $SCRATCH"; else rm -rf "$SCRATCH"; fi
}
trap cleanup EXIT
# The user's own settings, scores and pictures stay out of every run.
export XDG_CONFIG_HOME="$SCRATCH/config" XDG_DATA_HOME="$SCRATCH/xdg-data"
export XDG_PICTURES_DIR="$SCRATCH/pictures" HOME="$SCRATCH/home"
mkdir -p "$HOME"
started=$(date +%s)
echo "bad-files: $(uptime)"

# ---- building blocks of bad files ------------------------------------------
# Little-endian numbers as printf escapes.
le16() { local v=$(($1 & 0xFFFF)); printf '\\x%02x\\x%02x' $((v & 255)) $((v >> 8)); }
le32() {
  local v=$(($1 & 0xFFFFFFFF))
  printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255))
}
zeros() { head -c "$1" /dev/zero; }
# TEXT repeated to BYTES bytes (yes stops on a broken pipe, which is fine here).
repeat() { (set +o pipefail; yes "$1" | head -c "$2"); }
# Bytes that are no picture or sound of any kind, the same on every run.
junk() { repeat $'Kestrevan junk \x01\xff\x80' "$1"; }

# A DDS header: width height pixel-format-flags fourCC ("-" for none)
# bit-count R G B A masks, mip count, caps2.
dds_header() {
  local w=$1 h=$2 pf=$3 cc=$4 bits=$5 r=$6 g=$7 b=$8 a=$9 mips=${10} caps2=${11}
  printf 'DDS '
  printf "$(le32 124)$(le32 0x1007)$(le32 "$h")$(le32 "$w")$(le32 0)$(le32 0)$(le32 "$mips")"
  zeros 44
  printf "$(le32 32)$(le32 "$pf")"
  if [ "$cc" = - ]; then zeros 4; else printf '%s' "$cc"; fi
  printf "$(le32 "$bits")$(le32 "$r")$(le32 "$g")$(le32 "$b")$(le32 "$a")$(le32 0x1000)$(le32 "$caps2")"
  zeros 12
}
dxt5() { dds_header "$1" "$2" 4 DXT5 0 0 0 0 0 1 0; }
argb() { dds_header "$1" "$2" 0x41 - 32 0xff0000 0xff00 0xff 0xff000000 1 0; }
# A WAV: channels rate bits format-tag declared-data-bytes actual-data-bytes.
wav() {
  local ch=$1 rate=$2 bits=$3 tag=$4 declared=$5 actual=$6
  local align=$((ch * bits / 8))
  printf "RIFF$(le32 $((36 + declared)))WAVEfmt $(le32 16)$(le16 "$tag")$(le16 "$ch")"
  printf "$(le32 "$rate")$(le32 $((rate * align)))$(le16 "$align")$(le16 "$bits")data$(le32 "$declared")"
  zeros "$actual"
}

# make_picture VARIANT ORIGINAL: a bad DDS (or other picture) on stdout.
DDS_VARIANTS=(empty short-header wrong-magic one-byte-short half-file width-zero height-zero
  huge-65535 huge-ffffffff overflow-46341 dx10 dxt2 dxt4 bits-0 bits-7 bits-64 masks-zero
  masks-overlap cube volume wav-bytes junk)
OTHER_PICTURE_VARIANTS=(empty junk header-only half-file wav-bytes dds-bytes-cut huge-png
  huge-jpeg bmp-lies)
make_picture() {
  local variant=$1 original=$2
  case "$variant" in
    empty) ;;
    short-header) head -c 60 "$original" ;;
    header-only) head -c 100 "$original" ;;
    wrong-magic) printf 'XDS '; tail -c +5 "$original" ;;
    one-byte-short) head -c $(($(stat -c %s "$original") - 1)) "$original" ;;
    half-file) head -c $(($(stat -c %s "$original") / 2)) "$original" ;;
    width-zero) dxt5 0 64; zeros 4096 ;;
    height-zero) dxt5 64 0; zeros 4096 ;;
    huge-65535) dxt5 65535 65535; zeros 4096 ;;
    huge-ffffffff) dxt5 0xFFFFFFFF 0xFFFFFFFF; zeros 4096 ;;
    overflow-46341) argb 46341 46341; zeros 4096 ;;
    dx10) dds_header 64 64 4 DX10 0 0 0 0 0 1 0; zeros 20; zeros 4096 ;;
    dxt2) dds_header 64 64 4 DXT2 0 0 0 0 0 1 0; zeros 4096 ;;
    dxt4) dds_header 64 64 4 DXT4 0 0 0 0 0 1 0; zeros 4096 ;;
    bits-0) dds_header 8 8 0x40 - 0 0xff0000 0xff00 0xff 0 1 0; zeros 256 ;;
    bits-7) dds_header 8 8 0x40 - 7 0x70 0x0c 0x03 0 1 0; zeros 256 ;;
    bits-64) dds_header 8 8 0x41 - 64 0xff0000 0xff00 0xff 0xff000000 1 0; zeros 512 ;;
    masks-zero) dds_header 8 8 0x41 - 32 0 0 0 0 1 0; zeros 256 ;;
    masks-overlap) dds_header 8 8 0x41 - 32 0xffff00 0xff00 0xff 0xff000000 1 0; zeros 256 ;;
    cube) dds_header 64 64 4 DXT5 0 0 0 0 0 1 0xFE00; zeros $((4096 * 6)) ;;
    volume) dds_header 64 64 4 DXT5 0 0 0 0 0 1 0x200000; zeros $((4096 * 4)) ;;
    wav-bytes) wav 1 22050 16 1 2000 2000 ;;
    dds-bytes-cut) dxt5 64 64; zeros 100 ;;
    junk) junk 5000 ;;
    # A few bytes that claim 60000 x 60000 pixels, and a BMP that claims
    # more rows than it holds: refused from the header, before any decoding.
    huge-png) printf '\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\xea\x60\0\0\xea\x60\x08\x06\0\0\0\0\0\0\0'; junk 200 ;;
    huge-jpeg) printf '\xff\xd8\xff\xc0\0\x11\x08\xea\x60\xea\x60\x03'; junk 200 ;;
    bmp-lies) printf "BM$(le32 300)\0\0\0\0$(le32 54)$(le32 40)$(le32 64)$(le32 64)$(le16 1)$(le16 24)$(le32 0)"; zeros 300 ;;
    *) echo "bad-files: no picture variant $variant" >&2; exit 1 ;;
  esac
}

WAV_VARIANTS=(empty junk not-riff no-fmt zero-channels zero-rate bits-12 mp3-encoding
  channels-255 zero-data data-lies odd-16bit half-file dds-bytes)
make_sound() {
  local variant=$1 original=$2
  case "$variant" in
    empty) ;;
    junk) junk 3000 ;;
    not-riff) printf 'RIFX'; tail -c +5 "$original" ;;
    no-fmt) printf "RIFF$(le32 1012)WAVEdata$(le32 1000)"; zeros 1000 ;;
    zero-channels) wav 0 22050 16 1 1000 1000 ;;
    zero-rate) wav 1 0 16 1 1000 1000 ;;
    bits-12) wav 1 22050 12 1 1200 1200 ;;
    mp3-encoding) wav 1 22050 16 0x55 1000 1000 ;;
    channels-255) wav 255 22050 16 1 5100 5100 ;;
    zero-data) wav 1 22050 16 1 0 0 ;;
    data-lies) wav 1 22050 16 1 100000 1000 ;;
    odd-16bit) wav 1 22050 16 1 1001 1001 ;;
    half-file) head -c $(($(stat -c %s "$original") / 2)) "$original" ;;
    dds-bytes) dxt5 64 64; zeros 4096 ;;
    *) echo "bad-files: no sound variant $variant" >&2; exit 1 ;;
  esac
}

# ---- the session every case plays -------------------------------------------
# Menu, the table and back, a new game, a flight given up with Escape.
printf '%s\n' '2 -' '1 down' '1 return' '10 -' '1 return' '5 -' '1 up' '1 return' \
  '60 -' '1 escape' '10 -' >"$SCRATCH/session.txt"

BASE="$SCRATCH/base"
mkdir -p "$BASE"
cp "$BINARY" "$BASE/kestrevan"
cp -r "$PROGRAM_FOLDER/files" "$BASE/files"
cp "$PROGRAM_FOLDER/hs.pak" "$BASE/hs.pak"
rm -f "$BASE/files/.generated"

# A table saved by the game itself: the golden winning flight, a name typed.
SAVED="$SCRATCH/saved-data"
{ cat "$ROOT/tests/golden/win.txt"; printf '%s\n' '1 b' '1 -' '1 a' '1 -' '1 d' '1 return' '3 -' '1 return' '3 -'; } \
  >"$SCRATCH/win.txt"
if ! "$BASE/kestrevan" --headless --input "$SCRATCH/win.txt" --data-dir "$SAVED" >/dev/null 2>"$SCRATCH/win.err" ||
  [ -s "$SCRATCH/win.err" ]; then
  cat "$SCRATCH/win.err" >&2
  echo "bad-files: the game could not save a table on good files; nothing to compare with" >&2
  exit 1
fi
"$BASE/kestrevan" --print-scores --data-dir "$SAVED" >"$SCRATCH/saved-table.txt"
grep -q ' BAD$' "$SCRATCH/saved-table.txt" || {
  cat "$SCRATCH/saved-table.txt" >&2
  echo "bad-files: the winning flight's entry BAD is not in the saved table" >&2
  exit 1
}
PAK_SUM="$(sha256sum <"$BASE/hs.pak")"

# The same session on good files says nothing at all, or no case means a thing.
"$BASE/kestrevan" --headless --input "$SCRATCH/session.txt" --data-dir "$SCRATCH/good-data" \
  >/dev/null 2>"$SCRATCH/good.err" || { cat "$SCRATCH/good.err" >&2; exit 1; }
if [ -s "$SCRATCH/good.err" ]; then
  cat "$SCRATCH/good.err" >&2
  echo "bad-files: the game complains on good files" >&2
  exit 1
fi

# ---- running one case --------------------------------------------------------
CASES=0
FAILURES=()
NOTES=()
CASE=""
CASE_DIR=""

# new_case NAME [saved|fresh]: a fresh copy of the program folder, and a data
# folder holding the saved table (saved) or nothing (fresh). Returns 1 when
# --only leaves the case out.
new_case() {
  CASE=$1
  if [ -n "$ONLY" ] && ! grep -qE -- "$ONLY" <<<"$CASE"; then return 1; fi
  CASES=$((CASES + 1))
  CASE_DIR="$SCRATCH/case-$CASES"
  mkdir -p "$CASE_DIR"
  cp -r "$BASE/." "$CASE_DIR/"
  if [ "${2:-saved}" = saved ]; then cp -r "$SAVED" "$CASE_DIR/data"; fi
  return 0
}

case_fail() { FAILURES+=("$CASE: $*"); }

# run_case EXPECT NAMES...: plays the session and checks what it said.
#   EXPECT named: at least one line naming each of NAMES, and no line that
#                 names none of them
#   EXPECT quiet: nothing on stderr at all
#   EXPECT maybe: lines allowed, but each must name one of NAMES
run_case() {
  local expect=$1
  shift
  local status=0
  timeout --signal=KILL "$TIMEOUT" "$CASE_DIR/kestrevan" --headless --input "${SESSION:-$SCRATCH/session.txt}" \
    --data-dir "$CASE_DIR/data" >"$CASE_DIR/out.txt" 2>"$CASE_DIR/err.txt" || status=$?
  if [ "$status" -ne 0 ]; then
    case_fail "exit status $status$([ "$status" -eq 137 ] && echo ' (killed after the timeout)'); stderr: $(head -c 600 "$CASE_DIR/err.txt")"
    return
  fi
  if [ "$expect" = quiet ]; then
    if [ -s "$CASE_DIR/err.txt" ]; then
      case_fail "a valid file was complained about: $(head -n 3 "$CASE_DIR/err.txt")"
    fi
    return
  fi
  local name line named
  if [ "$expect" = named ]; then
    for name in "$@"; do
      grep -qF -- "$name" "$CASE_DIR/err.txt" || case_fail "no line names $name"
    done
  fi
  while IFS= read -r line; do
    named=0
    for name in "$@"; do
      case "$line" in *"$name"*) named=1; break ;; esac
    done
    [ "$named" -eq 1 ] || case_fail "a line names no bad file: $line"
  done <"$CASE_DIR/err.txt"
  # One clear line per file; a few more where one file has several faults
  # (hs.ini lists five bad rows, then counts the rest; a sound loaded under
  # three names). More is a flood.
  for name in "$@"; do
    local count
    count=$(grep -cF -- "$name" "$CASE_DIR/err.txt" || true)
    [ "$count" -le 6 ] || case_fail "$name is named in $count lines"
  done
}

# The table saved before the case is still all there.
check_saved_table() {
  local now
  now=$("$CASE_DIR/kestrevan" --print-scores --data-dir "$CASE_DIR/data" 2>&1) || true
  [ "$now" = "$(cat "$SCRATCH/saved-table.txt")" ] ||
    case_fail "the saved table changed: $(diff <(printf '%s\n' "$now") "$SCRATCH/saved-table.txt" | head -n 6 | tr '\n' ' ')"
}

check_pak_untouched() {
  [ ! -f "$CASE_DIR/hs.pak" ] || [ "$(sha256sum <"$CASE_DIR/hs.pak")" = "$1" ] || case_fail "hs.pak was written"
}

# ---- pictures and sounds ---------------------------------------------------
# files/ <name> → the asset list the game loads (assets.cpp), by kind.
mapfile -t DDS_NAMES < <(cd "$BASE/files" && ls -- *.dds | sort)
mapfile -t OTHER_PICTURES < <(cd "$BASE/files" && ls -- *.jpg *.png *.bmp | grep -v '^icon\.png$' | sort)
mapfile -t SOUNDS < <(cd "$BASE/files" && ls -- *.wav | sort)

# variant_for INDEX ARRAY...: the INDEX-th variant, wrapping round.
variant_for() {
  local i=$1
  shift
  local list=("$@")
  echo "${list[$((i % ${#list[@]}))]}"
}

break_file() {  # break_file NAME INDEX: the rotating variant of that name
  local name=$1 i=$2 original="$BASE/files/$1" variant
  case "$name" in
    *.dds) variant=$(variant_for "$i" "${DDS_VARIANTS[@]}"); make_picture "$variant" "$original" >"$CASE_DIR/files/$name" ;;
    *.wav) variant=$(variant_for "$i" "${WAV_VARIANTS[@]}"); make_sound "$variant" "$original" >"$CASE_DIR/files/$name" ;;
    *) variant=$(variant_for "$i" "${OTHER_PICTURE_VARIANTS[@]}"); make_picture "$variant" "$original" >"$CASE_DIR/files/$name" ;;
  esac
  echo "$variant"
}

# Each name once, with the next variant of its kind; then the variants the
# rotation left out land on a second name, so every variant is run.
#   break_each KIND NAMES_ARRAY VARIANTS_ARRAY
break_each() {
  local kind=$1
  local -n names=$2 variants=$3
  local i=0 name variant
  while [ "$i" -lt "${#names[@]}" ] || [ "$i" -lt "${#variants[@]}" ]; do
    name=${names[$((i % ${#names[@]}))]}
    variant=$(variant_for "$i" "${variants[@]}")
    if new_case "$kind $name: $variant"; then break_file "$name" "$i" >/dev/null; run_case named "files/$name"; check_saved_table; fi
    i=$((i + 1))
  done
}
break_each picture DDS_NAMES DDS_VARIANTS
break_each picture OTHER_PICTURES OTHER_PICTURE_VARIANTS
break_each sound SOUNDS WAV_VARIANTS

# Every picture and sound bad at once (each with its rotating variant).
if new_case "every picture and sound at once"; then
  all=()
  i=0
  for name in "${DDS_NAMES[@]}" "${OTHER_PICTURES[@]}" "${SOUNDS[@]}"; do
    break_file "$name" "$i" >/dev/null
    all+=("files/$name")
    i=$((i + 1))
  done
  run_case named "${all[@]}"
  check_saved_table
fi

# A missing file is bad too.
if new_case "picture land.dds and sound fuel.wav missing"; then
  rm "$CASE_DIR/files/land.dds" "$CASE_DIR/files/fuel.wav"
  run_case named "files/land.dds" "files/fuel.wav"
  check_saved_table
fi

# Unusual but valid: trailing bytes after the pixels, the smallest and odd
# DXT sizes, 24-bit rows of odd width, more mip levels named than stored
# (only the top level is read). These load without a word.
if new_case "valid oddities: trailing junk, DXT1 1x1 / 2x2 / 3x5, R8G8B8 3x3, mip count 33"; then
  { cat "$BASE/files/cloud.dds"; junk 999; } >"$CASE_DIR/files/cloud.dds"
  { dds_header 1 1 4 DXT1 0 0 0 0 0 1 0; zeros 8; } >"$CASE_DIR/files/shade.dds"
  { dds_header 2 2 4 DXT1 0 0 0 0 0 1 0; zeros 8; } >"$CASE_DIR/files/lights.dds"
  { dds_header 3 5 4 DXT5 0 0 0 0 0 1 0; zeros 32; } >"$CASE_DIR/files/landing.dds"
  { dds_header 3 3 0x40 - 24 0xff0000 0xff00 0xff 0 1 0; zeros 27; } >"$CASE_DIR/files/signal_line.dds"
  { dds_header 64 64 4 DXT5 0 0 0 0 0 33 0; zeros 4096; } >"$CASE_DIR/files/status.dds"
  run_case quiet
  check_saved_table
fi

# ---- setup.ini beside the program -------------------------------------------
# setup_case NAME EXPECT: writes stdin to setup.ini, plays, checks.
setup_case() {
  local name=$1 expect=$2
  if new_case "setup.ini: $name"; then
    cat >"$CASE_DIR/setup.ini"
    run_case "$expect" setup.ini
    check_saved_table
  else
    cat >/dev/null
  fi
}
printf '' | setup_case "empty" quiet
printf '\xef\xbb\xbf[main]\nSound_On=True\nFULL_SCREEN=False\n' | setup_case "UTF-8 byte-order mark" quiet
printf '[main]\r\nSound_On=False\r\nFULL_SCREEN=False\r\n' | setup_case "CRLF" quiet
printf '[MAIN]\nsound_on=TRUE\nfull_screen=false\n' | setup_case "case variants" quiet
printf '[main]\nSound_On=True\nSound_On=False\n[main]\nFULL_SCREEN=False\nFULL_SCREEN=True\n' | setup_case "duplicate keys and sections" maybe
printf '[main]\nSound_On="True"\nFULL_SCREEN="False\n' | setup_case "quotes, one unbalanced" maybe
printf '[main]\nSound_On=True ; comment\nFULL_SCREEN=False;\n' | setup_case "semicolons in values" maybe
printf '[main]\nSound_On=maybe\nFULL_SCREEN=%%%%%%\n' | setup_case "garbage values" named
{ printf '[main]\nSound_On='; printf 'T%.0s' $(seq 254); printf '\nFULL_SCREEN='; printf 'x%.0s' $(seq 300); printf '\n'; } |
  setup_case "values of 254 and 300 characters" named
printf '[main]\nSound_On=Tr\0ue\nFULL_SCREEN=Fal\0se\n' | setup_case "NUL bytes" maybe
junk 70000 | setup_case "binary" maybe
{ printf '[main]\nSound_On=True\n'; repeat 'FILLER=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx' 10485760; printf '\nFULL_SCREEN=False\n'; } |
  setup_case "10 MB" maybe
if new_case "setup.ini: a folder"; then
  mkdir "$CASE_DIR/setup.ini"
  run_case maybe setup.ini
  check_saved_table
fi

# ---- hs.ini in the data folder ----------------------------------------------
# hs_ini_case NAME EXPECT: writes stdin over the saved hs.ini, plays, checks
# that nothing is lost: hs.ini still holds those very bytes, or a
# hs.ini.bad-* beside it does; the table reads afterwards.
hs_ini_case() {
  local name=$1 expect=$2
  if new_case "hs.ini: $name"; then
    cat >"$CASE_DIR/data/hs.ini"
    local sum
    sum=$(sha256sum <"$CASE_DIR/data/hs.ini")
    run_case "$expect" hs.ini
    local kept=0 f
    for f in "$CASE_DIR"/data/hs.ini "$CASE_DIR"/data/hs.ini.bad-*; do
      if [ -f "$f" ] && [ "$(sha256sum <"$f")" = "$sum" ]; then kept=1; fi
    done
    [ "$kept" -eq 1 ] || case_fail "the bad hs.ini's bytes were neither kept nor moved aside"
    "$CASE_DIR/kestrevan" --print-scores --data-dir "$CASE_DIR/data" >/dev/null 2>&1 ||
      case_fail "--print-scores fails afterwards"
  else
    cat >/dev/null
  fi
}
SAVED_INI="$SAVED/hs.ini"
rows() { grep -E '^[0-9]' "$SAVED_INI"; }
head_lines() { grep -vE '^[0-9]|^end' "$SAVED_INI"; }
printf '' | hs_ini_case "empty" named
head -c $(($(stat -c %s "$SAVED_INI") * 2 / 3)) "$SAVED_INI" | hs_ini_case "cut mid-line" named
{ head_lines; rows | sed -n 1,5p; echo end; } | hs_ini_case "five rows" maybe
{ head_lines; rows; rows | sed -n 1,3p | sed 's/^9/8/'; echo end; } | hs_ini_case "thirteen rows" named
{ head_lines; rows | sort -n; echo end; } | hs_ini_case "rows out of order" maybe
{ head_lines; rows | sed -n 1,5p; rows | sed -n 1,5p; echo end; } | hs_ini_case "duplicate rows" maybe
{ head_lines; rows | sed -n 1,9p; printf 'abc "WORDS"\n-5 "NEGATIVE"\n1e40 "HUGE"\nnan "NAN"\ninf "INF"\n'; echo end; } |
  hs_ini_case "values non-numeric, negative, huge, NaN, inf" named
{ head_lines; rows | sed -n 1,6p; printf '9001 "%s"\n' "$(printf 'N%.0s' $(seq 200))"; printf '9002 "A=B;C[D]\\"Q\\" '"'"'S'"'"'"\n'; printf '9003 "CTRL\x01\x07\x1b[31mRED"\n'; printf '9004 "BAD\xff\xfe\xc3(UTF"\n'; echo end; } |
  hs_ini_case "names overlong, with = ; [ quotes, control characters, invalid UTF-8" maybe
{ head_lines; rows; echo end; printf 'trailing words\n'; } | hs_ini_case "text after end" named
{ echo 'kestrevan scores 99'; rows; echo end; } | hs_ini_case "a newer version" named
{ echo 'kestrevan scores 1'; rows | sed -n 1,3p; printf '9000 "NUL\0BYTE"\n'; echo end; } | hs_ini_case "NUL byte" named
junk 4000 | hs_ini_case "binary junk" named
{ head_lines; rows; echo end; repeat '# padding padding padding padding padding padding' 70000; } |
  hs_ini_case "over 64 KiB" named
if new_case "hs.ini: a folder"; then
  rm "$CASE_DIR/data/hs.ini"
  mkdir "$CASE_DIR/data/hs.ini"
  run_case named hs.ini
  [ -d "$CASE_DIR/data/hs.ini" ] || ls "$CASE_DIR"/data/hs.ini.bad-* >/dev/null 2>&1 || case_fail "the folder vanished"
fi
if new_case "hs.ini: a stale temporary file beside a good table"; then
  junk 500 >"$CASE_DIR/data/hs.ini.tmp"
  run_case maybe hs.ini.tmp
  check_saved_table
  [ ! -e "$CASE_DIR/data/hs.ini.tmp" ] || case_fail "the stale hs.ini.tmp is still there"
fi
if [ "$(id -u)" -ne 0 ]; then
  if new_case "hs.ini: a read-only data folder"; then
    chmod a-w "$CASE_DIR/data"
    run_case maybe hs.ini
    chmod u+w "$CASE_DIR/data"
    check_saved_table
  fi
else
  NOTES+=("read-only data folder: skipped (root writes anywhere)")
fi

# ---- not a plain file --------------------------------------------------------
# What a synced folder, a careless script or a prank leaves under a name the
# game reads or writes: a pipe (a read that waited on it would hang until the
# timeout), a folder, a device, a link to nowhere, a loop of links.
make_strange() {  # make_strange KIND PATH
  rm -rf "$2"
  case "$1" in
    pipe) mkfifo "$2" ;;
    folder) mkdir -p "$2/inside" ;;
    device) ln -s /dev/zero "$2" ;;
    dangling) ln -s "$(basename "$2").nowhere" "$2" ;;
    loop) ln -s "$(basename "$2")" "$2" ;;
  esac
}
STRANGE_KINDS=(pipe folder device dangling loop)
for kind in "${STRANGE_KINDS[@]}"; do
  for name in files/land.dds files/fuel.wav setup.ini; do
    if new_case "not a plain file: $name is a $kind"; then
      make_strange "$kind" "$CASE_DIR/$name"
      run_case maybe "$name"
      check_saved_table
    fi
  done
  # The table itself: whatever is there is kept (in place, or moved aside).
  if new_case "not a plain file: hs.ini is a $kind"; then
    make_strange "$kind" "$CASE_DIR/data/hs.ini"
    run_case maybe hs.ini
    [ -e "$CASE_DIR/data/hs.ini" ] || [ -L "$CASE_DIR/data/hs.ini" ] ||
      ls "$CASE_DIR"/data/hs.ini.bad-* >/dev/null 2>&1 || case_fail "what was at hs.ini vanished"
  fi
  # Names a save writes: a winning flight's entry must still reach the table.
  for name in hs.ini.tmp hs.ini.lock hs.ini.pending; do
    if new_case "not a plain file: $name is a $kind, a winning flight" fresh; then
      mkdir -p "$CASE_DIR/data"
      make_strange "$kind" "$CASE_DIR/data/$name"
      SESSION="$SCRATCH/win.txt" run_case maybe "$name"
      "$CASE_DIR/kestrevan" --print-scores --data-dir "$CASE_DIR/data" 2>/dev/null | grep -q ' BAD$' ||
        case_fail "the winning entry is not in the table"
    fi
  done
done

# A linked table (a synced folder) is saved where the link leads; the link stays.
if new_case "hs.ini: a link into another folder, a winning flight"; then
  mkdir -p "$CASE_DIR/synced"
  mv "$CASE_DIR/data/hs.ini" "$CASE_DIR/synced/scores.ini"
  ln -s ../synced/scores.ini "$CASE_DIR/data/hs.ini"
  SESSION="$SCRATCH/win.txt" run_case quiet
  [ -L "$CASE_DIR/data/hs.ini" ] || case_fail "the link was replaced by a file"
  [ "$(grep -c '"BAD"' "$CASE_DIR/synced/scores.ini")" -eq 2 ] || case_fail "the entry did not reach the linked file"
fi

# ---- signals -------------------------------------------------------------------
# A shutdown (TERM), Ctrl+C (INT) or a closed terminal (HUP) while a winner
# types a name: the name typed so far is stored, and the trace and the
# recording are whole, the recording one the game replays.
{ cat "$ROOT/tests/golden/win.txt"; printf '%s\n' '1 b' '1 -' '1 a' '1 -' '1 d' '1 -' '9999999 -'; } \
  >"$SCRATCH/win-waits.txt"
for sig in TERM INT HUP; do
  if new_case "signal: $sig on the name entry, BAD typed" fresh; then
    # A background job starts with SIGINT ignored, and a run under nohup with
    # SIGHUP ignored (the game keeps it so); a player's game starts with neither.
    env --default-signal "$CASE_DIR/kestrevan" --headless --input "$SCRATCH/win-waits.txt" \
      --data-dir "$CASE_DIR/data" --trace "$CASE_DIR/trace.csv" --record "$CASE_DIR/record.txt" \
      >/dev/null 2>"$CASE_DIR/err.txt" &
    pid=$!
    ( sleep "$TIMEOUT"; kill -KILL "$pid" 2>/dev/null ) &
    watchdog=$!
    # The trace is written in blocks: forty rows of the name entry seen means
    # the name is typed.
    for _ in $(seq $((TIMEOUT * 10))); do
      rows=$(grep -c hs_getname "$CASE_DIR/trace.csv" 2>/dev/null || true)
      [ "${rows:-0}" -gt 40 ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -"$sig" "$pid" 2>/dev/null || case_fail "the game ended before the signal"
    status=0
    wait "$pid" || status=$?
    kill "$watchdog" 2>/dev/null || true
    [ "$status" -eq 0 ] || case_fail "exit status $status; stderr: $(head -c 300 "$CASE_DIR/err.txt")"
    "$CASE_DIR/kestrevan" --print-scores --data-dir "$CASE_DIR/data" 2>/dev/null | grep -q ' BAD$' ||
      case_fail "the name typed so far was not stored"
    [ "$(tail -c 1 "$CASE_DIR/trace.csv" | od -An -tx1 | tr -d ' ')" = 0a ] ||
      case_fail "the trace ends mid-row"
    "$CASE_DIR/kestrevan" --headless --input "$CASE_DIR/record.txt" --data-dir "$CASE_DIR/replay" \
      >/dev/null 2>&1 || case_fail "the recording does not replay"
  fi
done

# ---- closed standard streams ---------------------------------------------------
# Started with stdin, stdout and stderr closed (a launcher, `2>&-`): the
# next file opened would take a stream's number, and the complaint about a
# bad picture would land inside the trace.
if new_case "closed streams: stderr closed with a bad picture, a trace and a winning flight; then all three" fresh; then
  junk 100 >"$CASE_DIR/files/land.dds"
  status=0
  timeout --signal=KILL "$TIMEOUT" "$CASE_DIR/kestrevan" --headless --input "$SCRATCH/win.txt" \
    --data-dir "$CASE_DIR/data" --trace "$CASE_DIR/trace.csv" </dev/null >/dev/null 2>&- || status=$?
  timeout --signal=KILL "$TIMEOUT" "$CASE_DIR/kestrevan" --headless --input "$SCRATCH/session.txt" \
    --data-dir "$CASE_DIR/data" <&- >&- 2>&- || status=$?
  [ "$status" -eq 0 ] || case_fail "exit status $status"
  ! grep -aq 'kestrevan:' "$CASE_DIR/trace.csv" || case_fail "a message landed in the trace"
  "$CASE_DIR/kestrevan" --print-scores --data-dir "$CASE_DIR/data" 2>/dev/null | grep -q ' BAD$' ||
    case_fail "the winning entry is not in the table"
fi

# ---- outputs ---------------------------------------------------------------------
# Every file a run writes for its caller: one that cannot be written whole
# is named and the run ends with status 1; a device is written into, never
# replaced by a file.
output_case() {  # output_case NAME STATUS NAMED ARGS...: NAMED must be on stderr
  local name=$1 want=$2 named=$3 status=0
  shift 3
  if new_case "output: $name"; then
    timeout --signal=KILL "$TIMEOUT" "$CASE_DIR/kestrevan" --headless --input "${SESSION:-$SCRATCH/session.txt}" \
      --data-dir "$CASE_DIR/data" "$@" >"$CASE_DIR/out.txt" 2>"$CASE_DIR/err.txt" || status=$?
    [ "$status" -eq "$want" ] || case_fail "exit status $status, not $want; stderr: $(head -c 300 "$CASE_DIR/err.txt")"
    [ -z "$named" ] || grep -qF -- "$named" "$CASE_DIR/err.txt" || case_fail "no line names $named"
    [ -c /dev/full ] || case_fail "/dev/full is no longer a device"
  fi
}
for opt in --trace --record --frame-log --frame-hashes; do
  output_case "$opt /dev/full" 1 /dev/full "$opt" /dev/full
  output_case "$opt in a missing folder" 1 "$SCRATCH/missing/out" "$opt" "$SCRATCH/missing/out"
done
output_case "--screenshot-at in a folder that cannot be made" 1 "$SCRATCH/session.txt/shots" \
  --screenshot-at 5 --screenshot-dir "$SCRATCH/session.txt/shots"
if new_case "output: --record into a pipe"; then
  mkfifo "$CASE_DIR/pipe"
  cat "$CASE_DIR/pipe" >"$CASE_DIR/recorded.txt" &
  reader=$!
  "$CASE_DIR/kestrevan" --headless --input "$SCRATCH/session.txt" --data-dir "$CASE_DIR/data" \
    --record "$CASE_DIR/pipe" 2>>"$CASE_DIR/err.txt" || case_fail "exit status $?"
  wait "$reader"
  [ -p "$CASE_DIR/pipe" ] || case_fail "the pipe was replaced"
  grep -q '^seed ' "$CASE_DIR/recorded.txt" || case_fail "nothing came through the pipe"
fi
if new_case "output: --print-scores and --decode-image into /dev/full"; then
  "$CASE_DIR/kestrevan" --print-scores --data-dir "$CASE_DIR/data" >/dev/full 2>/dev/null &&
    case_fail "--print-scores into /dev/full ended with status 0"
  "$CASE_DIR/kestrevan" --decode-image "$CASE_DIR/files/land.dds" /dev/full 2>/dev/null &&
    case_fail "--decode-image into /dev/full ended with status 0"
  [ -c /dev/full ] || case_fail "/dev/full is no longer a device"
fi

# A full disk (a small tmpfs; only root may mount one): the saved table
# stays whole, a winning entry is said plainly not to be saved, and the run
# ends with status 1.
FULL="$SCRATCH/full-disk"
mkdir -p "$FULL"
if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=256k tmpfs "$FULL" 2>/dev/null; then
  trap 'umount "$FULL" 2>/dev/null; cleanup' EXIT
  cp -r "$SAVED" "$FULL/data"
  head -c 1M /dev/zero >"$FULL/filler" 2>/dev/null || true
  if new_case "full disk: a winning flight"; then
    status=0
    timeout --signal=KILL "$TIMEOUT" "$CASE_DIR/kestrevan" --headless --input "$SCRATCH/win.txt" \
      --data-dir "$FULL/data" >/dev/null 2>"$CASE_DIR/err.txt" || status=$?
    [ "$status" -eq 1 ] || case_fail "exit status $status, not 1"
    grep -q 'NOT SAVED: the entry "BAD"' "$CASE_DIR/err.txt" || case_fail "no line says the entry is not saved: $(head -c 300 "$CASE_DIR/err.txt")"
    [ "$("$CASE_DIR/kestrevan" --print-scores --data-dir "$FULL/data" 2>/dev/null)" = "$(cat "$SCRATCH/saved-table.txt")" ] ||
      case_fail "the saved table changed"
  fi
  output_case "full disk: --trace" 1 "$FULL/trace.csv" --trace "$FULL/trace.csv"
  umount "$FULL"
  trap cleanup EXIT
else
  NOTES+=("full disk: skipped (mounting a small tmpfs needs root)")
fi

# ---- hs.pak beside the program ----------------------------------------------
# pak_case NAME: writes stdin over hs.pak; with no hs.ini the table must
# start empty after a line naming hs.pak; with the saved hs.ini the package
# is never needed and the table stays whole. hs.pak is never written.
pak_case() {
  local name=$1 bytes="$SCRATCH/pak-bytes" sum
  cat >"$bytes"
  sum=$(sha256sum <"$bytes")
  if new_case "hs.pak: $name, no hs.ini" fresh; then
    cp "$bytes" "$CASE_DIR/hs.pak"
    run_case named hs.pak
    local table
    table=$("$CASE_DIR/kestrevan" --print-scores --data-dir "$CASE_DIR/data" 2>/dev/null) || case_fail "--print-scores fails afterwards"
    [ -z "$table" ] || case_fail "a table came out of a bad package: $(head -n 2 <<<"$table" | tr '\n' ' ')"
    check_pak_untouched "$sum"
  fi
  if new_case "hs.pak: $name, saved hs.ini"; then
    cp "$bytes" "$CASE_DIR/hs.pak"
    run_case maybe hs.pak
    check_saved_table
    check_pak_untouched "$sum"
  fi
}
PAK="$BASE/hs.pak"
PAK_SIZE=$(stat -c %s "$PAK")
printf '' | pak_case "empty"
{ printf 'X'; tail -c +2 "$PAK"; } | pak_case "wrong magic"
{ head -c $((PAK_SIZE - 1)) "$PAK"; } | pak_case "one byte short"
{ cat "$PAK"; printf 'x'; } | pak_case "one byte too many"
{ head -c 60 "$PAK"; printf '\x00'; tail -c +62 "$PAK"; } | pak_case "a flipped byte (wrong checksum)"
{ head -c 8 "$PAK"; printf "$(le16 7)"; tail -c +11 "$PAK"; } | pak_case "version 7"
junk 900 | pak_case "junk"
{ head -c 16 "$PAK"; printf '\xff'; tail -c +18 "$PAK"; } | pak_case "an entry overrunning the package"
if new_case "hs.pak: a folder, no hs.ini" fresh; then
  rm "$CASE_DIR/hs.pak"
  mkdir "$CASE_DIR/hs.pak"
  run_case named hs.pak
fi
if new_case "hs.pak: missing, no hs.ini" fresh; then
  rm "$CASE_DIR/hs.pak"
  run_case named hs.pak
fi

# ---- report ----------------------------------------------------------------
echo "bad-files: $CASES cases in $(($(date +%s) - started)) s"
for note in "${NOTES[@]+"${NOTES[@]}"}"; do echo "bad-files: note: $note"; done
if [ "${#FAILURES[@]}" -gt 0 ]; then
  for f in "${FAILURES[@]}"; do echo "bad-files: FAILED: $f" >&2; done
  echo "bad-files: ${#FAILURES[@]} failures in $CASES cases" >&2
  exit 1
fi
echo "bad-files: passed"
