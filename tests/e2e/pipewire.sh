#!/usr/bin/env bash
# The PipeWire sound server a test can have instead of PulseAudio: pipewire-pulse answers, a sink keeps its
# description whole, and what is played to the second sink is in that sink's recording only.
source "$(dirname "$0")/lib.sh"

use_pipewire

step "pactl reaches PipeWire"
[[ "$(pactl info)" == *"Server Name: PulseAudio (on PipeWire "* ]] || fail "not PipeWire: $(pactl info)"
pactl list sinks | grep -qx $'\tDescription: '"$MURMEX_TEST_SINK_DESCRIPTION_2" ||
    fail "no sink described as $MURMEX_TEST_SINK_DESCRIPTION_2: $(pactl list sinks | grep Description)"

step "half a second of noise played to the second sink"
mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
head -c $((48000 * 4 / 2)) /dev/urandom |
    pacat -d "$MURMEX_TEST_SINK_2" --format=s16le --rate=48000 --channels=2 --raw || fail "pacat failed"
at=$(wait_sound "$mark2" "$MURMEX_TEST_MONITOR_2") || fail "nothing reached the second sink's recording"
expect_sound "$MURMEX_TEST_MONITOR_2" "$at" "$(recorded_after "$at" 0.3 "$MURMEX_TEST_MONITOR_2")" --sound 10000
expect_sound "$MURMEX_TEST_MONITOR" "$mark1" "$(monitor_mark "$MURMEX_TEST_MONITOR")" --silent "$SILENCE_LEVEL"
