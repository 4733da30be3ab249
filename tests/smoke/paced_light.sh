#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The light paced by the display's frames: the real program at 25.0 Hz in an X server whose
# stand-in vblank runs at FPS frames a second, Start clicked as a user would, the picture
# watched against the server's frames (FrameWatch.c), the run stopped, its frame statistics
# read from the journal. Checks that
#   - the run was synchronised and measured the refresh within 1 %;
#   - the picture changed about twice a period, twice within one frame only where the
#     program counted a frame late or, rarely, where the server took a paint in late, and
#     mostly in the first half of a frame (it is painted when the frame begins, not when a
#     timer fires);
#   - a second run whose every tenth paint is held for two frames counts each of them late,
#     and ends cleanly when its window closes in the middle of it.
# At FPS 1, slower than any display, there is no vblank to follow: the run is unsynchronised,
# shows no frame of its own and measures no refresh (light.sh watches its timer's light).
# Usage: paced_light.sh VELMORA FRAME-WATCH FPS [SECONDS]
set -euo pipefail

program=$(readlink -f "$1")
watch=$(readlink -f "$2")
fps=$3
seconds=${4:-4}

if [ -z "${PACED_IN_X:-}" ]; then
    work=$(mktemp -d)
    # The server picks a free display itself and tells it once it takes connections, so that
    # servers started at the same moment by other tests never meet on one display.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -fakescreenfps "$fps" \
        3>"$work/display" 2>"$work/xvfb.log" &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
    for _ in $(seq 300); do
        [ -s "$work/display" ] && break
        kill -0 $xvfb 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "paced_light: no X server" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$work/display")" PACED_IN_X=1 PACED_WORK="$work"
    status=0
    "$0" "$@" || status=$?
    exit "$status"
fi

work=$PACED_WORK
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data"
export QT_QPA_PLATFORM=xcb
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
log="$work/velmora.log"
mkdir -p "$(dirname "$settings")"
printf '[Options]\nWarningAccepted=1\n[TMainForm]\nFreqEdit_Value=25\nRxSlider1_Value=250\nUpDown1_Position=7\n' \
    >"$settings"

tag=paced_light
# shellcheck source=program.sh
. "$(dirname "$(readlink -f "$0")")/program.sh"

# The field of the journal's last run end: "screen":{... "NAME":VALUE ...}.
frames_field() {
    grep '"ev":"end"' "$XDG_DATA_HOME"/velmora/*.jsonl | tail -n1 |
        sed -n "s/.*\"screen\":{[^}]*\"$1\":\"\{0,1\}\([^,\"}]*\).*/\1/p"
}

# One run: starts the program, clicks Start, lets the light run (watched when asked), clicks
# Stop and ends the program.
one_run() {
    start_program
    find_window
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$window")"
    click_start
    sleep 1
    if [ "${1:-}" = watch ]; then
        "$watch" "$window" 0 $(((HEIGHT - 144) / 2)) "$WIDTH" "$seconds" >"$work/watch.txt" ||
            fail "the watcher failed"
    else
        sleep "$seconds"
    fi
    kill -0 "$pid" 2>/dev/null || fail "the program ended during the run"
    # Stopped by the button, or the window closed (by a quit signal) in the middle of the run.
    if [ "${1:-}" != close ]; then
        click_start
        sleep 0.5
    fi
    cleanup
    trap - EXIT
    ! grep -q -E "AddressSanitizer|runtime error" "$log" || fail "the sanitizers reported"
}

if [ "$fps" = 1 ]; then
    one_run
    mode=$(frames_field mode)
    echo "$tag: no vblank: $mode, $(frames_field shown) frames shown," \
        "refresh $(frames_field refresh_hz) Hz, clock $(frames_field clock)"
    [ "$mode" = unsynchronised ] || fail "the run was $mode"
    [ "$(frames_field shown)" = 0 ] || fail "frames counted shown"
    [ "$(frames_field refresh_hz)" = 0 ] || fail "a refresh measured"
    [ "$(frames_field clock)" = timer ] || fail "the clock is not the timer"
    echo "$tag: ok"
    exit 0
fi

one_run watch
read -r _ frames _ period _ median _ changes _ doubled _ early _ late_seen _ boundary _ readings \
    <"$work/watch.txt"
mode=$(frames_field mode)
refresh=$(frames_field refresh_hz)
shown=$(frames_field shown)
late=$(frames_field late)
echo "$tag: ${fps} fps: watched $frames frames (period ${period} us, median ${median} us)," \
    "$readings readings, $changes changes ($boundary at a frame's start), $doubled frames with two," \
    "$early early, $late_seen late"
echo "$tag: the program: $mode, refresh $refresh Hz, $shown frames shown, $late late"
[ "$mode" = synchronised ] || fail "the run was $mode"
awk -v r="$refresh" -v f="$fps" 'BEGIN { exit !(r > f * 0.99 && r < f * 1.01) }' ||
    fail "refresh $refresh Hz measured for $fps"
# Two steps a period at 25 Hz, at least half of them seen.
[ "$changes" -ge $((50 * seconds / 2)) ] || fail "only $changes changes in $seconds s"
# A paint the program finished in time but the server took in only after the next frame
# began (on a busy machine) looks like a late one: at most one frame in ten besides those.
[ "$doubled" -le $((late + changes / 10)) ] ||
    fail "$doubled frames changed twice, $late counted late, $changes changes"
[ $((early * 10)) -ge $(((early + late_seen) * 8)) ] ||
    fail "$late_seen of $((early + late_seen)) changes came in the second half of their frame"

# Every tenth paint held for two frames: each of them is late. This run ends with its window.
export VELMORA_TEST_SLOW_FRAMES=10
one_run close
grep '"ev":"end"' "$XDG_DATA_HOME"/velmora/*.jsonl | tail -n1 | grep -q '"reason":"signal"' ||
    fail "the run did not end with its window"
shown=$(frames_field shown)
late=$(frames_field late)
echo "$tag: every tenth paint slowed: $shown frames shown, $late late"
[ "$shown" -ge 20 ] || fail "only $shown frames shown"
[ "$late" -ge $((shown / 10)) ] || fail "$late late of $shown, every tenth slowed"
echo "$tag: ok"
