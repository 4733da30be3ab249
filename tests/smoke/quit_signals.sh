#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program in a fresh X server, once for each of SIGTERM, SIGINT and SIGHUP,
# with a fresh configuration directory holding only a turned-up Depth knob; once its window is
# up, sends the signal and checks that the program ends by itself with status 0 within five
# seconds and that the settings were saved as a close does. Twice more with SIGTERM while a
# message box about a broken session waits for an answer, before the main window has appeared:
# one named on the command line, and one remembered from the last run (reported while the
# window is being made). Usage: quit_signals.sh VELMORA
set -euo pipefail

program=$(readlink -f "$1")

if [ -z "${QUIT_SIGNALS_IN_X:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export QUIT_SIGNALS_IN_X=1 QUIT_SIGNALS_WORK="$work"
    status=0
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@" || status=$?
    exit "$status"
fi

# Background jobs of a script without job control would start with SIGINT ignored.
set -m
export QT_QPA_PLATFORM=xcb
pid=""
cleanup() { [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true; }
trap cleanup EXIT

# The cases: a signal, and a broken session named on the command line ("broken") or remembered
# ("remembered"), or none ("-").
for case in TERM:- INT:- HUP:- TERM:broken TERM:remembered; do
    signal=${case%%:*} file=${case#*:}
    work=$QUIT_SIGNALS_WORK/$signal-$file
    export XDG_CONFIG_HOME="$work/config"
    settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
    log="$work/velmora.log"
    mkdir -p "$(dirname "$settings")"
    printf '[TMainForm]\nUpDown1_Position=7\n' >"$settings"
    fail() {
        echo "quit_signals: SIG$signal ($file): $*" >&2
        echo "--- program output:" >&2
        cat "$log" >&2 || true
        exit 1
    }
    arguments=()
    # The message box carries the program's name; the main window, shown only after it is
    # answered, its caption.
    awaited='^Velmora Beta 2\.4$'
    if [ "$file" != - ]; then
        printf '0:00 10.0\n0:30 99.0\n' >"$work/broken.vsession"
        awaited='^velmora$'
    fi
    case $file in
        broken) arguments=("$work/broken.vsession") ;;
        remembered) printf '[Options]\nSessionFile=%s\n' "$work/broken.vsession" >>"$settings" ;;
    esac

    (cd "$(dirname "$program")" && exec "$program" "${arguments[@]}") >"$log" 2>&1 &
    pid=$!
    window=""
    for _ in $(seq 1 300); do
        window=$(xdotool search --onlyvisible --pid "$pid" --name "$awaited" \
            2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
        sleep 0.1
    done
    [ -n "$window" ] || fail "no window appeared"
    if [ "$file" != - ]; then
        # Every window shown so far is the message box: the main window waits for its answer.
        for shown in $(xdotool search --onlyvisible --pid "$pid" --name . 2>/dev/null || true); do
            name=$(xdotool getwindowname "$shown" 2>/dev/null || true)
            [ "$name" = velmora ] || fail "a window \"$name\" came up before the message box's answer"
        done
    fi

    kill -"$signal" "$pid"
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program was still running five seconds after the signal"
    status=0
    wait "$pid" || status=$?
    pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
    grep -q '^\[Options\]' "$settings" || fail "the settings file has no [Options] section"
    grep -q '^UpDown1_Position=7' "$settings" || fail "the Depth knob's value was not saved"
    echo "quit_signals: SIG$signal ($file) closed the window and saved the settings"
done
