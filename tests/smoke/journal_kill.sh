#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program in a fresh X server with fresh configuration and data folders, clicks
# Start, presses B twice, kills the program with SIGKILL and checks that the journal it leaves
# reads back as one run without an end, with both bookmarks, and is readable by its user alone.
# Usage: journal_kill.sh VELMORA JOURNAL-CHECK
set -euo pipefail

program=$(readlink -f "$1")
check=$(readlink -f "$2")

if [ -z "${JOURNAL_KILL_IN_X:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export JOURNAL_KILL_IN_X=1 JOURNAL_KILL_WORK="$work"
    status=0
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@" || status=$?
    exit "$status"
fi

work=$JOURNAL_KILL_WORK
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export QT_QPA_PLATFORM=xcb
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
journal="$XDG_DATA_HOME/velmora/journal.jsonl"
log="$work/velmora.log"
mkdir -p "$(dirname "$settings")"
printf '[Options]\nWarningAccepted=1\n' >"$settings"

tag=journal_kill
# shellcheck source=program.sh
. "$(dirname "$(readlink -f "$0")")/program.sh"
start_program
find_window
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
click_start
sleep 0.5
xdotool windowfocus --sync "$window" 2>/dev/null || true
for mark in 1 2; do
    xdotool key b
    # The second bookmark's line is the last event; wait until it is there.
    for _ in $(seq 1 50); do
        [ "$(grep -c '"ev":"mark"' "$journal" 2>/dev/null || true)" -ge "$mark" ] && break
        sleep 0.1
    done
done
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
trap - EXIT

[ -f "$journal" ] || fail "no journal at $journal"
cat "$journal"
read -r word length changes marks end skipped rest < <("$check" "$journal") ||
    fail "the journal reads back as no run"
[ "$word" = run ] || fail "the journal reads back as \"$word\""
[ "$marks" = 2 ] || fail "$marks bookmarks read back, not 2"
[ "$end" = none ] || fail "the killed run reads back as ended by $end"
[ "$skipped" = 0 ] || fail "$skipped lines skipped"
[ "$length" -gt 0 ] || fail "the run's length reads back as $length"
mode=$(stat -c %a "$journal")
[ "$mode" = 600 ] || fail "the journal's mode is $mode"
echo "journal_kill: passed ($length ms, $changes changes, $marks bookmarks)"
