#!/usr/bin/env sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the program in a fresh X server while the sound server's stream events are
# watched; once its window is visible, prints how many playback streams were opened and
# closed so far. Usage: program_start.sh VELMORA (PULSE_SERVER names the server).
set -eu
program=$(readlink -f "$1")
if [ -z "${PROGRAM_START_IN_X:-}" ]; then
    export PROGRAM_START_IN_X=1
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh "$0" "$@"
fi
work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb
export XDG_DATA_HOME="$work/data" # runs are journaled here, not in the user's data
pactl load-module module-null-sink sink_name=probe >"$work/probe"
stdbuf -oL pactl subscribe >"$work/events" &
watcher=$!
# The watcher is listening once it reports a change of its own.
for _ in $(seq 1 200); do
    pactl set-sink-volume probe 50%
    grep -q "on sink" "$work/events" && break
    sleep 0.05
done
(cd "$(dirname "$program")" && exec "$program") >"$work/program.log" 2>&1 &
pid=$!
status=0
timeout 120 xdotool search --sync --onlyvisible --name '^Velmora Beta 2\.4$' >/dev/null || status=$?
cp "$work/events" "$work/seen"
kill -9 "$pid" "$watcher" 2>/dev/null || true
wait "$pid" "$watcher" 2>/dev/null || true
pactl unload-module "$(cat "$work/probe")" || true
if [ "$status" -ne 0 ]; then
    cat "$work/program.log" >&2
    rm -rf "$work"
    exit 1
fi
opened=$(grep -c "'new' on sink-input" "$work/seen" || true)
closed=$(grep -c "'remove' on sink-input" "$work/seen" || true)
echo "$opened $closed"
rm -rf "$work"
