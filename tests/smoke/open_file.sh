#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Files named on the command line of the real program in a fresh X server: a session is loaded
# in place of the remembered one (Start shows its times in the caption), a broken one is
# reported once and the program goes on with the remembered one, a library is used and kept.
# Prints how long the window took to come up with the session loaded.
# Usage: open_file.sh VELMORA SEND-CLOSE LIBRARY
set -euo pipefail

program=$(readlink -f "$1")
send_close=$(readlink -f "$2")
library=$(readlink -f "$3")

if [ -z "${OPEN_FILE_IN_X:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export OPEN_FILE_IN_X=1 OPEN_FILE_WORK="$work"
    status=0
    # -noreset: the server must not reset between the program's runs, when no client is left.
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$0" "$@" || status=$?
    exit "$status"
fi

work=$OPEN_FILE_WORK
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" # runs are journaled here, not in the user's data
export QT_QPA_PLATFORM=xcb
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
log="$work/velmora.log"
mkdir -p "$(dirname "$settings")"
printf '# remembered\n0:00 10.0\n1:00 10.0\n' >"$work/remembered.vsession"
printf '# five minutes\n0:00 12.0 volume=0\n2:30 10.0\n5:00 12.0\n' >"$work/five.vsession"
printf '0:00 10.0\n0:30 99.0\n' >"$work/broken.vsession"
# The photosensitivity warning was accepted before, so Start starts at once.
printf '[Options]\nWarningAccepted=1\nSessionFile=%s\n' "$work/remembered.vsession" >"$settings"

tag=open_file
# shellcheck source=program.sh
. "$(dirname "$(readlink -f "$0")")/program.sh"

close_program() {
    "$send_close" "$window" || fail "the close request could not be sent"
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program did not end after the close request"
    wait "$pid" || fail "the program ended with status $?"
}

# A session: the window comes up with it loaded, and Start follows it.
started=$(date +%s%N)
start_program "$work/five.vsession"
find_window
echo "open_file: the window with the session loaded came up after" \
    "$(( ($(date +%s%N) - started) / 1000000 )) ms"
grep -qx "SessionFile=$work/five.vsession" "$settings" ||
    fail "the session named on the command line is not the remembered one now"
eval "$(xdotool getwindowgeometry --shell "$window")"
click_start
caption=""
for _ in $(seq 1 100); do
    caption=$(xdotool getwindowname "$window")
    [[ "$caption" =~ ^Velmora\ Beta\ 2\.4\ -\ 0:0([0-9])\ elapsed,\ 4:5([0-9])\ left$ ]] && break
    sleep 0.1
done
[[ "$caption" =~ ^Velmora\ Beta\ 2\.4\ -\ 0:0([0-9])\ elapsed,\ 4:5([0-9])\ left$ ]] ||
    fail "the caption shows no five-minute session running: $caption"
[ $((BASH_REMATCH[1] + BASH_REMATCH[2])) -eq 10 ] || fail "the times do not add up: $caption"
close_program

# A broken session: one message box, then the window with the remembered session.
start_program "$work/broken.vsession"
box=""
for _ in $(seq 1 300); do
    box=$(xdotool search --onlyvisible --pid "$pid" --name '^velmora$' 2>/dev/null | head -n1 || true)
    [ -n "$box" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before it reported the broken file"
    sleep 0.1
done
[ -n "$box" ] || fail "no message box reported the broken session"
# Closed as its close button does, once it has settled (it may be mapped more than once).
sleep 1
box=$(xdotool search --onlyvisible --pid "$pid" --name '^velmora$' 2>/dev/null | head -n1 || true)
"$send_close" "$box" || fail "the message box could not be closed"
find_window
sleep 0.5
# A message box carries the program's name; the search finds the main window by its window
# class "velmora" too, so that one is left out.
boxes=$(xdotool search --onlyvisible --pid "$pid" --name '^velmora$' 2>/dev/null | grep -vx "$window" || true)
[ -z "$boxes" ] || fail "the broken session was reported more than once"
grep -qx "SessionFile=$work/five.vsession" "$settings" ||
    fail "the broken session replaced the remembered one"
close_program

# A library: used, and kept for the next start.
cp "$library" "$work/mine.zdl"
start_program "$work/mine.zdl"
find_window
sleep 0.5
boxes=$(xdotool search --onlyvisible --pid "$pid" --name '^velmora$' 2>/dev/null | grep -vx "$window" || true)
[ -z "$boxes" ] || fail "the library named on the command line was refused"
close_program
grep -qx "LibrName=$work/mine.zdl" "$settings" || fail "the library was not kept: $(cat "$settings")"
echo "open_file: passed"
