#!/usr/bin/env bash
# The program's memory while its chosen output is away: Murmex plays on the second null sink, the sink is
# unloaded (the sound server moves the noise to the default sink), and the program's RSS is printed minute by
# minute for MINUTES, with its growth from the first minute to the last. Runs on the sound server's path, or
# with PATH=portaudio through PortAudio, where the server is stopped instead (the case that re-reads PortAudio's
# device list). Prints figures; asserts nothing.
#   bench/away_soak.sh [MINUTES] [server|portaudio]     (defaults 30, server)
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-30} path=${2:-server}
[[ "$minutes" =~ ^[1-9][0-9]*$ && "$path" =~ ^(server|portaudio)$ ]] ||
    { echo "usage: $0 [MINUTES] [server|portaudio]" >&2; exit 2; }

if [[ -z "${MURMEX_TEST_TMP:-}" ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target murmex soundcheck xpixel xclose >/dev/null
    exec bash scripts/testenv.sh bash "$0" "$@"
fi

export MURMEX_BIN="$PWD/build/murmex" SOUNDCHECK_BIN="$PWD/build/tests/soundcheck" XPIXEL_BIN="$PWD/build/tests/xpixel"
export XCLOSE_BIN="$PWD/build/tests/xclose"
source tests/e2e/lib.sh
if [[ "$path" == server ]]; then
    unset MURMEX_SOUND_PATH
    chosen=$MURMEX_TEST_SINK_2
else
    export MURMEX_SOUND_PATH=portaudio
    chosen=$MURMEX_TEST_PCM_2
fi

rss_kb() {
    awk '$1 == "VmRSS:" { print $2 }' "/proc/$MURMEX_PID/status"
}

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=5'
start_murmex_copy
choose_output "$chosen"
click 107 535
wait_sound "$(monitor_mark "$MURMEX_TEST_MONITOR_2")" "$MURMEX_TEST_MONITOR_2" >/dev/null || fail "nothing heard"
if [[ "$path" == server ]]; then
    bash "$MURMEX_TEST_PULSE_CTL" unload-2
    at_exit 'bash "$MURMEX_TEST_PULSE_CTL" load-2'
else
    bash "$MURMEX_TEST_PULSE_CTL" stop
    at_exit 'bash "$MURMEX_TEST_PULSE_CTL" start'
fi
echo "Murmex $(git describe --always --dirty), $path path, chosen output away; RSS each minute, kB:"
first=""
for ((minute = 1; minute <= minutes; ++minute)); do
    sleep 60
    rss=$(rss_kb)
    first=${first:-$rss}
    echo "  minute $minute: $rss"
done
echo "growth from minute 1 to minute $minutes: $((rss - first)) kB"
