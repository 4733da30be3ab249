# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the scripts that run the real program in an X server: sourced after they have set
# `program` (the binary), `log` (where its output goes) and `tag` (the prefix of messages).

fail() {
    echo "$tag: $*" >&2
    echo "--- program output:" >&2
    cat "$log" >&2 || true
    exit 1
}

# Ends the program and waits for it (at most 5 s, then it is killed), so that nothing it
# writes on its way out races the removal of its folders.
cleanup() {
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Starts the program from its own directory, so that the default library beside it is found
# either way, with the arguments given; `pid` is its process.
start_program() {
    (cd "$(dirname "$program")" && exec "$program" "$@") >"$log" 2>&1 &
    pid=$!
    trap cleanup EXIT
}

# Waits for the main window to show; `window` is its id.
find_window() {
    window=""
    for _ in $(seq 1 300); do
        window=$(xdotool search --onlyvisible --name '^Velmora Beta 2\.4$' 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && return 0
        kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
        sleep 0.1
    done
    fail "no window appeared"
}

# Clicks Start through the server, then moves the pointer away from the button. The lower area
# is 144 pixels high; the Start button sits at its right edge, 70 pixels from it, 18 pixels
# down, 60 pixels wide. Needs the window's geometry (xdotool getwindowgeometry --shell).
click_start() {
    xdotool mousemove --window "$window" $((WIDTH - 70 + 30)) $((HEIGHT - 144 + 18 + 30)) click 1
    xdotool mousemove --window "$window" 5 5
}
