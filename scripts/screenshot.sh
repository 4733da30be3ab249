#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes docs/screenshot.png, the picture of the main window in the README: the program from a
# build tree runs with the default library in a fresh X server, a few knobs turned up and
# Start pressed, and the window is captured and stored as a small palette PNG.
# Usage: scripts/screenshot.sh [VELMORA]   (default build/run/velmora, as scripts/run.sh makes)
# With SCREENSHOT_LANGUAGE=de the window is shown in that language, into docs/screenshot-de.png.
# Needs xvfb-run, xdotool and ImageMagick (scripts/setup.sh test).
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(readlink -f "${1:-build/run/velmora}")
out=$PWD/docs/screenshot${SCREENSHOT_LANGUAGE:+-$SCREENSHOT_LANGUAGE}.png
[ -x "$program" ] || { echo "screenshot: no program at $program" >&2; exit 1; }

if [ -z "${SCREENSHOT_IN_X:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    SCREENSHOT_IN_X=$work xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$program"
    exit
fi

work=$SCREENSHOT_IN_X
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
# The language's numbers too (a decimal comma): the toolkit reads the locale's name from the
# environment, whether or not the C library has that locale.
numbers=()
if [ -n "${SCREENSHOT_LANGUAGE:-}" ]; then
    export LANGUAGE=$SCREENSHOT_LANGUAGE
    numbers=("LC_NUMERIC=$SCREENSHOT_LANGUAGE.UTF-8")
fi
mkdir -p "$XDG_CONFIG_HOME/velmora"
# The photosensitivity warning was accepted before, so Start starts at once.
printf '[Options]\nWarningAccepted=1\n[TMainForm]\nUpDown1_Position=7\nUpDown2_Position=4\nUpDown3_Position=3\n' \
    >"$XDG_CONFIG_HOME/velmora/Zandrel.ini"

# Started from its own directory, so the default library beside it is found.
(cd "$(dirname "$program")" && exec env "${numbers[@]}" "$program") >"$work/velmora.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=""
for _ in $(seq 1 300); do
    window=$(xdotool search --onlyvisible --name '^Velmora Beta' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "screenshot: no window" >&2; cat "$work/velmora.log" >&2; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# The Start button: 70 pixels from the right edge of the lower area, 18 down, 60 wide.
xdotool mousemove --window "$window" $((WIDTH - 40)) $((HEIGHT - 144 + 48)) click 1
xdotool mousemove --window "$window" 5 5
sleep 1.3
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/window.png"
convert "$work/window.png" -strip -dither None -colors 128 "PNG8:$out"
echo "screenshot: $out, ${WIDTH}x${HEIGHT}, $(stat -c %s "$out") bytes"
