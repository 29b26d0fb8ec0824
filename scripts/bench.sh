#!/usr/bin/env bash
# Runs every benchmark program of a build (`make bench`): bash scripts/bench.sh build-release
set -euo pipefail
build=${1:-build-release}
status=0
for program in "$build"/bench/bench_*; do
    [ -x "$program" ] || continue
    echo "== $(basename "$program")"
    "$program" || status=1
done
exit $status
