#!/usr/bin/env bash
# The soak: the real game, headless, plays a long session of seeded random
# keys through every screen (menu, flights won, crashed, given up and
# restarted, names typed, the table), while its memory is sampled; then the
# score saves are killed thousands of times mid-write.
#
# The keys come from tools/soakgen, which plays the same session through the
# game's own routines first, so every key fits the screen it lands on. The
# game's trace must match the one the generator saw, byte for byte.
#
#   scripts/soak.sh                         1,000,000 passes and 10,000 kills
#   scripts/soak.sh --passes 100000 --kills 300 --binary build-asan/kestrevan
#
# It checks: the game exits 0; nothing on stderr; the trace matches the
# generator's; every screen was reached; resident memory grew less than
# --max-growth-kb after the warm-up; the saved table is the generator's; no
# kill ever cost the table (tests/score_save_test.cpp, run with
# KESTREVAN_KILL_ROUNDS).
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
PASSES=1000000
KILLS=10000
BUILD="build"
BINARY=""
TESTS=""
SEED=1
SAMPLE_SECONDS=1
WARMUP_PERCENT=10
MAX_GROWTH_KB=1024
RSS_CHECK=auto
KEEP=0

usage() {
  cat <<'TXT'
usage: scripts/soak.sh [options]
  --passes N          main-loop passes of the session (default 1000000; 0 skips it)
  --kills N           rounds of the kill-while-saving test (default 10000; 0 skips it)
  --build DIR         plain build tree: core library for the generator, test binary (default build)
  --binary PATH       the game to soak (default DIR/kestrevan; e.g. build-asan/kestrevan)
  --tests PATH        the test binary for the kills (default DIR/kestrevan_tests)
  --seed N            seed of the random keys (default 1)
  --sample-seconds S  how often resident memory is read (default 1)
  --warmup-percent P  the first P % of the run is warm-up, at least 20,000 passes
                      (default 10; runs under 40,000 passes are not judged)
  --max-growth-kb K   allowed growth of resident memory after warm-up (default 1024)
  --rss-check MODE    on, off, or auto: off for a sanitized game, whose allocator
                      holds freed memory back on purpose (default auto)
  --keep              keep the scratch folder and say where it is
TXT
}

need_value() { [ $# -ge 2 ] || { echo "soak: $1 needs a value" >&2; exit 2; }; }
while [ $# -gt 0 ]; do
  case "$1" in
    --passes) need_value "$@"; PASSES="$2"; shift 2 ;;
    --kills) need_value "$@"; KILLS="$2"; shift 2 ;;
    --build) need_value "$@"; BUILD="$2"; shift 2 ;;
    --binary) need_value "$@"; BINARY="$2"; shift 2 ;;
    --tests) need_value "$@"; TESTS="$2"; shift 2 ;;
    --seed) need_value "$@"; SEED="$2"; shift 2 ;;
    --sample-seconds) need_value "$@"; SAMPLE_SECONDS="$2"; shift 2 ;;
    --warmup-percent) need_value "$@"; WARMUP_PERCENT="$2"; shift 2 ;;
    --max-growth-kb) need_value "$@"; MAX_GROWTH_KB="$2"; shift 2 ;;
    --rss-check) need_value "$@"; RSS_CHECK="$2"; shift 2 ;;
    --keep) KEEP=1; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "soak: unknown option '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
for n in "$PASSES" "$KILLS" "$SEED" "$WARMUP_PERCENT" "$MAX_GROWTH_KB"; do
  [[ "$n" =~ ^[0-9]+$ ]] || { echo "soak: '$n' is not a whole number" >&2; exit 2; }
done
[[ "$SAMPLE_SECONDS" =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "soak: '$SAMPLE_SECONDS' is not a number of seconds" >&2; exit 2; }
[ "$WARMUP_PERCENT" -lt 100 ] || { echo "soak: --warmup-percent must be below 100" >&2; exit 2; }
case "$RSS_CHECK" in on|off|auto) ;; *) echo "soak: --rss-check takes on, off or auto" >&2; exit 2 ;; esac

