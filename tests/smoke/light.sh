#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the real program in a fresh X server at a main frequency, Depth 7, clicks Start as a
# user would and watches the light as the server shows it: one row of the picture read back
# every quarter millisecond, every change timed (see LightWatch.c). Exits with the
# watcher's verdict: the picture's steps on the grid of two a period of the frequency shown,
# their median within 2.5 % of half a period.
# Usage: light.sh VELMORA LIGHT-WATCH [FREQUENCY-HZ|fresh [SECONDS [WIDTHxHEIGHT]]]
# The window keeps its default size unless a size is given; the screen is 1920x1080. The
# server's stand-in vblank runs at 1 Hz, slower than any display, so the picture follows its
# timer as it does where there is no vblank (paced_light.sh watches it paced by the frames).
set -euo pipefail

program=$(readlink -f "$1")
watch=$(readlink -f "$2")
frequency=${3:-25}
seconds=${4:-4}
size=${5:-}

if [ -z "${LIGHT_IN_X:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export LIGHT_IN_X=1 LIGHT_WORK="$work"
    status=0
    xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp -fakescreenfps 1" "$0" "$@" || status=$?
    exit "$status"
fi

work=$LIGHT_WORK
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" # runs are journaled here, not in the user's data
export QT_QPA_PLATFORM=xcb
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
log="$work/velmora.log"
mkdir -p "$(dirname "$settings")"
# The photosensitivity warning was accepted before, so Start starts at once. "fresh" starts
# with no frequency stored, as a new user's first run does: the box then shows 7.0 Hz.
if [ "$frequency" = fresh ]; then
    frequency=7.0
    printf '[Options]\nWarningAccepted=1\n[TMainForm]\nUpDown1_Position=7\n' >"$settings"
else
    slider=$(awk -v f="$frequency" 'BEGIN { v = int(f * 10 + 0.5); if (v > 250) v = 250; print v }')
    printf '[Options]\nWarningAccepted=1\n[TMainForm]\nFreqEdit_Value=%s\nRxSlider1_Value=%s\nTimer1_Interval=%s\nUpDown1_Position=7\n' \
        "$frequency" "$slider" "$((5000 / slider))" >"$settings"
fi
# Two steps a period of the frequency the box shows.
interval=$(awk -v f="$frequency" 'BEGIN { printf "%.6f", 500 / f }')

tag=light
# shellcheck source=program.sh
. "$(dirname "$(readlink -f "$0")")/program.sh"
start_program
find_window
if [ -n "$size" ]; then
    xdotool windowmove "$window" 0 0 windowsize --sync "$window" "${size%x*}" "${size#*x}"
fi
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"

click_start
sleep 1

echo "light: ${frequency} Hz, picture interval ${interval} ms, window ${WIDTH}x${HEIGHT}"
status=0
"$watch" "$window" 0 $(((HEIGHT - 144) / 2)) "$WIDTH" "$seconds" "$interval" || status=$?
kill -0 "$pid" 2>/dev/null || fail "the program ended during the run"
exit "$status"
