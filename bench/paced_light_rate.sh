#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The light paced by the display's frames against the light painted by its timer, for the
# real program in an X server whose stand-in vblank runs at FPS frames a second (60 unless
# given): at 7.3, 25.0 and 35.0 Hz, each run SECONDS long, prints per run the paints per
# second (the frames shown over the run's length), the frames shown late, dropped and shown
# with another picture than the one due when they began, the refresh measured, and the
# processor time the program and the X server took per second of run.
# Usage: paced_light_rate.sh BUILD-DIR [SECONDS [FPS]]   (a Release build)
set -uo pipefail
build=$(readlink -f "$1")
seconds=${2:-10}
fps=${3:-60}
program=$build/velmora
tag=paced_light_rate
work=$(mktemp -d)
log=$work/velmora.log

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -fakescreenfps "$fps" \
    3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 300); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
mkdir -p "$(dirname "$settings")"

# shellcheck source=../tests/smoke/program.sh
. "$(dirname "$(readlink -f "$0")")/../tests/smoke/program.sh"

# Clock ticks of processor time a process has taken.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

field() {
    grep '"ev":"end"' "$XDG_DATA_HOME"/velmora/*.jsonl | tail -n1 |
        sed -n "s/.*\"screen\":{[^}]*\"$1\":\"\{0,1\}\([^,\"}]*\).*/\1/p"
}
run_ms() {
    grep '"ev":"end"' "$XDG_DATA_HOME"/velmora/*.jsonl | tail -n1 | sed -n 's/.*"ms":\([0-9]*\).*/\1/p'
}

for frequency in 7.3 25.0 35.0; do
    for pacing in 1 0; do
        slider=$(awk -v f="$frequency" 'BEGIN { v = int(f * 10 + 0.5); if (v > 250) v = 250; print v }')
        printf '[Options]\nWarningAccepted=1\nFramePacing=%s\n[TMainForm]\nFreqEdit_Value=%s\nRxSlider1_Value=%s\nUpDown1_Position=7\n' \
            "$pacing" "$frequency" "$slider" >"$settings"
        start_program
        find_window
        sleep 1
        eval "$(xdotool getwindowgeometry --shell "$window")"
        click_start
        p0=$(ticks "$pid")
        x0=$(ticks "$xvfb")
        sleep "$seconds"
        p1=$(ticks "$pid")
        x1=$(ticks "$xvfb")
        click_start
        sleep 0.5
        cleanup
        trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
        hz=$(getconf CLK_TCK)
        ms=$(run_ms)
        shown=$(field shown)
        awk -v f="$frequency" -v p="$pacing" -v ms="$ms" -v shown="$shown" -v late="$(field late)" \
            -v dropped="$(field dropped)" -v nd="$(field not_due)" -v r="$(field refresh_hz)" \
            -v mode="$(field mode)" -v pc=$((p1 - p0)) -v xc=$((x1 - x0)) -v hz="$hz" \
            -v s="$seconds" -v fps="$fps" 'BEGIN {
                printf "%s: %s Hz, %s: %s; %.2f paints/s (%.4f of %s fps), %s late, %s dropped, " \
                    "%s not the one due, refresh %s Hz; CPU %.1f %% program, %.1f %% X server\n",
                    "'"$tag"'", f, p ? "paced" : "timer", mode, shown * 1000 / ms,
                    shown * 1000 / ms / fps, fps, late, dropped, nd, r, pc * 100 / hz / s,
                    xc * 100 / hz / s }'
    done
done
