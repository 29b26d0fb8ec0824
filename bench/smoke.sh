#!/usr/bin/env bash
# A benchmark program run once with a tiny size by the test suite: it must end well and print
# its rows. Timings are not looked at.
output=$("$@")
status=$?
printf '%s\n' "$output"
if [ "$status" -ne 0 ]; then
    echo "smoke run failed: exit status $status"
    exit 1
fi
if ! grep -q '^RESULT |' <<<"$output"; then
    echo "smoke run failed: no RESULT row"
    exit 1
fi
