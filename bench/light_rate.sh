#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The light's rate as the X server shows it, for the real program: at frequencies where a
# whole-millisecond step would show (7.3, 17.3, 23.9 Hz), above the slider's end (30.0, 35.0 Hz)
# and at 25.0 Hz in a window filling a 1920x1080 screen. Prints the picture's steps per second
# against two a period of the frequency shown, the median step, the mean interval, its 99th
# percentile and the longest. Usage: light_rate.sh BUILD-DIR [SECONDS]   (a Release build)
set -uo pipefail
build=$(readlink -f "$1")
seconds=${2:-10}
here=$(dirname "$(readlink -f "$0")")
run() {
    "$here/../tests/smoke/light.sh" "$build/velmora" "$build/tests/smoke/velmora-light-watch" \
        "$@" 2>&1 | grep '^light:'
}
for frequency in 7.3 17.3 23.9 30.0 35.0; do
    run "$frequency" "$seconds"
done
run 25 "$seconds" 1920x1080
