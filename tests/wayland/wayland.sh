#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the real program on Wayland: a headless weston in its own runtime directory, the program
# on Qt's wayland platform with a fresh configuration holding a turned-up Depth knob, and a
# scripted user loaded as a Qt input plugin (the compositor has no input devices). The run must
# start and stop, the settings must be saved on close, the run's frames must have been paced
# by the compositor with its presentation feedback, and the program must print nothing but
# the scripted user's lines. Usage: wayland.sh VELMORA PLUGIN-DIR
set -euo pipefail
program=$(readlink -f "$1")
plugins=$(readlink -f "$2")

work=$(mktemp -d)
chmod 700 "$work"
weston_pid="" pid=""
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
log=$work/velmora.log
fail() {
    echo "wayland: $*" >&2
    echo "--- program output:" >&2
    cat "$log" >&2 2>/dev/null || true
    echo "--- weston log:" >&2
    tail -n 20 "$work/runtime/weston.log" >&2 2>/dev/null || true
    exit 1
}

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=velmora-test
weston --backend=headless-backend.so --socket="$socket" --use-pixman --no-config \
    --idle-time=0 --log="$XDG_RUNTIME_DIR/weston.log" >/dev/null 2>&1 &
weston_pid=$!
# Ready once a client that connects is shown an output: the socket alone comes before the
# compositor has set up its screen, and a program started then finds none. A busy machine may
# take a while; the wait is bounded all the same.
ready=""
for _ in $(seq 1 300); do
    kill -0 "$weston_pid" 2>/dev/null || fail "weston ended at start"
    if [ -S "$XDG_RUNTIME_DIR/$socket" ] &&
        WAYLAND_DISPLAY="$socket" timeout 10 weston-info 2>/dev/null | grep -q "interface: 'wl_output'"; then
        ready=1
        break
    fi
    sleep 0.1
done
[ -n "$ready" ] || fail "weston showed no output within a minute"

export XDG_CONFIG_HOME=$work/config
export XDG_DATA_HOME="$work/data" # runs are journaled here, not in the user's data
settings=$XDG_CONFIG_HOME/velmora/Zandrel.ini
mkdir -p "$(dirname "$settings")"
# The photosensitivity warning was accepted at an earlier start.
printf '[Options]\nWarningAccepted=1\n[TMainForm]\nUpDown1_Position=7\n' >"$settings"

# Started from its own directory so that the default library beside it is found either way.
# Sound goes to SDL's silent output: without a sound card or server the sound library prints
# errors of its own, and the sound-server tests play through real servers.
(cd "$(dirname "$program")" && exec env -u DISPLAY WAYLAND_DISPLAY="$socket" \
    QT_QPA_PLATFORM=wayland QT_PLUGIN_PATH="$plugins" QT_QPA_GENERIC_PLUGINS=velmorascripteduser \
    SDL_AUDIODRIVER=dummy "$program") >"$log" 2>&1 &
pid=$!
status=0
for _ in $(seq 1 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program was still running after a minute"
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"

grep -q '^scripted user: the window is up on wayland$' "$log" || fail "the window did not come up on wayland"
grep -q '^scripted user: closing the window$' "$log" || fail "the scripted user did not finish"
! grep -q '^scripted user: FAILED' "$log" || fail "a step failed"
# The run was painted at the compositor's frame callbacks, and its presentation feedback told
# when each frame was shown, without a vsync flag (a headless output): "timestamps only", the
# refresh measured from those times, never more frames shown than the output had.
end=$(grep '"ev":"end"' "$XDG_DATA_HOME"/velmora/*.jsonl | tail -n1)
field() { echo "$end" | sed -n "s/.*\"screen\":{[^}]*\"$1\":\"\{0,1\}\([^,\"}]*\).*/\1/p"; }
ms=$(echo "$end" | sed -n 's/.*"ms":\([0-9]*\).*/\1/p')
echo "wayland: frames: $(echo "$end" | sed -n 's/.*"screen":\({[^}]*}\).*/\1/p')"
[ "$(field mode)" = "timestamps only" ] || fail "the run was $(field mode)"
case "$(field clock)" in wp_presentation*) ;; *) fail "the frame times came from $(field clock)" ;; esac
[ "$(field shown)" -ge 10 ] || fail "only $(field shown) frames shown"
awk -v r="$(field refresh_hz)" -v n="$(field shown)" -v ms="$ms" \
    'BEGIN { exit !(r >= 20 && r <= 200 && n <= ms * r / 1000 + 2) }' ||
    fail "$(field shown) frames shown in $ms ms at $(field refresh_hz) Hz"
others=$(grep -v '^scripted user: ' "$log" || true)
[ -z "$others" ] || fail "the program printed: $others"
grep -q '^\[Options\]' "$settings" || fail "the settings file has no [Options] section"
grep -q '^UpDown1_Position=7' "$settings" || fail "the Depth knob's value was not saved"
grep '^scripted user: saw' "$log"
echo "wayland: passed"
