#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs ctest tests that start real servers (sound servers, weston, Xvfb) again and again while
# two busy loops load the machine, and counts the passes. The output of every failing run is
# kept in LOG-DIR. Usage: server_tests_under_load.sh BUILD-DIR RUNS LOG-DIR TEST...
# e.g. server_tests_under_load.sh build/asan 20 /tmp/runs soundserver pipewire pipewire_pulse
set -uo pipefail
build=$(readlink -f "$1")
runs=$2
logs=$3
shift 3
mkdir -p "$logs"

load=()
stop_load() {
    for pid in "${load[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
trap stop_load EXIT
for _ in 1 2; do
    sh -c 'while :; do :; done' &
    load+=($!)
done

for test in "$@"; do
    passed=0
    for run in $(seq 1 "$runs"); do
        if ctest --test-dir "$build" -R "^${test}\$" --output-on-failure >"$logs/$test-$run.log" 2>&1; then
            passed=$((passed + 1))
            rm -f "$logs/$test-$run.log"
        fi
    done
    echo "$test: $passed of $runs passed"
done
