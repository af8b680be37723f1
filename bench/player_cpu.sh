#!/usr/bin/env bash
# CPU (% of one core, from /proc over a fixed time) and peak memory of processes that play noise on the
# test environment's null sink, side by side in one run: Murmex's player on a built-in clip, SoX and a
# GStreamer pipeline. Prints figures; asserts nothing.
#   bench/player_cpu.sh [seconds]      (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}

bash scripts/deps.sh --bench
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target bench_play_clip murmex >/dev/null

measure() { # name, command...
    local name=$1
    shift
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep 2 # past start-up
    local hz t0 t1
    hz=$(getconf CLK_TCK)
    t0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    local rss
    rss=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    awk -v n="$name" -v d="$((t1 - t0))" -v hz="$hz" -v s="$seconds" -v r="$rss" \
        'BEGIN {printf "%-44s %6.2f %% of one core   peak RSS %6.1f MB\n", n, 100 * d / hz / s, r / 1024}'
}

export -f measure
export seconds
bash scripts/testenv.sh bash -c '
    echo "Playing white noise on a PulseAudio null sink for ${seconds} s each:"
    measure "Murmex player, clip 4 (44100 Hz mono)" ./build/bench/bench_play_clip 4
    measure "Murmex player, clip 5 (11025 Hz stereo)" ./build/bench/bench_play_clip 5
    measure "SoX: play -n synth whitenoise" env AUDIODRIVER=pulseaudio play -q -n synth whitenoise
    measure "GStreamer: audiotestsrc white-noise" gst-launch-1.0 -q audiotestsrc wave=white-noise ! pulsesink
'
