#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Underruns of a 25 Hz run with the tone on, through a private PulseAudio and a private PipeWire,
# while two busy loops and a compile loop (g++ -O2 of the library generator, again and again)
# load the machine. The run is bench_sound_server's BM_UnderrunsAt25HzWithTheTone: the SDL
# output as the program opens it, a sound stepped every 2 ms and a binaural tone. Prints, per
# server, the pulls that found the output dry, the runs of silence in the sink's recording and
# their length. Usage: underruns_under_load.sh BUILD-DIR [SECONDS [SERVER...]]
# (a Release build; SECONDS 600 unless given; servers pulseaudio and pipewire unless named;
# pipewire-native is PipeWire through SDL's own pipewire driver, see bench_sound_server.cpp)
set -uo pipefail
build=$(readlink -f "$1")
seconds=${2:-600}
shift $(($# > 1 ? 2 : $#))
servers=("$@")
[ ${#servers[@]} -eq 0 ] && servers=(pulseaudio pipewire)
here=$(dirname "$(readlink -f "$0")")
work=$(mktemp -d /tmp/velmora-load.XXXXXX)

load=()
stop_load() {
    for pid in "${load[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap stop_load EXIT
for _ in 1 2; do
    sh -c 'while :; do :; done' &
    load+=($!)
done
sh -c 'while :; do g++ -O2 -std=c++20 -c "$0" -o "$1/unit.o" 2>/dev/null; done' \
    "$here/../tools/MakeDefaultLibrary.cpp" "$work" &
load+=($!)

for server in "${servers[@]}"; do
    VELMORA_UNDERRUN_SERVER=$server VELMORA_UNDERRUN_SECONDS=$seconds \
        "$build/bench/bench_sound_server" --benchmark_filter=Underruns \
        --benchmark_format=json >"$work/$server.json" 2>"$work/$server.err"
    grep -h "driver" "$work/$server.err"
    python3 - "$server" "$seconds" "$work/$server.json" "$work/$server.err" <<'EOF'
import json, sys
server, seconds, path, err = sys.argv[1:]
try:
    run = json.load(open(path))["benchmarks"][0]
except (ValueError, LookupError, OSError):
    sys.exit(f"{server}: no result: {open(err).read().strip()}")
if run.get("error_occurred"):
    sys.exit(f"{server}: {run.get('error_message')}")
print(f"{server}: {seconds} s, {int(run['output_underruns'])} underruns at the output, "
      f"{int(run['recorded_gaps'])} gaps in the recording ({run['silent_ms']:.1f} ms of "
      f"silence), blocks of {int(run['block_frames'])} frames, "
      f"a change heard {run.get('delay_ms', 0):.1f} ms after its stamp")
EOF
done
