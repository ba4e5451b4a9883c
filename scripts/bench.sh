#!/usr/bin/env bash
# Kestrevan's figures, one command: logic throughput and headless frame cost
# (Google Benchmark), start-up time, and paced play under Xvfb, in a 640x480
# window and full screen at 1920x1080, next to the Debian game moon-lander
# measured the same way in the same run. Prints a table of the goals, each
# met or missed, and writes it, with the machine it came from, to
# bench/results.md.
#
#   bash scripts/bench.sh [--build DIR] [--seconds N] [--warmup N] [--frames N]
#                         [--startup-runs N] [--renderers "default opengl"]
#                         [--no-paced] [--no-full-screen] [--no-wm] [--no-peer]
#                         [--results FILE]
#
# --seconds is the length of each paced measurement (20), --warmup what is
# skipped before it (2), --frames the frames timed per rendering benchmark
# (1000), --renderers the SDL render drivers our paced runs try ("default" is
# what a player gets). Full screen runs under openbox, as on a desktop;
# --no-wm runs it without a window manager (the game then covers the screen
# with a borderless window of its own). The build folder must hold a built
# game (make does it).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
SECONDS_PACED=20
WARMUP=2
FRAMES=1000
STARTUP_RUNS=20
RENDERERS="default opengl"
PACED=1
FULL=1
WM=1
PEER=1
RESULTS="$ROOT/bench/results.md"
INNER=""
INNER_STAGE=""
FULL_SIZE="1920x1080"

while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD="$(cd "$2" && pwd)"; shift 2 ;;
    --seconds) SECONDS_PACED="$2"; shift 2 ;;
    --warmup) WARMUP="$2"; shift 2 ;;
    --frames) FRAMES="$2"; shift 2 ;;
    --startup-runs) STARTUP_RUNS="$2"; shift 2 ;;
    --renderers) RENDERERS="$2"; shift 2 ;;
    --no-paced) PACED=0; shift ;;
    --no-full-screen) FULL=0; shift ;;
    --no-wm) WM=0; shift ;;
    --no-peer) PEER=0; shift ;;
    --results) RESULTS="$2"; shift 2 ;;
    # internal: the stages run inside xvfb-run, "window" or "full"
    --inner-paced) INNER="$2"; INNER_STAGE="$3"; shift 3 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
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

# Where a process's visible window is and how big, as "WxH+X+Y" ("none"
# when it has none): full screen is only full screen if it covers it.
window_geometry() {
  local wid
  wid=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1 || true)
  [ -n "$wid" ] || { echo none; return; }
  xdotool getwindowgeometry --shell "$wid" 2>/dev/null |
    awk -F= '{ v[$1] = $2 } END { printf "%sx%s+%s+%s\n", v["WIDTH"], v["HEIGHT"], v["X"], v["Y"] }'
}

# One paced run of our game: "menu" or "flight", in a "window" or "full"
# screen, with a render driver. Prints
# "cpu rss fps jitter_p99 frames window_geometry".
paced_ours() {
  local what=$1 place=$2 driver=$3 tag="$1-$2-$3" args=() pid
  local log="$SCRATCH/frames-$tag.log"
  args=(--frame-log "$log" --data-dir "$SCRATCH/data-$tag")
  if [ "$place" = full ]; then args+=(--fullscreen); else args+=(--windowed); fi
  [ "$what" = flight ] && args+=(--input "$ROOT/tests/golden/win.txt")
  if [ "$driver" = default ]; then
    env -u SDL_RENDER_DRIVER ALSOFT_DRIVERS=null "$GAME" "${args[@]}" >/dev/null 2>"$SCRATCH/ours-$tag.err" &
  else
    SDL_RENDER_DRIVER="$driver" ALSOFT_DRIVERS=null "$GAME" "${args[@]}" >/dev/null 2>"$SCRATCH/ours-$tag.err" &
  fi
  pid=$!
  # The logo wait is start-up, not play: the clock starts at the first menu frame.
  sleep 1.2
  local usage geometry
  usage=$(measure_process "$pid") || { stop_process "$pid"; cat "$SCRATCH/ours-$tag.err" >&2; return 1; }
  geometry=$(window_geometry "$pid")
  stop_process "$pid"
  # The first line is the logo; the paced frames start at the second.
  tail -n +2 "$log" > "$log.paced"
  echo "$usage $(frame_figures "$log.paced") $geometry"
}

