#!/usr/bin/env bash
# Kestrevan's figures, one command: logic throughput and headless frame cost
# (Google Benchmark), start-up time, and paced play under Xvfb next to the
# Debian game moon-lander measured the same way in the same run. Prints a
# table and writes it, with the machine it came from, to bench/results.md.
#
#   bash scripts/bench.sh [--build DIR] [--seconds N] [--warmup N] [--frames N]
#                         [--startup-runs N] [--renderers "default opengl"]
#                         [--no-paced] [--no-peer] [--results FILE]
#
# --seconds is the length of each paced measurement (20), --warmup what is
# skipped before it (2), --frames the frames timed per rendering benchmark
# (1000), --renderers the SDL render drivers our paced runs try ("default" is
# what a player gets). The build folder must hold a built game (make does it).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
SECONDS_PACED=20
WARMUP=2
FRAMES=1000
STARTUP_RUNS=20
RENDERERS="default opengl"
PACED=1
PEER=1
RESULTS="$ROOT/bench/results.md"
INNER=""

while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD="$(cd "$2" && pwd)"; shift 2 ;;
    --seconds) SECONDS_PACED="$2"; shift 2 ;;
    --warmup) WARMUP="$2"; shift 2 ;;
    --frames) FRAMES="$2"; shift 2 ;;
    --startup-runs) STARTUP_RUNS="$2"; shift 2 ;;
    --renderers) RENDERERS="$2"; shift 2 ;;
    --no-paced) PACED=0; shift ;;
    --no-peer) PEER=0; shift ;;
    --results) RESULTS="$2"; shift 2 ;;
    --inner-paced) INNER="$2"; shift 2 ;;  # internal: the part run inside xvfb-run
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "bench: unknown option $1" >&2; exit 2 ;;
  esac
done

for n in "$SECONDS_PACED" "$WARMUP" "$FRAMES" "$STARTUP_RUNS"; do
  case "$n" in ''|*[!0-9]*) echo "bench: durations and counts are whole numbers" >&2; exit 2 ;; esac
done

GAME="$BUILD/kestrevan"
HZ="$(getconf CLK_TCK)"

# ---- measuring one process under the X server ------------------------------

# CPU ticks (user + system) of a process, from /proc.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Peak resident set in kB.
peak_rss_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
now_ns() { date +%s%N; }

# Waits WARMUP seconds, then measures CPU over SECONDS_PACED; prints
# "cpu_percent peak_rss_mb". The process keeps running.
measure_process() {
  local pid=$1 t0 t1 c0 c1
  sleep "$WARMUP"
  t0=$(now_ns); c0=$(cpu_ticks "$pid")
  sleep "$SECONDS_PACED"
  t1=$(now_ns); c1=$(cpu_ticks "$pid")
  kill -0 "$pid" 2>/dev/null || { echo "bench: process $pid ended during its measurement" >&2; return 1; }
  awk -v c="$((c1 - c0))" -v hz="$HZ" -v ns="$((t1 - t0))" -v rss="$(peak_rss_kb "$pid")" \
    'BEGIN { printf "%.1f %.1f\n", 100 * c / hz / (ns / 1e9), rss / 1024 }'
}

