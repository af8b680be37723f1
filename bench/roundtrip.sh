#!/usr/bin/env bash
# The round trip of a command: `murmex --status` against a running copy that plays, from the start of the process
# until it has printed the answer and ended, COUNT times (default 50); beside it `murmex --version`, which ends
# without reaching the running copy, for what the start of the process alone costs. Prints the median and the
# worst of each, in ms; asserts nothing.
#   bench/roundtrip.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-50}
[[ "$count" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [COUNT]" >&2; exit 2; }

if [[ -z "${MURMEX_TEST_TMP:-}" ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j2 --target murmex soundcheck xpixel >/dev/null
    exec bash scripts/testenv.sh bash "$0" "$@"
fi

export MURMEX_BIN="$PWD/build/murmex" SOUNDCHECK_BIN="$PWD/build/tests/soundcheck" XPIXEL_BIN="$PWD/build/tests/xpixel"
source tests/e2e/lib.sh
source bench/lib.sh
# The program as a user runs it: through the sound server (the test environment picks PortAudio for the tests).
unset MURMEX_SOUND_PATH

# Runs PROGRAM with the options given COUNT times and prints each run's time in ms.
times_of() {
    local t0 t1
    for ((i = 1; i <= count; i++)); do
        t0=$EPOCHREALTIME
        "$PROGRAM" "$@" >/dev/null || echo "murmex $* failed" >&2
        t1=$EPOCHREALTIME
        awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f\n", (b - a) * 1000 }'
    done
}

worst() {
    printf '%s\n' "$@" | sort -g | tail -n 1
}

new_config_home
seed_settings $'Noise_Num=5\nValue_L=100\nValue_R=100'
start_murmex_copy
"$PROGRAM" --play
mapfile -t status_ms < <(times_of --status)
mapfile -t version_ms < <(times_of --version)
"$PROGRAM" --quit

echo "Murmex $(git describe --always --dirty 2>/dev/null || echo '?'), $count runs each, against a copy playing noise 5"
printf '%-40s %10s %10s\n' "" "median ms" "worst ms"
printf '%-40s %10s %10s\n' "murmex --status (the round trip)" "$(median "${status_ms[@]}")" "$(worst "${status_ms[@]}")"
printf '%-40s %10s %10s\n' "murmex --version (the start alone)" "$(median "${version_ms[@]}")" \
    "$(worst "${version_ms[@]}")"