# The peer on its title screen and in play. SDL 1.2 sometimes cannot open the
# display at its first try, so its start is retried; without a window manager
# the keyboard focus follows the pointer, so the pointer goes into its window
# before any key.
peer_run() {
  local pid="" wid=""
  for _ in 1 2 3 4 5 6; do
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

# openbox on the display, back once it has announced itself as the window
# manager (the very property the game looks for before asking it for full
# screen). Prints its pid.
start_wm() {
  openbox --sm-disable >"$SCRATCH/openbox.log" 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
      echo "$pid"; return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  stop_process "$pid"
  return 1
}

# Our runs for one stage; a run that fails leaves a "fail" line, so the table
# shows it instead of a row of zeros that would pass for a cheap game.
ours_rows() {
  local place=$1 driver what figures
  for driver in $RENDERERS; do
    for what in menu flight; do
      if figures=$(paced_ours "$what" "$place" "$driver"); then
        echo "ours $place $what $driver $figures" >>"$SCRATCH/paced.txt"
      else
        echo "fail $place $what $driver" >>"$SCRATCH/paced.txt"
      fi
    done
  done
}

if [ -n "$INNER" ]; then
  SCRATCH="$INNER"
  case "$INNER_STAGE" in
    window)
      ours_rows window
      if [ "$PEER" = 1 ]; then
        if figures=$(peer_run); then echo "peer $figures" >>"$SCRATCH/paced.txt"; fi
      fi
      ;;
    full)
      wm_pid=""
      if [ "$WM" = 1 ] && command -v openbox >/dev/null 2>&1; then
        if wm_pid=$(start_wm); then echo openbox >"$SCRATCH/wm.txt"
        else echo "bench: openbox did not start; full screen without a window manager" >&2; fi
      fi
      [ -s "$SCRATCH/wm.txt" ] || echo none >"$SCRATCH/wm.txt"
      ours_rows full
      [ -z "$wm_pid" ] || stop_process "$wm_pid"
      ;;
    *) echo "bench: unknown inner stage $INNER_STAGE" >&2; exit 2 ;;
  esac
  exit 0
fi

# ---- the outer run ----------------------------------------------------------

