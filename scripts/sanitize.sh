#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the whole test suite in it, the end-to-end tests included (they
# start the sanitized game). The first report of either stops the program that
# made it, so its test fails and ctest names it.
#
#   scripts/sanitize.sh                 build build-asan/ and run every test
#   scripts/sanitize.sh --tests Audio   only the tests whose name matches
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-asan"
JOBS=2
CTEST_JOBS=2
TEST_TIMEOUT=900
TEST_REGEX=""
CXX_CHOICE="${CXX:-c++}"

usage() {
  cat <<'TXT'
usage: scripts/sanitize.sh [options]
  --build DIR        build tree (default build-asan at the top of the repository)
  --jobs N           compile jobs (default 2)
  --ctest-jobs N     tests run at the same time (default 2)
  --timeout N        longest a single test may take, in seconds (default 900)
  --tests REGEX      only tests whose name matches (ctest -R)
  --clang            build with clang instead of the default compiler
TXT
}

while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD="$2"; shift 2 ;;
    --jobs) JOBS="$2"; shift 2 ;;
    --ctest-jobs) CTEST_JOBS="$2"; shift 2 ;;
    --timeout) TEST_TIMEOUT="$2"; shift 2 ;;
    --tests) TEST_REGEX="$2"; shift 2 ;;
    --clang) CXX_CHOICE=clang++; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "sanitize: unknown option '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
for n in "$JOBS" "$CTEST_JOBS" "$TEST_TIMEOUT"; do
  [[ "$n" =~ ^[0-9]+$ ]] || { echo "sanitize: '$n' is not a whole number" >&2; exit 2; }
done
case "$BUILD" in /*) ;; *) BUILD="$PWD/$BUILD" ;; esac

bash "$ROOT/scripts/install-deps.sh"
if [ "$CXX_CHOICE" = clang++ ] && ! command -v clang++ >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang
  else
    echo "sanitize: --clang needs clang (Debian: apt-get install clang)" >&2; exit 1
  fi
fi

# Every sanitized program the build and the tests start (the asset generator,
# the test binary, the game itself) stops at its first report with a stack.
# The sanitize preset sets the same for `ctest --preset sanitize`.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:print_stacktrace=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null

start=$(date +%s)
echo "sanitize: building in $BUILD with $CXX_CHOICE (the sanitize preset of CMakePresets.json)"
uptime
# The flags are the preset's: both sanitizers, undefined behaviour never
# recovered from (the first one aborts), and -O1, since the optimiser barely
# changes what the sanitizers see and the whole tree (the asset generator
# included) compiles markedly faster than at -O2.
cmake --preset sanitize -S "$ROOT" -B "$BUILD" -DCMAKE_CXX_COMPILER="$CXX_CHOICE" >/dev/null
if ! cmake --build "$BUILD" -j "$JOBS" >"$BUILD/sanitize-build.log" 2>&1; then
  tail -n 60 "$BUILD/sanitize-build.log" >&2
  echo "sanitize: build failed (log: $BUILD/sanitize-build.log)" >&2
  exit 1
fi
built=$(date +%s)
echo "sanitize: built in $((built - start)) s"

# The screen tests start X servers and, for one renderer, Mesa's GL on the
# CPU, whose JIT the sanitizers slow to a crawl and whose own allocations
# they report; what they check (the frame reaching the screen) is not about
# memory, and the code they run is covered here by its own tests.
ctest_args=(--test-dir "$BUILD" --output-on-failure -j "$CTEST_JOBS" --timeout "$TEST_TIMEOUT" -E '^Screen\.')
[ -n "$TEST_REGEX" ] && ctest_args+=(-R "$TEST_REGEX")
rc=0
ctest "${ctest_args[@]}" || rc=$?
echo "sanitize: tests took $(( $(date +%s) - built )) s, $(( $(date +%s) - start )) s in all"
if [ "$rc" -ne 0 ]; then
  echo "sanitize: FAILED: see the sanitizer report above the failing test's name" >&2
  exit "$rc"
fi
echo "sanitize: the whole suite passed under AddressSanitizer and UndefinedBehaviorSanitizer"
