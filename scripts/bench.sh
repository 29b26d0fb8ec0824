#!/usr/bin/env bash
# Runs every benchmark program of a build made with -DVXL_BENCH=ON (`make bench`) and writes their
# rows (the lines starting with "RESULT |": figure, reference from the same run, ratio, goal)
# with the machine and the command into bench/RESULTS.md:
#   bash scripts/bench.sh build-release
# TRACE_FLOOD_SECONDS shortens the flood (60 s by default); RESULTS writes the table elsewhere.
set -uo pipefail
build=${1:-build-release}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
results=${RESULTS:-$source_dir/bench/RESULTS.md}
flood_seconds=${TRACE_FLOOD_SECONDS:-60}
log=$build/bench.log
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
: >"$log"
status=0

run() {
    echo "== $(basename "$1") ${*:2}" | tee -a "$log"
    "$@" 2>&1 | tee -a "$log" || status=1
}

run "$build/bench/bench_micro"
run "$build/bench/bench_module_read"
run "$build/bench/bench_trace_flood" "$flood_seconds" 2048
run "$build/bench/bench_pacing"
run "$build/bench/bench_startup"
run "$build/bench/bench_rack"

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
{
    echo "# Benchmark results"
    echo
    echo "Written by \`make bench\` (scripts/bench.sh $build, trace flood $flood_seconds s);"
    echo "each figure beside its reference measured in the same run, with its goal and whether the"
    echo "run met it (\"—\": a figure for information). Rates and times of the micro"
    echo "benchmarks (bench_micro) count the measuring thread's processor time, which a busy machine"
    echo "disturbs less, except where a row says wall time; the other programs measure wall time."
    echo
    echo "- machine: $(nproc) cores, ${cpu_model:-unknown processor}, Linux $(uname -r)"
    echo "- load average (1, 5, 15 min) before the run: $load_before; after it: $load_after"
    echo "  (other work on the same processors slows both sides of a row; the ratios against the"
    echo "  same run's references are what count)"
    echo "- commit: $(git -C "$source_dir" rev-parse --short HEAD 2>/dev/null || echo unknown), $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo
    echo "| figure | measured | reference (same run) | ratio | goal | |"
    echo "|---|---|---|---|---|---|"
    grep -a '^RESULT |' "$log" | sed 's/^RESULT //'
} >"$results"
echo "== results in $results"
cat "$results"
exit $status
