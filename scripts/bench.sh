#!/usr/bin/env bash
# Runs every benchmark program of a build made with -DVXL_BENCH=ON (`make bench`):
# bash scripts/bench.sh build-release. TRACE_FLOOD_SECONDS shortens the flood (60 s by default).
set -euo pipefail
build=${1:-build-release}
status=0

echo "== trace flood"
"$build/bench/bench_trace_flood" "${TRACE_FLOOD_SECONDS:-60}" 2048 || status=1

for program in "$build"/bench/bench_*; do
    [ -x "$program" ] || continue
    [ "$(basename "$program")" = bench_trace_flood ] && continue
    echo "== $(basename "$program")"
    "$program" || status=1
done
exit $status