stop_process() {
  local pid=$1
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# Frame rate and interval jitter from a frame log (one steady-clock ns a
# line), over the presents after the warm-up: "fps jitter_p99_ms frames".
frame_figures() {
  awk -v warm="$WARMUP" -v span="$SECONDS_PACED" '
    NR == 1 { first = $1 }
    { t = ($1 - first) / 1e9; if (t >= warm && t <= warm + span) keep[n++] = $1 }
    END {
      if (n < 2) { print "0 0 0"; exit }
      fps = (n - 1) / ((keep[n - 1] - keep[0]) / 1e9)
      for (i = 1; i < n; i++) { d = (keep[i] - keep[i - 1]) / 1e6 - 1000 / 60; dev[i - 1] = d < 0 ? -d : d }
      m = n - 1
      # insertion sort is plenty for a few thousand intervals
      for (i = 1; i < m; i++) { v = dev[i]; j = i - 1; while (j >= 0 && dev[j] > v) { dev[j + 1] = dev[j]; j-- } dev[j + 1] = v }
      idx = int(0.99 * m); if (idx >= m) idx = m - 1
      printf "%.2f %.2f %d\n", fps, dev[idx], n
    }' "$1"
}

# One paced run of our game: "menu" or "flight" with a render driver.
paced_ours() {
  local what=$1 driver=$2 log="$SCRATCH/frames-$1-$2.log" args=() pid
  args=(--windowed --frame-log "$log" --data-dir "$SCRATCH/data-$what-$driver")
  [ "$what" = flight ] && args+=(--input "$ROOT/tests/golden/win.txt")
  if [ "$driver" = default ]; then
    env -u SDL_RENDER_DRIVER ALSOFT_DRIVERS=null "$GAME" "${args[@]}" >/dev/null 2>"$SCRATCH/ours-$what-$driver.err" &
  else
    SDL_RENDER_DRIVER="$driver" ALSOFT_DRIVERS=null "$GAME" "${args[@]}" >/dev/null 2>"$SCRATCH/ours-$what-$driver.err" &
  fi
  pid=$!
  # The logo wait is start-up, not play: the clock starts at the first menu frame.
  sleep 1.2
  local usage
  usage=$(measure_process "$pid") || { stop_process "$pid"; cat "$SCRATCH/ours-$what-$driver.err" >&2; return 1; }
  stop_process "$pid"
  # The first line is the logo; the paced frames start at the second.
  tail -n +2 "$log" > "$log.paced"
  echo "$usage $(frame_figures "$log.paced")"
}

# The peer on its title screen and in play. SDL 1.2 sometimes cannot open the
# display at its first try, so its start is retried; without a window manager
# the keyboard focus follows the pointer, so the pointer goes into its window
# before any key.
peer_run() {
  local pid="" wid="" try
  for try in 1 2 3 4 5 6; do
    SDL_AUDIODRIVER=dummy /usr/games/moon-lander >"$SCRATCH/peer.out" 2>&1 &
    pid=$!
    for _ in $(seq 25); do
      sleep 0.2
      wid=$(xdotool search --pid "$pid" 2>/dev/null | head -1 || true)
      [ -n "$wid" ] && break
    done
    if [ -n "$wid" ] && kill -0 "$pid" 2>/dev/null; then break; fi
    stop_process "$pid"; wid=""
  done
  [ -n "$wid" ] || { echo "bench: moon-lander would not start" >&2; return 1; }
  local title play
  title=$(measure_process "$pid") || return 1
  xdotool mousemove --window "$wid" 100 100
  sleep 0.3
  xdotool keydown Return; sleep 0.2; xdotool keyup Return
  # In play: short bursts of the main thruster keep the ship flying (and
  # the game drawing its flight) for most of the measurement.
  ( while kill -0 "$pid" 2>/dev/null; do
      xdotool keydown Up; sleep 0.25; xdotool keyup Up; sleep 0.35
    done ) >/dev/null 2>&1 &
  local pulses=$!
  play=$(measure_process "$pid") || { kill "$pulses" 2>/dev/null; return 1; }
  kill "$pulses" 2>/dev/null || true
  wait "$pulses" 2>/dev/null || true
  stop_process "$pid"
  echo "$title $play"
}

if [ -n "$INNER" ]; then
  SCRATCH="$INNER"
  for driver in $RENDERERS; do
    echo "ours menu $driver $(paced_ours menu "$driver")" >>"$SCRATCH/paced.txt"
    echo "ours flight $driver $(paced_ours flight "$driver")" >>"$SCRATCH/paced.txt"
  done
  if [ "$PEER" = 1 ]; then
    echo "peer $(peer_run)" >>"$SCRATCH/paced.txt"
  fi
  exit 0
fi

# ---- the outer run ----------------------------------------------------------

need=(libbenchmark-dev)
[ "$PACED" = 1 ] && need+=(xvfb xauth xdotool)
[ "$PACED" = 1 ] && [ "$PEER" = 1 ] && need+=(moon-lander)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "bench: installing ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

[ -x "$GAME" ] || { echo "bench: no game at $GAME (run make first)" >&2; exit 1; }
cmake --build "$BUILD" --target kestrevan kestrevan_bench startup_probe -j 2 >/dev/null

SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/kestrevan-bench.XXXXXX")"
trap 'rm -rf "$SCRATCH"' EXIT
LOAD_BEFORE="$(uptime | sed 's/.*load average: //')"

echo "bench: logic and rendering benchmarks ..." >&2
# One core: the game's loop is single-threaded, and pinning keeps the
# scheduler from moving it mid-measurement.
# Two runs: Google Benchmark's CSV wants the same counters in every row.
# Throughput is the median of five 2-second runs, so one moment of a busy
# neighbour on a shared machine does not decide it; the frame timings are
# medians and percentiles of their own.
for group in Logic Render; do
  repeat=()
  [ "$group" = Logic ] && repeat=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null KESTREVAN_BENCH_FRAMES="$FRAMES" \
    taskset -c "$(($(nproc) - 1))" "$BUILD/bench/kestrevan_bench" --benchmark_format=csv \
    --benchmark_filter="$group" "${repeat[@]}" >"$SCRATCH/bench-$group.csv" 2>"$SCRATCH/bench.err" ||
    { cat "$SCRATCH/bench.err" >&2; exit 1; }
done
# Of the aggregate rows only the median stays, under the benchmark's name.
grep -vE '_(mean|stddev|cv)"' "$SCRATCH/bench-Logic.csv" | sed 's/_median"/"/' >"$SCRATCH/bench.csv"
cat "$SCRATCH/bench-Render.csv" >>"$SCRATCH/bench.csv"

# A column of one benchmark's CSV row, by the column's name.
csv_field() {
  awk -F, -v name="\"$1/" -v col="$2" '
    /^name,/ { delete idx; for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); idx[h] = i }; next }
    index($1, name) == 1 { print $(idx[col]) }' "$SCRATCH/bench.csv"
}
if grep -q ',true,' "$SCRATCH/bench.csv" || [ "$(grep -c '^"BM_' "$SCRATCH/bench.csv")" -lt 5 ]; then
  echo "bench: a benchmark failed:" >&2; cat "$SCRATCH/bench.csv" >&2; exit 1
fi
PASSES_PER_S=$(csv_field BM_LogicThroughput items_per_second)
QUIET_MED=$(csv_field BM_RenderQuietFrame median_ms)
QUIET_P99=$(csv_field BM_RenderQuietFrame p99_ms)
HEAVY_MED=$(csv_field BM_RenderCrashFrame median_ms)
HEAVY_P99=$(csv_field BM_RenderCrashFrame p99_ms)
HEAVY_PARTICLES=$(csv_field BM_RenderCrashFrame particles)

echo "bench: start-up ($STARTUP_RUNS launches) ..." >&2
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
SDL_VIDEODRIVER=dummy ALSOFT_DRIVERS=null "$BUILD/bench/startup_probe" "$STARTUP_RUNS" "$SCRATCH/start.log" -- \
  "$GAME" --headless --frames 1 --frame-log "$SCRATCH/start.log" --data-dir "$SCRATCH/data-start" \
  >"$SCRATCH/startup.txt"
LOGO_MS=$(awk '{print $1}' "$SCRATCH/startup.txt" | median)
LOADED_MS=$(awk '{print $2}' "$SCRATCH/startup.txt" | median)
EXIT_MS=$(awk '{print $3}' "$SCRATCH/startup.txt" | median)

if [ "$PACED" = 1 ]; then
  echo "bench: start-up in a window under Xvfb ..." >&2
  xvfb-run -a -s "-screen 0 640x480x24" env ALSOFT_DRIVERS=null "$BUILD/bench/startup_probe" \
    "$STARTUP_RUNS" "$SCRATCH/wstart.log" -- "$GAME" --windowed --frames 1 \
    --frame-log "$SCRATCH/wstart.log" --data-dir "$SCRATCH/data-wstart" >"$SCRATCH/wstartup.txt"
  WLOGO_MS=$(awk '{print $1}' "$SCRATCH/wstartup.txt" | median)
  read -r -a renderer_list <<<"$RENDERERS"
  runs=$(( ${#renderer_list[@]} * 2 + PEER * 2 ))
  echo "bench: paced play under Xvfb, $runs measurements (about $(( runs * (SECONDS_PACED + WARMUP + 2) )) s) ..." >&2
  : >"$SCRATCH/paced.txt"
  xvfb-run -a -s "-screen 0 640x480x24" bash "$0" --inner-paced "$SCRATCH" --build "$BUILD" \
    --seconds "$SECONDS_PACED" --warmup "$WARMUP" --renderers "$RENDERERS" \
    $([ "$PEER" = 1 ] || echo --no-peer)
fi
LOAD_AFTER="$(uptime | sed 's/.*load average: //')"

# ---- the table ---------------------------------------------------------------

verdict() { awk -v v="$1" -v goal="$2" -v op="$3" 'BEGIN {
  ok = (op == "<") ? (v + 0 < goal + 0) : (op == "<=") ? (v + 0 <= goal + 0) : (v + 0 >= goal + 0)
  print ok ? "met" : "NOT met" }'; }
fmt() { awk -v v="$1" -v d="${2:-2}" 'BEGIN { printf "%.*f", d, v }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }

{
  echo "# Kestrevan benchmark results"
  echo
  echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- Machine: $(nproc) cores, $(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo), kernel $(uname -r)"
  echo "- Load average before / after: $LOAD_BEFORE / $LOAD_AFTER"
  echo "- Build: $BUILD ($(awk -F= '/^CMAKE_BUILD_TYPE:/ {print $2}' "$BUILD/CMakeCache.txt" 2>/dev/null))"
  echo
  echo "| Figure | Measured | Goal | |"
  echo "|---|---|---|---|"
  echo "| Logic throughput (winning replay looped, null engine, one core; median of 5 runs) | $(fmt "$PASSES_PER_S" 0) passes/s | ≥ 500000 | $(verdict "$PASSES_PER_S" 500000 ">=") |"
  echo "| Headless frame, quiet: median / p99 | $(fmt "$QUIET_MED") / $(fmt "$QUIET_P99") ms | | |"
  echo "| Headless frame, heaviest crash frame ($(fmt "$HEAVY_PARTICLES" 0) particles): median / p99 | $(fmt "$HEAVY_MED") / $(fmt "$HEAVY_P99") ms | < 4 ms | $(verdict "$HEAVY_P99" 4 "<") |"
  echo "| Start-up, headless: launch → logo frame | $(fmt "$LOGO_MS" 1) ms | < 100 ms | $(verdict "$LOGO_MS" 100 "<") |"
  echo "| Start-up, headless: launch → end of loading (first menu frame, no logo wait) | $(fmt "$LOADED_MS" 1) ms | < 300 ms | $(verdict "$LOADED_MS" 300 "<") |"
  echo "| Start-up, headless: whole process of \`--headless --frames 1\` | $(fmt "$EXIT_MS" 1) ms | | |"
  if [ "$PACED" = 1 ]; then
    echo "| Start-up, window under Xvfb: launch → logo presented | $(fmt "$WLOGO_MS" 1) ms | < 100 ms | $(verdict "$WLOGO_MS" 100 "<") |"
    read -r _ PT_CPU PT_RSS PP_CPU PP_RSS < <(grep '^peer ' "$SCRATCH/paced.txt" || echo "peer 0 0 0 0")
    while read -r _ what driver cpu rss fps jitter frames; do
      [ -n "$what" ] || continue
      if [ "$what" = menu ]; then peer_cpu=$PT_CPU; peer_rss=$PT_RSS; else peer_cpu=$PP_CPU; peer_rss=$PP_RSS; fi
      label="Paced $what (${SECONDS_PACED} s, renderer $driver)"
      # The goals are for what a player gets in a window (the default);
      # another renderer is measured for comparison only.
      judge() { if [ "$driver" = default ]; then verdict "$@"; else echo "for comparison"; fi; }
      echo "| $label: frame rate | $(fmt "$fps") fps ($frames frames) | 60.0 | $(judge "$(fmt "$fps" 1)" 60.0 ">=") |"
      echo "| $label: interval jitter p99 (distance from 16.67 ms) | $(fmt "$jitter") ms | < 2 ms | $(judge "$jitter" 2 "<") |"
      echo "| $label: peak RSS | $(fmt "$rss" 1) MB (peer $(fmt "$peer_rss" 1) MB, ratio $(ratio "$rss" "$peer_rss")) | < 64 MB | $(judge "$rss" 64 "<") |"
      if [ "$what" = flight ]; then cpu_goal="≤ peer in flight"; cpu_verdict=$(judge "$cpu" "$peer_cpu" "<="); else cpu_goal=""; cpu_verdict=""; fi
      echo "| $label: CPU of the game process | $(fmt "$cpu" 1) % of a core (peer $(fmt "$peer_cpu" 1) %, ratio $(ratio "$cpu" "$peer_cpu")) | $cpu_goal | $cpu_verdict |"
    done < <(grep '^ours ' "$SCRATCH/paced.txt")
    echo
    echo "Peer: Debian's moon-lander (SDL 1.2, \`SDL_AUDIODRIVER=dummy\`), title screen and in play (Return, then the main thruster in short bursts), measured the same way: CPU over ${SECONDS_PACED} s after ${WARMUP} s, peak RSS from /proc. Ours runs with sound on (\`ALSOFT_DRIVERS=null\`: OpenAL mixes into nothing); the flight is the winning golden replay at 60 Hz."
    echo
    echo "A window draws with SDL's software renderer (the default); \`opengl\` is what full screen uses, here drawn on the CPU by Mesa's llvmpipe since this machine has no GPU, so its figures say little about a player's machine. Each start-up launch follows a 0.5 s rest, as a player's launch follows no other; back to back, the previous game's teardown (its memory returned, its window taken down by the X server) adds 20–40 ms on this 2-core machine."
  fi
} >"$SCRATCH/results.md"

cat "$SCRATCH/results.md"
mkdir -p "$(dirname "$RESULTS")"
cp "$SCRATCH/results.md" "$RESULTS"
echo "bench: written $RESULTS" >&2
