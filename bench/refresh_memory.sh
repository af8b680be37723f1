#!/usr/bin/env bash
# Memory growth of the calls a player repeats while its chosen output is away: reading the device list again
# (every 5 s) and looking for the output (every second), with the sound server there and with it gone after
# the program's start. Prints figures; asserts nothing.
#   bench/refresh_memory.sh [COUNT]      (calls of each, default 200)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-200}

if [[ -z "${MURMEX_TEST_TMP:-}" ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target bench_refresh_memory >/dev/null
    exec bash scripts/testenv.sh bash "$0" "$@"
fi

for server in there away; do
    echo "Sound server $server:"
    for what in refresh look; do
        ./build/bench/bench_refresh_memory "$what" "$count" "$server"
        [[ $server == there ]] || bash "$MURMEX_TEST_PULSE_CTL" start
    done
done
