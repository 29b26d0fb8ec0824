#!/usr/bin/env bash
# Runs a group of tests again and again while other processes keep every core busy, and stops at
# the first failure: bash scripts/soak.sh BUILD [PASSES] [REGEX] [LOADERS].
# By default the operations and emulator tests, 20 passes, `ctest -j2`, two busy loops.
set -uo pipefail
build=${1:-build}
passes=${2:-20}
regex=${3:-'^(core_operations_|sim_emulator)'}
loaders=${4:-2}

pids=()
stop_load() { [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null; }
trap stop_load EXIT
for _ in $(seq "$loaders"); do
    yes >/dev/null &
    pids+=($!)
done

for pass in $(seq "$passes"); do
    start=$(date +%s)
    if ! (cd "$build" && ctest -j2 -R "$regex" --output-on-failure >"soak-$pass.log" 2>&1); then
        echo "pass $pass of $passes FAILED (see $build/soak-$pass.log)"
        grep -E "FAIL|Failed|Timeout" "$build/soak-$pass.log" | head -20
        exit 1
    fi
    echo "pass $pass of $passes: $(grep -Eo '[0-9]+ tests passed|tests passed, [0-9]+ tests failed out of [0-9]+' "$build/soak-$pass.log" | tail -1), $(( $(date +%s) - start )) s"
    rm -f "$build/soak-$pass.log"
done
echo "$passes passes in a row"
