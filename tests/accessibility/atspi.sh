#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader sees: the real program in a fresh X server, on a private session bus
# with its own accessibility bus and registry, read and driven by an AT-SPI client
# (atspi_client.py): every control found by role and name, the Volume knob and the frequency
# set through the value interface, Start pressed through the action interface. After the
# window closes, the settings file holds what was set.
# Usage: atspi.sh VELMORA SEND-CLOSE CLIENT.py
set -euo pipefail

program=$(readlink -f "$1")
send_close=$(readlink -f "$2")
client=$(readlink -f "$3")

if [ -z "${ATSPI_IN_X:-}" ]; then
    work=$(mktemp -d)
    # The server picks a free display itself and names it: no race with servers that other
    # tests start at the same time. It does not reset when its last client leaves, so that the
    # program does not connect in the middle of a reset after a probe of xdotool.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
    for _ in $(seq 1 300); do
        [ -s "$work/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "atspi: the X server did not start" >&2; exit 1; }
    DISPLAY=":$(head -n1 "$work/display")"
    export DISPLAY ATSPI_IN_X=1 ATSPI_WORK="$work"
    status=0
    "$0" "$@" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "atspi: X server on $DISPLAY: $(ls /tmp/.X11-unix 2>&1 | tr '\n' ' ')" >&2
        cat "$work/xvfb.log" >&2
    fi
    exit "$status"
fi

work=$ATSPI_WORK
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" # runs are journaled here, not in the user's data
export XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
log="$work/velmora.log"
mkdir -p "$(dirname "$settings")" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# The photosensitivity warning was accepted before, so Start starts at once.
printf '[Options]\nWarningAccepted=1\n' >"$settings"

tag=atspi
# shellcheck source=../smoke/program.sh
. "$(dirname "$(readlink -f "$0")")/../smoke/program.sh"

bus_pid=""
launcher_pid=""
stop_buses() {
    cleanup
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null || true
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null || true
}

# The private session bus, then the accessibility bus and its registry on it.
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/bus.address" 4>"$work/bus.pid"
bus_pid=$(cat "$work/bus.pid")
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus.address")
export DBUS_SESSION_BUS_ADDRESS
[ -n "$DBUS_SESSION_BUS_ADDRESS" ] || { kill "$bus_pid"; echo "$tag: no session bus" >&2; exit 1; }
launcher=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$candidate" ] && launcher=$candidate && break
done
[ -n "$launcher" ] || { kill "$bus_pid"; echo "$tag: at-spi-bus-launcher not found" >&2; exit 1; }
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
launcher_pid=$!
trap stop_buses EXIT

start_program
pid_program=$pid
trap stop_buses EXIT
find_window

status=0
/usr/bin/python3 "$client" "$work/client.json" || status=$?
[ "$status" -eq 0 ] || fail "the AT-SPI client failed ($status)"

"$send_close" "$window" || fail "the close request could not be sent"
for _ in $(seq 1 200); do
    kill -0 "$pid_program" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid_program" 2>/dev/null && fail "the program did not end after the close request"
status=0
wait "$pid_program" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

[ -f "$settings" ] || fail "no settings file at $settings"
grep -qx 'Volume_Position=4' "$settings" || fail "the Volume knob set through AT-SPI was not saved"
grep -qE '^FreqEdit_Value=12\.5$' "$settings" ||
    fail "the frequency set through AT-SPI was not saved: $(grep FreqEdit "$settings")"
echo "$tag: passed"
