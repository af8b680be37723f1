#!/usr/bin/env bash
# The test environment's two outputs are apart: what is played on one sink is heard on its own monitor
# recording, whole, and not on the other's. Checks the sound helpers the other tests rely on as well.
source "$(dirname "$0")/lib.sh"

for var in MURMEX_TEST_SINK_2 MURMEX_TEST_MONITOR_2; do
    [[ -n "${!var:-}" ]] || fail "$var is not set"
done

# One second of full-scale white noise straight to SINK.
play_noise() {
    head -c $((48000 * 4)) /dev/urandom |
        pacat --raw --format=s16le --rate=48000 --channels=2 --device="$1" --latency-msec=50
}

check_output() {
    local sink=$1 monitor=$2 other=$3 mark other_mark at end
    mark=$(monitor_mark "$monitor")
    other_mark=$(monitor_mark "$other")
    play_noise "$sink"
    at=$(wait_sound "$mark" "$monitor") || fail "nothing reached $sink"
    end=$(recorded_after "$at" 0.8 "$monitor")
    expect_sound "$monitor" "$at" "$end" --sound 15000 --high-min 0.75 --low-max 0.06
    wait_silence "$at" "$monitor" >/dev/null || fail "the sound on $sink did not end"
    expect_sound "$other" "$other_mark" "$(monitor_mark "$other")" --silent "$SILENCE_LEVEL"
}

step "the first sink"
check_output "$MURMEX_TEST_SINK" "$MURMEX_TEST_MONITOR" "$MURMEX_TEST_MONITOR_2"
step "the second sink"
check_output "$MURMEX_TEST_SINK_2" "$MURMEX_TEST_MONITOR_2" "$MURMEX_TEST_MONITOR"
