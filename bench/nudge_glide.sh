#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The time from a nudge's key press to its glide starting in the sound, for the real program
# in a fresh X server playing through a private PulseAudio whose sink's monitor is recorded.
# The sound is a silent library's, so that only the tone is heard: a binaural beat on a 200 Hz
# carrier at 10 Hz. Up is pressed on the picture COUNT times, three seconds apart; each glide
# of +0.1 Hz over 2 s shows as the right ear's phase pulling ahead of the left's along a
# parabola. For each press it prints the delay from the moment before xdotool sends the key to
# the first 10 ms step whose 50 ms window (centred on it, so up to about 12 ms early) has left
# the steady beat's line, then their median and range. The recording's own
# least delay (parec's, a few ms) is included. A press whose stretch of sound a busy machine
# broke (a gap in the recording, or a beat not steady before it) is left out. Usage: nudge_glide.sh BUILD-DIR [COUNT]
set -euo pipefail
build=$(readlink -f "$1")
count=${2:-8}
here=$(dirname "$(readlink -f "$0")")

if [ -z "${NUDGE_IN_X:-}" ]; then
    work=$(mktemp -d)
    [ -n "${NUDGE_KEEP:-}" ] && echo "nudge: keeping $work" >&2
    server=""
    recorder=""
    finish() {
        [ -n "$recorder" ] && kill -INT "$recorder" 2>/dev/null && wait "$recorder" 2>/dev/null
        [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
        [ -n "${NUDGE_KEEP:-}" ] || rm -rf "$work"
    }
    trap finish EXIT
    # The private server: a null sink at 44.1 kHz, reached only through PULSE_SERVER.
    export HOME="$work" XDG_RUNTIME_DIR="$work" PULSE_RUNTIME_PATH="$work" PULSE_STATE_PATH="$work"
    export PULSE_SERVER="unix:$work/native" SDL_AUDIODRIVER=pulseaudio
    printf '%s\n' \
        "load-module module-null-sink sink_name=velmora format=float32le rate=44100 channels=2" \
        "set-default-sink velmora" \
        "load-module module-native-protocol-unix auth-anonymous=1 socket=$work/native" \
        >"$work/server.pa"
    pulseaudio --daemonize=no --system=no -n -F "$work/server.pa" --exit-idle-time=-1 \
        --log-target=stderr >"$work/server.log" 2>&1 &
    server=$!
    for _ in $(seq 100); do
        [ "$(timeout 10 pactl get-default-sink 2>/dev/null)" = velmora ] && break
        sleep 0.1
    done
    parec -d velmora.monitor --raw --format=float32le --rate=44100 --channels=2 \
        --latency-msec=5 >"$work/recording.raw" &
    recorder=$!
    # A library whose one sound is silent, with one of the default library's pictures.
    python3 - "$work/silence.wav" <<'PY'
import struct, sys
frames = 22050
data = b"\0\0" * frames
with open(sys.argv[1], "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 1, 22050, 44100, 2, 16) + b"data" +
            struct.pack("<I", len(data)) + data)
PY
    "$build/tools/velmora-lib" pack "$work/silent.zdl" \
        --picture "Spiral=$build/default-library/Spiral.bmp" --sound "Silence=$work/silence.wav"
    export NUDGE_IN_X=1 NUDGE_WORK="$work" NUDGE_COUNT="$count"
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
    exit 0
fi

work=$NUDGE_WORK
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=detect_leaks=0 # a checked build may be measured too
settings="$XDG_CONFIG_HOME/velmora/Zandrel.ini"
mkdir -p "$(dirname "$settings")"
printf '[Options]\nWarningAccepted=1\nTone=binaural\nToneCarrier=200\nToneLevel=0\n[TMainForm]\nFreqEdit_Value=10\nRxSlider1_Value=100\nTimer1_Interval=50\nUpDown1_Position=7\nVolume_Position=10\n' \
    >"$settings"
program="$build/velmora"
log="$work/velmora.log"
tag=nudge
# shellcheck source=../tests/smoke/program.sh
. "$here/../tests/smoke/program.sh"
start_program "$work/silent.zdl"
find_window
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
click_start
sleep 2
# The picture takes the keys once it has the focus: a click in it.
xdotool mousemove --window "$window" $((WIDTH / 2)) $(((HEIGHT - 144) / 2)) click 1
xdotool mousemove --window "$window" 5 5
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program ended before the presses"
python3 - "$work/recording.raw" "$NUDGE_COUNT" <<'PY'
import cmath, math, os, struct, subprocess, sys, threading, time

RATE, BLOCK = 44100, 441  # 10 ms blocks
CARRIER, BEAT = 200.0, 10.0
path, count = sys.argv[1], int(sys.argv[2])

# When each piece of the recording arrives: a frame cannot arrive before it has played, so the
# least lag between the two clocks over the arrivals around a moment places the frames there on
# the monotonic clock (late by the recording's own least delay).
arrivals, done = [], False
def watch():
    last = -1
    while not done:
        size = os.stat(path).st_size
        if size != last:
            arrivals.append((time.monotonic(), size // 8))
            last = size
        time.sleep(0.0005)
watcher = threading.Thread(target=watch)
watcher.start()
time.sleep(2)
keys = []
for _ in range(count):
    keys.append(time.monotonic())
    subprocess.run(["xdotool", "key", "Up"], check=True)
    time.sleep(3)
done = True
watcher.join()
# Taken around each press, so that frames a busy recorder dropped earlier do not shift it.
presses = []
for k in keys:
    offset = min(t - frames / RATE for t, frames in arrivals if abs(t - k) < 1.0)
    presses.append(round((k - offset) * RATE))
with open(os.path.join(os.path.dirname(path), "presses"), "w") as f:
    f.write("".join("%d\n" % p for p in presses))

raw = open(path, "rb").read()

WINDOW = 2205  # 50 ms, Hann-weighted: the other side's image (twice the pitch) stays out

def phases(first, blocks, beat):
    # The right ear's phase against the left's, in cycles, every 10 ms over a 50 ms window
    # centred there, with the beat the run had before the press taken out.
    start = first - WINDOW // 2
    data = raw[8 * start: 8 * (start + blocks * BLOCK + WINDOW)]
    values = struct.unpack("<%df" % (len(data) // 4), data)
    left, right = values[0::2], values[1::2]
    hann = [0.5 - 0.5 * math.cos(2 * math.pi * (i + 0.5) / WINDOW) for i in range(WINDOW)]
    wl = [cmath.exp(-2j * math.pi * CARRIER * i / RATE) for i in range(WINDOW)]
    wr = [cmath.exp(-2j * math.pi * (CARRIER + beat) * i / RATE) for i in range(WINDOW)]
    out = []
    for b in range(blocks):
        at = b * BLOCK
        zl = sum(left[at + i] * hann[i] * wl[i] for i in range(WINDOW))
        zr = sum(right[at + i] * hann[i] * wr[i] for i in range(WINDOW))
        # Both taken from the window's own start: the beat's turn over the block is added back.
        turn = beat * (start + at) / RATE
        out.append(cmath.phase(zr / zl) / (2 * math.pi) - turn if abs(zl) > 1e-6 else float("nan"))
    for i in range(1, len(out)):
        if math.isnan(out[i]) or math.isnan(out[i - 1]): continue
        while out[i] - out[i - 1] > 0.5: out[i] -= 1
        while out[i] - out[i - 1] < -0.5: out[i] += 1
    return out

def line(xs, ys):
    n = len(xs); mx = sum(xs) / n; my = sum(ys) / n
    slope = (sum((x - mx) * (y - my) for x, y in zip(xs, ys)) /
             sum((x - mx) ** 2 for x in xs))
    return my - slope * mx, slope

departs = []
beat = BEAT
for number, press in enumerate(presses, 1):
    before, after = 40, 100  # blocks: 0.4 s before the press, 1 s after
    p = phases(press - before * BLOCK, before + after, beat)
    beat += 0.1
    if any(math.isnan(x) for x in p):
        print("press %d: the tone was not heard throughout, left out" % number)
        continue
    t = [(b + 0.5) * BLOCK / RATE - before * BLOCK / RATE for b in range(before + after)]
    c0, c1 = line(t[:before], p[:before])  # the steady beat before the press
    e = [p[b] - (c0 + c1 * t[b]) for b in range(len(p))]
    wander = max(abs(x) for x in e[:before])
    if wander > 1e-4:
        print("press %d: the beat before it was not steady (%.1e cycles), left out" % (number, wander))
        continue
    # The first step clear of the steady beat by three times its wander, for good, either way:
    # the glide's first thousandth of a hertz, or the tone's hold on the run's phase moving.
    depart = next((t[b] * 1000 for b in range(before - 10, before + after)
                   if all(abs(x) > 3 * wander + 2e-6 for x in e[b:b + 5])), float("nan"))
    if math.isnan(depart):
        print("press %d: no departure from the beat found, left out" % number)
        continue
    departs.append(depart)
    if os.environ.get("NUDGE_KEEP"):
        with open(os.path.join(os.path.dirname(path), "press%d.txt" % number), "w") as f:
            f.write("".join("%.3f %.6f\n" % (t[b], e[b]) for b in range(len(e))))
    print("press %d: the beat leaves its line %.0f ms after the key (steady within %.1e "
          "cycles)" % (number, depart, wander))
if departs:
    departs.sort()
    print("nudge: key to glide in the sound: median %.0f ms, from %.0f to %.0f ms, over %d "
          "presses" % (departs[len(departs) // 2], departs[0], departs[-1], len(departs)))
PY