cd "$ROOT"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
[ -n "$BINARY" ] || BINARY="$BUILD/kestrevan"
[ -n "$TESTS" ] || TESTS="$BUILD/kestrevan_tests"
case "$BINARY" in /*) ;; *) BINARY="$ROOT/$BINARY" ;; esac
case "$TESTS" in /*) ;; *) TESTS="$ROOT/$TESTS" ;; esac
PROGRAM_FOLDER="$(dirname "$BINARY")"

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null

SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/kestrevan-soak.XXXXXX")"
CHILDREN=()
cleanup() {
  local pid
  for pid in "${CHILDREN[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ "$KEEP" -eq 1 ]; then echo "soak: scratch kept in $SCRATCH"; else rm -rf "$SCRATCH"; fi
}
trap cleanup EXIT
# Nothing of the user's may steer or receive anything: settings, scores and
# screenshots all stay in the scratch folder.
export XDG_CONFIG_HOME="$SCRATCH/config" XDG_DATA_HOME="$SCRATCH/xdg-data"
export XDG_PICTURES_DIR="$SCRATCH/pictures" HOME="$SCRATCH/home"
mkdir -p "$HOME"

FAILED=0
fail() { echo "soak: FAILED: $*" >&2; FAILED=1; }
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
SUMMARY=()

echo "soak: $(uptime)"

# ---- the session -----------------------------------------------------------
if [ "$PASSES" -gt 0 ]; then
  for f in "$BINARY" "$PROGRAM_FOLDER/hs.pak" "$PROGRAM_FOLDER/files"; do
    [ -e "$f" ] || { echo "soak: $f is missing: build the game first (make)" >&2; exit 1; }
  done

  SANITIZED=0
  if grep -aq '__asan_init' "$BINARY"; then SANITIZED=1; fi
  if [ "$SANITIZED" -eq 1 ]; then
    # As scripts/sanitize.sh runs it: the first report stops the game, and
    # leaks are counted at exit (with the same list of foreign ones).
    export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0}"
  fi
  if [ "$RSS_CHECK" = auto ]; then
    if [ "$SANITIZED" -eq 1 ]; then RSS_CHECK=off; else RSS_CHECK=on; fi
  fi

  # The generator: built by CMake when the tree has it, else compiled here
  # against the plain build's core library.
  GEN="$BUILD/soakgen"
  if [ ! -x "$GEN" ]; then
    [ -f "$BUILD/libkestrevan_core.a" ] || { echo "soak: $BUILD/libkestrevan_core.a is missing: build first (make)" >&2; exit 1; }
    GEN="$SCRATCH/soakgen"
    t0=$(now)
    "${CXX:-c++}" -std=c++20 -O2 -I "$ROOT/src" -I "$ROOT/tools" \
      "$ROOT"/tools/soakgen/main.cpp "$ROOT"/tools/testkit/*.cpp "$BUILD/libkestrevan_core.a" \
      -pthread -o "$GEN"
    echo "soak: built the key generator in $(seconds_since "$t0") s"
  fi

  # Traces go through pipes. The script holds each pipe open itself while
  # its writer runs, so a writer that dies before opening it cannot leave
  # the reader waiting forever.
  mkfifo "$SCRATCH/gen.fifo" "$SCRATCH/game.fifo" "$SCRATCH/game-copy.fifo"
  sha256sum <"$SCRATCH/gen.fifo" | cut -d' ' -f1 >"$SCRATCH/gen.sha" &
  CHILDREN+=($!); hash_pid=$!
  exec 7<>"$SCRATCH/gen.fifo"
  t0=$(now)
  gen_status=0
  "$GEN" --passes "$PASSES" --seed "$SEED" --opening "$ROOT/tests/golden/win.txt" \
    --program-folder "$PROGRAM_FOLDER" --data-dir "$SCRATCH/gen-data" \
    --script "$SCRATCH/soak.txt" --trace "$SCRATCH/gen.fifo" 7>&- >"$SCRATCH/gen.txt" || gen_status=$?
  exec 7>&-
  wait "$hash_pid"
  cat "$SCRATCH/gen.txt"
  [ "$gen_status" -eq 0 ] || { echo "soak: the key generator failed (status $gen_status)" >&2; exit 1; }
  echo "soak: wrote $PASSES passes of keys in $(seconds_since "$t0") s"

  # The game's trace is hashed and summed up on the fly (a million rows are
  # a quarter of a gigabyte): which screens came after which, and how each
  # round ended. Columns: 2 state, 10 Health, 28 RoundFinished.
  sha256sum <"$SCRATCH/game-copy.fifo" | cut -d' ' -f1 >"$SCRATCH/game.sha" &
  CHILDREN+=($!); game_hash_pid=$!
  tee "$SCRATCH/game-copy.fifo" <"$SCRATCH/game.fifo" | awk -F, '
    NR == 1 { next }
    {
      if (prev != "" && $2 != prev) {
        n[prev ">" $2]++
        if (prev == "game" && $2 == "menu") { if ($10 + 0 <= 0) crashes++; else gaveup++ }
        if (prev == "game" && $28 == 1) wins++
        if ($2 == "hs_getname") lastname = $1
      }
      prev = $2
      passes[$2]++
    }
    END {
      printf "menu>game %d\nwins %d\ncrashes %d\ngiven_up %d\n", n["menu>game"], wins, crashes, gaveup
      printf "names %d\ntable_after_flight %d\ntable_from_menu %d\ntable>menu %d\n",
        n["hs_getname>hs"], n["game>hs"] + n["hs_getname>hs"], n["menu>hs"], n["hs>menu"]
      printf "last_name_entry_pass %d\n", lastname
      for (s in passes) printf "passes_on_%s %d\n", s, passes[s]
    }' >"$SCRATCH/screens.txt" &
  CHILDREN+=($!); summary_pid=$!

  exec 8<>"$SCRATCH/game.fifo"
  t0=$(now)
  "$BINARY" --headless --input "$SCRATCH/soak.txt" --data-dir "$SCRATCH/data" \
    --trace "$SCRATCH/game.fifo" 8>&- 2>"$SCRATCH/stderr.txt" &
  game_pid=$!
  CHILDREN+=("$game_pid")
  # Resident memory, sampled while the game runs (an exited child stays a
  # zombie until waited for, so ask /proc for its state): seconds, kB.
  : >"$SCRATCH/rss.txt"
  while awk '/^State:/ { exit $2 == "Z" }' "/proc/$game_pid/status" 2>/dev/null; do
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null || true)
    [ -n "$rss" ] && echo "$(seconds_since "$t0") $rss" >>"$SCRATCH/rss.txt"
    sleep "$SAMPLE_SECONDS"
  done
  status=0
  wait "$game_pid" || status=$?
  exec 8>&-
  wait "$summary_pid" "$game_hash_pid" || true
  run_seconds=$(seconds_since "$t0")
  echo "soak: the game played $PASSES passes in $run_seconds s (exit status $status)"
  kind="plain"
  [ "$SANITIZED" -eq 0 ] || kind="sanitized"
  SUMMARY+=("session: $PASSES passes in $run_seconds s ($kind game)")

  [ "$status" -eq 0 ] || fail "the game exited with status $status"
  # The session provokes no complaint: every line on stderr is a fault.
  if [ -s "$SCRATCH/stderr.txt" ]; then
    fail "the game wrote to stderr ($(wc -l <"$SCRATCH/stderr.txt") lines); the first ones:"
    head -n 20 "$SCRATCH/stderr.txt" >&2
  fi
  if [ "$(cat "$SCRATCH/game.sha")" != "$(cat "$SCRATCH/gen.sha")" ]; then
    fail "the game's trace differs from the one the key generator saw (a replay is not exact)"
  fi

  sed 's/^/soak: screens: /' "$SCRATCH/screens.txt"
  get() { awk -v k="$1" '$1 == k { print $2 }' "$SCRATCH/screens.txt"; }
  # Coverage: a short run may not get round to everything; a real one must.
  for k in menu\>game wins crashes given_up names table_after_flight table_from_menu table\>menu; do
    if [ "$(get "$k")" = "" ] || [ "$(get "$k")" -eq 0 ]; then
      if [ "$PASSES" -ge 50000 ]; then fail "no '$k' in $PASSES passes"; else echo "soak: (no '$k' in so short a run)"; fi
    fi
  done

  # The table the game saved is the one the generator's session saved.
  "$BINARY" --print-scores --data-dir "$SCRATCH/data" >"$SCRATCH/table.txt" 2>&1 || true
  "$BINARY" --print-scores --data-dir "$SCRATCH/gen-data" >"$SCRATCH/gen-table.txt" 2>&1 || true
  if ! cmp -s "$SCRATCH/table.txt" "$SCRATCH/gen-table.txt"; then
    fail "the saved table differs from the generator's:"
    diff "$SCRATCH/gen-table.txt" "$SCRATCH/table.txt" >&2 || true
  fi
  sed 's/^/soak: table: /' "$SCRATCH/table.txt"

  # Memory: the highest reading of the warm-up against the highest after it.
  # The warm-up is the first --warmup-percent of the run, but never fewer
  # than the first 20,000 passes: the first crash, name entry and table
  # allocate for good, and a short run may not have met them sooner.
  warm_fraction=$(awk -v p="$WARMUP_PERCENT" -v n="$PASSES" 'BEGIN { f = p / 100; if (20000 / n > f) f = 20000 / n; print f }')
  read -r samples first warm_max after_max last < <(awk -v f="$warm_fraction" '
    { t[NR] = $1; r[NR] = $2 }
    END {
      if (NR == 0) { print 0, 0, 0, 0, 0; exit }
      end = t[NR] * f; wm = 0; am = 0
      for (i = 1; i <= NR; i++) if (t[i] <= end) { if (r[i] > wm) wm = r[i] } else if (r[i] > am) am = r[i]
      print NR, r[1], wm, am, r[NR]
    }' "$SCRATCH/rss.txt")
  growth=$((after_max - warm_max))
  echo "soak: memory: $samples samples; first $first kB, highest in warm-up $warm_max kB, highest after $after_max kB, last $last kB; growth $growth kB"
  SUMMARY+=("memory: warm-up high $warm_max kB, later high $after_max kB, growth $growth kB (limit $MAX_GROWTH_KB kB, check $RSS_CHECK)")
  if [ "$RSS_CHECK" = on ] && awk -v f="$warm_fraction" 'BEGIN { exit !(f > 0.5) }'; then
    echo "soak: memory not judged: a run of $PASSES passes is mostly warm-up (40,000 or more are needed)"
    RSS_CHECK="off (run too short)"
  fi
  if [ "$RSS_CHECK" = on ]; then
    if [ "$samples" -lt 10 ] || [ "$after_max" -eq 0 ]; then
      fail "too few memory samples ($samples) to judge growth: run longer"
    elif [ "$growth" -ge "$MAX_GROWTH_KB" ]; then
      fail "resident memory grew $growth kB after the warm-up (limit $MAX_GROWTH_KB kB)"
    fi
  fi
fi

# ---- kills during saves ----------------------------------------------------
if [ "$KILLS" -gt 0 ]; then
  [ -x "$TESTS" ] || { echo "soak: $TESTS is missing: build the tests first (make)" >&2; exit 1; }
  t0=$(now)
  if ! KESTREVAN_KILL_ROUNDS="$KILLS" "$TESTS" \
      --gtest_filter='ScoreSave.SurvivesBeingKilledAtAnyMomentOfASave' >"$SCRATCH/kills.txt" 2>&1; then
    cat "$SCRATCH/kills.txt" >&2
    fail "a kill during a save cost the table"
  fi
  grep -E 'rounds in|OK|FAILED' "$SCRATCH/kills.txt" | sed 's/^/soak: kills: /' || true
  SUMMARY+=("kills: $KILLS rounds in $(seconds_since "$t0") s")
fi

for line in "${SUMMARY[@]}"; do echo "soak: $line"; done
if [ "$FAILED" -ne 0 ]; then
  echo "soak: FAILED" >&2
  exit 1
fi
echo "soak: passed"
