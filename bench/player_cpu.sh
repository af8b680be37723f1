#!/usr/bin/env bash
# CPU (% of one core, from /proc over a fixed time) and peak memory of processes that play noise on the
# test environment's null sink, side by side in one run: Murmex's player on a built-in clip without the
# window, SoX and a GStreamer pipeline, each with the sound server's CPU over the same time. Prints
# figures; asserts nothing. bench/program.sh measures the whole program.
#   bench/player_cpu.sh [seconds]      (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}

if [[ -z "${MURMEX_TEST_TMP:-}" ]]; then
    bash scripts/deps.sh bench
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target bench_play_clip >/dev/null
    exec bash scripts/testenv.sh bash "$0" "$@"
fi
source bench/lib.sh

measure() { # name, command...
    local name=$1 pid cpu server
    shift
    "$@" >/dev/null 2>&1 &
    pid=$!
    sleep 2 # past start-up
    read -r cpu server < <(cpu_shares "$seconds" "$pid" "$MURMEX_TEST_PULSE_PID")
    printf '%-44s %6.2f %% of one core   peak RSS %6.1f MB   sound server %6.2f %%\n' \
        "$name" "$cpu" "$(peak_rss_mb "$pid")" "$server"
    stop_process "$pid"
}

echo "Playing white noise on a PulseAudio null sink for ${seconds} s each:"
measure "Murmex player, clip 4 (44100 Hz mono)" ./build/bench/bench_play_clip 4
measure "Murmex player, clip 5 (11025 Hz stereo)" ./build/bench/bench_play_clip 5
measure "SoX: play -n synth whitenoise" env AUDIODRIVER=pulseaudio play -q -n synth whitenoise
measure "GStreamer: audiotestsrc white-noise" gst-launch-1.0 -q audiotestsrc wave=white-noise ! pulsesink
