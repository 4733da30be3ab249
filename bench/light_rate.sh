#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The light's rate as the X server shows it, for the real program: at 25.0 and 7.0 Hz, in the
# default window and in a window filling a 1920x1080 screen. Prints the picture's steps per
# second against those due, the mean interval against the picture interval, its 99th
# percentile and the longest. Usage: light_rate.sh BUILD-DIR [SECONDS]   (a Release build)
set -uo pipefail
build=$(readlink -f "$1")
seconds=${2:-10}
here=$(dirname "$(readlink -f "$0")")
for frequency in 25 7; do
    for size in "" 1920x1080; do
        "$here/../tests/smoke/light.sh" "$build/velmora" "$build/tests/smoke/velmora-light-watch" \
            "$frequency" "$seconds" $size 2>&1 | grep '^light:'
    done
done
