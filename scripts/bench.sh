#!/usr/bin/env bash
# Runs the benchmarks of a build made with -DVXL_BENCH=ON: scripts/bench.sh <build folder>.
# TRACE_FLOOD_SECONDS shortens the flood (60 s by default).
set -euo pipefail
build=${1:-build-release}

echo "== trace flood"
"$build/bench/bench_trace_flood" "${TRACE_FLOOD_SECONDS:-60}" 2048
