#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program in a fresh X server with a fresh configuration directory holding only
# a turned-up Depth knob, clicks Start through the server as a user would, checks that the
# picture changes between two screenshots, asks the window to close and checks that the
# settings file holds both sections. Usage: smoke.sh VELMORA SEND-CLOSE
# With SMOKE_KEEP set to a directory, the screenshots are copied there.
set -euo pipefail

program=$(readlink -f "$1")
send_close=$(readlink -f "$2")

if [ -z "${SMOKE_IN_X:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export SMOKE_IN_X=1 SMOKE_WORK="$work"
    status=0
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@" || status=$?
    exit "$status"
fi

work=$SMOKE_WORK
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" # runs are journaled here, not in the user's data
export QT_QPA_PLATFORM=xcb
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
log="$work/velmora.log"
mkdir -p "$(dirname "$settings")"
# The photosensitivity warning was accepted before, so Start starts at once.
printf '[Options]\nWarningAccepted=1\n[TMainForm]\nUpDown1_Position=7\n' >"$settings"

tag=smoke
# shellcheck source=program.sh
. "$(dirname "$(readlink -f "$0")")/program.sh"
start_program
find_window
sleep 1

eval "$(xdotool getwindowgeometry --shell "$window")"
echo "smoke: window $window at $X,$Y size ${WIDTH}x${HEIGHT}"

# The picture: all but the lower area, which is 144 pixels high.
shot() { import -window root -crop "${WIDTH}x$((HEIGHT - 144))+${X}+${Y}" "$1"; }
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$work/window.png"
# The pointer leaves the button, so that its hover look is no difference between the screenshots.
click_start
sleep 0.5

shot "$work/a.png"
sleep 0.7
shot "$work/b.png"
differing=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
echo "smoke: $differing pixels of the picture changed between the screenshots"
if [ -n "${SMOKE_KEEP:-}" ]; then cp "$work"/*.png "$SMOKE_KEEP"/; fi
[[ "$differing" =~ ^[0-9]+$ ]] || fail "compare gave no pixel count: $differing"
[ "$differing" -gt 0 ] || fail "the picture did not change after Start"

"$send_close" "$window" || fail "the close request could not be sent"
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after the close request"
status=0
wait "$pid" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || fail "the program ended with status $status"

[ -f "$settings" ] || fail "no settings file at $settings"
grep -q '^\[Options\]' "$settings" || fail "the settings file has no [Options] section"
grep -q '^\[TMainForm\]' "$settings" || fail "the settings file has no [TMainForm] section"
grep -q '^UpDown1_Position=7' "$settings" || fail "the Depth knob's value was not saved"
echo "smoke: passed"