RUN_START=$(now_ns)
# What the figures cannot do without, and what they can (openbox: without it
# full screen runs with no window manager and the results say so). Like the
# peer, these are the bench's own needs, installed here rather than by
# scripts/install-deps.sh for every player.
need=(libbenchmark-dev)
optional=()
[ "$PACED" = 1 ] && need+=(xvfb xauth xdotool x11-utils)
[ "$PACED" = 1 ] && [ "$PEER" = 1 ] && need+=(moon-lander)
[ "$PACED" = 1 ] && [ "$FULL" = 1 ] && [ "$WM" = 1 ] && optional+=(openbox)
not_installed() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
# apt-get install, and once more after an update when the package lists are
# stale or missing (a fresh container has none).
apt_install() {
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "bench: installing $*" >&2
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" >&2 && return 0
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2 &&
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" >&2
}
mapfile -t missing < <(not_installed "${need[@]}")
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
mapfile -t missing < <(not_installed "${optional[@]}")
if [ ${#missing[@]} -gt 0 ] && ! apt_install "${missing[@]}"; then
  echo "bench: could not install ${missing[*]}; carrying on without" >&2
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
benchmark_failed=0
grep -q ',true,' "$SCRATCH/bench.csv" && benchmark_failed=1
for b in BM_LogicThroughput BM_RenderQuietFrame BM_RenderCrashFrame; do
  grep -q "^\"$b/" "$SCRATCH/bench.csv" || benchmark_failed=1
done
if [ "$benchmark_failed" = 1 ]; then
  echo "bench: a benchmark failed:" >&2; cat "$SCRATCH/bench.csv" >&2; exit 1
fi
PASSES_PER_S=$(csv_field BM_LogicThroughput items_per_second)
QUIET_MED=$(csv_field BM_RenderQuietFrame median_ms)
QUIET_P99=$(csv_field BM_RenderQuietFrame p99_ms)
QUIET_PARTICLES=$(csv_field BM_RenderQuietFrame particles)
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

: >"$SCRATCH/paced.txt"
if [ "$PACED" = 1 ]; then
  echo "bench: start-up in a window under Xvfb ..." >&2
  xvfb-run -a -s "-screen 0 640x480x24" env ALSOFT_DRIVERS=null "$BUILD/bench/startup_probe" \
    "$STARTUP_RUNS" "$SCRATCH/wstart.log" -- "$GAME" --windowed --frames 1 \
    --frame-log "$SCRATCH/wstart.log" --data-dir "$SCRATCH/data-wstart" >"$SCRATCH/wstartup.txt"
  WLOGO_MS=$(awk '{print $1}' "$SCRATCH/wstartup.txt" | median)
  read -r -a renderer_list <<<"$RENDERERS"
  runs=$(( ${#renderer_list[@]} * 2 * (1 + FULL) + PEER * 2 ))
  echo "bench: paced play under Xvfb, $runs measurements (about $(( runs * (SECONDS_PACED + WARMUP + 2) )) s) ..." >&2
  inner=(--build "$BUILD" --seconds "$SECONDS_PACED" --warmup "$WARMUP" --renderers "$RENDERERS")
  [ "$PEER" = 1 ] || inner+=(--no-peer)
  [ "$WM" = 1 ] || inner+=(--no-wm)
  xvfb-run -a -s "-screen 0 640x480x24" bash "$0" --inner-paced "$SCRATCH" window "${inner[@]}"
  if [ "$FULL" = 1 ]; then
    xvfb-run -a -s "-screen 0 ${FULL_SIZE}x24" bash "$0" --inner-paced "$SCRATCH" full "${inner[@]}"
  fi
fi
LOAD_AFTER="$(uptime | sed 's/.*load average: //')"
RUN_SECONDS=$(( ($(now_ns) - RUN_START) / 1000000000 ))

# ---- the table ---------------------------------------------------------------

verdict() { awk -v v="$1" -v goal="$2" -v op="$3" 'BEGIN {
  ok = (op == "<") ? (v + 0 < goal + 0) : (op == "<=") ? (v + 0 <= goal + 0) : (op == "=") ? (v == goal) : (v + 0 >= goal + 0)
  print ok ? "met" : "missed" }'; }
fmt() { awk -v v="$1" -v d="${2:-2}" 'BEGIN { printf "%.*f", d, v }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
times() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a * b }'; }

read -r _ PT_CPU PT_RSS PP_CPU PP_RSS < <(grep '^peer ' "$SCRATCH/paced.txt" || echo "peer 0 0 0 0")
HAVE_PEER=0
awk -v c="$PT_CPU" 'BEGIN { exit !(c > 0) }' && HAVE_PEER=1
WM_USED="$(cat "$SCRATCH/wm.txt" 2>/dev/null || echo none)"

# " (peer X unit, ratio R)" when the peer was measured in this run.
beside_peer() {
  [ "$HAVE_PEER" = 1 ] || return 0
  echo " (peer $(fmt "$2" 1) $3, ratio $(ratio "$1" "$2"))"
}

# The rows of one place ("window" or "full") from the paced runs.
paced_rows() {
  local place=$1 kind where what driver cpu rss fps jitter frames geometry
  while read -r kind where what driver cpu rss fps jitter frames geometry; do
    [ "$where" = "$place" ] || continue
    if [ "$place" = window ]; then scene="Window 640x480"; else scene="Full screen $FULL_SIZE"; fi
    label="$scene, paced $what (renderer $driver, ${SECONDS_PACED} s)"
    # In a window the goals are for what a player gets (the default
    # renderer), another is measured for comparison; full screen holds
    # every renderer to them.
    judge() { if [ "$place" = full ] || [ "$driver" = default ]; then verdict "$@"; else echo "for comparison"; fi; }
    if [ "$kind" = fail ]; then
      echo "| $label | failed: the game ended or never started (see the bench's error output) | | $(judge 0 1 ">=") |"
      continue
    fi
    if [ "$what" = menu ]; then peer_cpu=$PT_CPU; peer_rss=$PT_RSS; peer_scene="title screen"
    else peer_cpu=$PP_CPU; peer_rss=$PP_RSS; peer_scene="in play"; fi
    if [ "$place" = full ]; then
      echo "| $label: window | $geometry | ${FULL_SIZE}+0+0 | $(judge "$geometry" "${FULL_SIZE}+0+0" "=") |"
    fi
    echo "| $label: frame rate | $(fmt "$fps") fps ($frames frames) | 60.0 | $(judge "$(fmt "$fps" 1)" 60.0 ">=") |"
    echo "| $label: interval jitter p99 (distance from 16.67 ms) | $(fmt "$jitter") ms | < 2 ms | $(judge "$jitter" 2 "<") |"
    if [ "$place" = window ]; then rss_goal=36; else rss_goal=64; fi
    echo "| $label: peak RSS | $(fmt "$rss" 1) MB$(beside_peer "$rss" "$peer_rss" MB) | < $rss_goal MB | $(judge "$rss" "$rss_goal" "<") |"
    if [ "$place" = window ]; then share=0.5; cpu_goal="≤ 0.5 × peer $peer_scene"
    else share=1; cpu_goal="≤ peer $peer_scene"; fi
    if [ "$HAVE_PEER" = 1 ]; then
      cpu_goal="$cpu_goal ($(times "$share" "$peer_cpu") %)"
      cpu_verdict=$(judge "$cpu" "$(times "$share" "$peer_cpu")" "<=")
    else
      cpu_verdict="no peer measured"
    fi
    echo "| $label: CPU of the game process | $(fmt "$cpu" 1) % of a core$(beside_peer "$cpu" "$peer_cpu" %) | $cpu_goal | $cpu_verdict |"
  done < <(grep -E '^(ours|fail) ' "$SCRATCH/paced.txt")
}

{
  echo "# Kestrevan benchmark results"
  echo
  echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- Machine: $(nproc) cores, $(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo), kernel $(uname -r)"
  echo "- Load average before / after: $LOAD_BEFORE / $LOAD_AFTER"
  echo "- Build: $BUILD ($(awk -F= '/^CMAKE_BUILD_TYPE:/ {print $2}' "$BUILD/CMakeCache.txt" 2>/dev/null))"
  echo "- Bench run: ${RUN_SECONDS} s ($([ "$PACED" = 1 ] && echo "paced measurements of ${SECONDS_PACED} s after ${WARMUP} s, ")${FRAMES} timed frames per rendering benchmark, ${STARTUP_RUNS} launch(es) per start-up figure)"
  echo
  echo "| Figure | Measured | Goal | |"
  echo "|---|---|---|---|"
  echo "| Logic throughput (winning replay looped, quiet engine, one core; median of 5 runs) | $(fmt "$PASSES_PER_S" 0) passes/s | ≥ 500000 | $(verdict "$PASSES_PER_S" 500000 ">=") |"
  echo "| Headless frame, quiet ($(fmt "$QUIET_PARTICLES" 0) particles): median / p99 | $(fmt "$QUIET_MED") / $(fmt "$QUIET_P99") ms | | |"
  echo "| Headless frame, heaviest crash frame ($(fmt "$HEAVY_PARTICLES" 0) particles): median / p99 | $(fmt "$HEAVY_MED") / $(fmt "$HEAVY_P99") ms | median < 1.5 ms | $(verdict "$HEAVY_MED" 1.5 "<") |"
  echo "| Start-up, headless: launch → logo frame | $(fmt "$LOGO_MS" 1) ms | < 100 ms | $(verdict "$LOGO_MS" 100 "<") |"
  echo "| Start-up, headless: launch → end of loading (first menu frame, no logo wait) | $(fmt "$LOADED_MS" 1) ms | < 300 ms | $(verdict "$LOADED_MS" 300 "<") |"
  echo "| Start-up, headless: whole process of \`--headless --frames 1\` | $(fmt "$EXIT_MS" 1) ms | | |"
  if [ "$PACED" = 1 ]; then
    echo "| Start-up, window under Xvfb: launch → logo presented | $(fmt "$WLOGO_MS" 1) ms | < 100 ms | $(verdict "$WLOGO_MS" 100 "<") |"
    if [ "$HAVE_PEER" = 1 ]; then
      echo "| Peer (moon-lander), window 640x480, title screen: CPU / peak RSS | $(fmt "$PT_CPU" 1) % of a core / $(fmt "$PT_RSS" 1) MB | | |"
      echo "| Peer (moon-lander), window 640x480, in play: CPU / peak RSS | $(fmt "$PP_CPU" 1) % of a core / $(fmt "$PP_RSS" 1) MB | | |"
    elif [ "$PEER" = 1 ]; then
      echo "| Peer (moon-lander) | failed to run (see the bench's error output) | | |"
    fi
    paced_rows window
    paced_rows full
    echo
    if [ "$PEER" = 1 ]; then
      echo "Peer: Debian's moon-lander (SDL 1.2, \`SDL_AUDIODRIVER=dummy\`) in its 640x480 window, title screen and in play (Return, then the main thruster in short bursts), measured the same way in the same run: CPU over ${SECONDS_PACED} s after ${WARMUP} s, peak RSS from /proc. It has no full-screen mode (no command-line options, and it always asks SDL for a window), so our full screen is held to the figures of its window. Ours runs with sound on (\`ALSOFT_DRIVERS=null\`: OpenAL mixes into nothing); the flight is the winning golden replay at 60 Hz."
      echo
    fi
    if [ "$FULL" = 1 ]; then
      if [ "$WM_USED" = openbox ]; then
        echo "Full screen: Xvfb screen ${FULL_SIZE}x24 with openbox as window manager, as on a desktop; the game asks it for full screen. (Without a window manager the game covers the screen with a borderless window of its own instead; \`--no-wm\` measures that.) The window row is where the game's window ended up and how big."
      else
        echo "Full screen: Xvfb screen ${FULL_SIZE}x24 with no window manager$([ "$WM" = 1 ] && echo " (openbox was not available)"): the game covers the screen with a borderless window of its own. A desktop player has a window manager, which the game asks for full screen instead. The window row is where the game's window ended up and how big."
      fi
      echo
    fi
    if compgen -G '/dev/dri/renderD*' >/dev/null || [ -e /dev/nvidia0 ]; then gpu="a GPU render node, so \`default\` here is SDL's GPU renderer"
    else gpu="no GPU, so \`default\` here is the game's own scaling"; fi
    echo "Renderers: the game composites every frame into one 640x480 picture, then only scales it into the window (linear filtering, the default \`Smooth=True\`). \`default\` is what a player gets: SDL's GPU renderer where there is a GPU; without one, the game scales the frame itself straight into the window's pixels, with no SDL renderer and no GL loaded. This machine has $gpu. \`opengl\` is forced with \`SDL_RENDER_DRIVER\`; without a GPU Mesa draws it on the CPU (llvmpipe), so its figures then say little about a player's machine. Each start-up launch follows a 0.5 s rest, as a player's launch follows no other; back to back, the previous game's teardown (its memory returned, its window taken down by the X server) adds 20–40 ms on this 2-core machine."
  fi
} >"$SCRATCH/results.md"

cat "$SCRATCH/results.md"
mkdir -p "$(dirname "$RESULTS")"
cp "$SCRATCH/results.md" "$RESULTS"
echo "bench: written $RESULTS (the run took ${RUN_SECONDS} s)" >&2
