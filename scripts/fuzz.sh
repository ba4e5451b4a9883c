#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each one on its seeds until it has
# made --runs executions or spent --seconds, whichever comes first. Any
# crash, leak, hang or out-of-memory fails the run and names the input that
# caused it; to replay one: build-fuzz/<target> <artifact>.
#
#   scripts/fuzz.sh                      10 million executions a target (1 h cap each)
#   scripts/fuzz.sh --seconds 30 --runs 0   the CI run: 30 s a target
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-fuzz"
SECONDS_EACH=3600
RUNS=10000000
JOBS=2
PARALLEL=1
RSS_LIMIT_MB=2048
TIMEOUT_S=10
TARGETS=()

usage() {
  cat <<'TXT'
usage: scripts/fuzz.sh [options]
  --seconds N       longest run of each target in seconds (default 3600)
  --runs N          stop a target after N executions; 0 = only the time limit
                    (default 10000000)
  --targets A,B     which targets (default: every fuzz/*_fuzz.cpp), e.g. wav_fuzz,dds_fuzz
  --build DIR       build tree (default build-fuzz at the top of the repository)
  --jobs N          compile jobs (default 2)
  --parallel N      targets fuzzed at the same time (default 1)
  --rss-limit-mb N  memory ceiling of a target, also its largest single allocation (default 2048)
  --timeout N       seconds one input may take before it counts as a hang (default 10)
TXT
}

while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SECONDS_EACH="$2"; shift 2 ;;
    --runs) RUNS="$2"; shift 2 ;;
    --targets) IFS=',' read -r -a TARGETS <<<"$2"; shift 2 ;;
    --build) BUILD="$2"; shift 2 ;;
    --jobs) JOBS="$2"; shift 2 ;;
    --parallel) PARALLEL="$2"; shift 2 ;;
    --rss-limit-mb) RSS_LIMIT_MB="$2"; shift 2 ;;
    --timeout) TIMEOUT_S="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "fuzz: unknown option '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
for n in "$SECONDS_EACH" "$RUNS" "$JOBS" "$PARALLEL" "$RSS_LIMIT_MB" "$TIMEOUT_S"; do
  [[ "$n" =~ ^[0-9]+$ ]] || { echo "fuzz: '$n' is not a whole number" >&2; exit 2; }
done
[ "$PARALLEL" -ge 1 ] || PARALLEL=1
case "$BUILD" in /*) ;; *) BUILD="$PWD/$BUILD" ;; esac

if [ ${#TARGETS[@]} -eq 0 ]; then
  for src in "$ROOT"/fuzz/*_fuzz.cpp; do TARGETS+=("$(basename "$src" .cpp)"); done
fi

# The longest input worth trying: room for every header and a little data,
# but small enough to keep each execution quick. The text formats are read
# line by line, so a kilobyte of lines reaches every rule; the bigger the
# input, the fewer executions a second.
max_len_for() {
  case "$1" in
    dds_fuzz|wav_fuzz) echo 8192 ;;
    hs_pak_fuzz) echo 2048 ;;
    *) echo 1024 ;;
  esac
}

# clang with its libFuzzer runtime: Debian ships the runtime in
# libclang-rt-<version>-dev, which the clang package pulls in.
can_build_fuzzers() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local probe
  probe="$(mktemp -d)"
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$probe/probe.cpp"
  if clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1; then
    rm -rf "$probe"; return 0
  fi
  rm -rf "$probe"; return 1
}
if ! can_build_fuzzers; then
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
    echo "fuzz: installing clang"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libclang-rt-dev
  elif command -v sudo >/dev/null 2>&1 && command -v apt-get >/dev/null 2>&1; then
    sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libclang-rt-dev
  fi
  can_build_fuzzers || { echo "fuzz: need clang with libFuzzer (Debian: apt-get install clang libclang-rt-dev)" >&2; exit 1; }
fi

echo "fuzz: building ${TARGETS[*]} in $BUILD"
build_start=$(date +%s)
cmake --preset fuzz -S "$ROOT" -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target "${TARGETS[@]}" >"$BUILD/fuzz-build.log" 2>&1 || {
  tail -n 40 "$BUILD/fuzz-build.log" >&2
  echo "fuzz: build failed (log: $BUILD/fuzz-build.log)" >&2
  exit 1
}
echo "fuzz: built in $(( $(date +%s) - build_start )) s"

# Every report stops the target at once with a stack, and leaks count.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:print_stacktrace=1:symbolize=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:symbolize=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
# The WAV target reaches SDL's loader, which must find no audio device.
export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy

mkdir -p "$BUILD/logs"
run_target() {
  local t="$1"
  local work="$BUILD/corpus/$t" artifacts="$BUILD/artifacts/$t" log="$BUILD/logs/$t.log"
  local seeds="$ROOT/fuzz/corpus/${t%_fuzz}"
  mkdir -p "$work" "$artifacts"
  local args=(-max_len="$(max_len_for "$t")" -rss_limit_mb="$RSS_LIMIT_MB" -timeout="$TIMEOUT_S"
    -max_total_time="$SECONDS_EACH" -artifact_prefix="$artifacts/" -print_final_stats=1)
  [ "$RUNS" -gt 0 ] && args+=(-runs="$RUNS")
  [ -f "$ROOT/fuzz/${t%_fuzz}.dict" ] && args+=(-dict="$ROOT/fuzz/${t%_fuzz}.dict")
  local dirs=("$work")
  [ -d "$seeds" ] && dirs+=("$seeds")
  local start rc=0
  start=$(date +%s.%N)
  "$BUILD/$t" "${args[@]}" "${dirs[@]}" >"$log" 2>&1 || rc=$?
  local elapsed
  elapsed=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')
  local execs
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  [ -n "$execs" ] || execs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  [ -n "$execs" ] || execs=0
  local rate
  rate=$(awk -v n="$execs" -v s="$elapsed" 'BEGIN { printf "%d", (s > 0 ? n / s : 0) }')
  local verdict="ok"
  if [ "$rc" -ne 0 ]; then
    local artifact
    artifact=$(grep -o 'Test unit written to [^ ]*' "$log" | tail -n 1 | sed 's/Test unit written to //' || true)
    local kind
    kind=$(grep -oE 'ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer): [a-z-]+|runtime error: .*|ERROR: libFuzzer: [a-z-]+' "$log" | head -n 1 || true)
    verdict="FAILED (exit $rc${kind:+, $kind}) artifact: ${artifact:-none written}, log: $log"
  fi
  printf '%-20s %12s execs %8s s %9s exec/s  %s\n' "$t" "$execs" "$elapsed" "$rate" "$verdict" \
    >"$BUILD/logs/$t.summary"
  cat "$BUILD/logs/$t.summary"
}

echo "fuzz: each target runs up to $SECONDS_EACH s$([ "$RUNS" -gt 0 ] && echo " or $RUNS executions"), $PARALLEL at a time; logs in $BUILD/logs"
uptime
running=0
for t in "${TARGETS[@]}"; do
  [ -x "$BUILD/$t" ] || { echo "fuzz: no target $t" >&2; exit 1; }
  rm -f "$BUILD/logs/$t.summary"
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$PARALLEL" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true

echo
echo "fuzz: summary"
failed=0
for t in "${TARGETS[@]}"; do
  if [ -f "$BUILD/logs/$t.summary" ]; then
    cat "$BUILD/logs/$t.summary"
    grep -q ' ok$' "$BUILD/logs/$t.summary" || failed=1
  else
    echo "$t: no result"; failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "fuzz: FAILED: a target found a crash, leak, hang or out-of-memory" >&2
  exit 1
fi
echo "fuzz: no crash, leak, hang or out-of-memory"
