#!/usr/bin/env bash
# Murmex on PipeWire (pipewire-pulse, as current desktops have it): the audio page steps through the
# desktop's default and PipeWire's two outputs, the chosen one plays alone, and the mixer names the stream.
source "$(dirname "$0")/lib.sh"

readonly GENERATOR=(107 535)
unset MURMEX_SOUND_PATH
use_pipewire
[[ "$(pactl info)" == *"Server Name: PulseAudio (on PipeWire "* ]] || fail "not PipeWire: $(pactl info)"

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=2'
start_murmex_copy

step "the arrows step through the desktop's default and PipeWire's two outputs"
click "${AUDIO_TAB[@]}"
keys=()
for _ in 1 2 3; do
    step_output_down
    keys+=("$(grep '^Object1Name=' "$OUTPUT_INI")")
done
[[ "${keys[*]}" == "Object1Name=murmex_test Object1Name=murmex_test_2 Object1Name=@@DEFAULT_SINK@" ]] ||
    fail "the outputs stepped through: ${keys[*]}"
choose_output "$MURMEX_TEST_SINK_2"

step "the chosen output plays, alone, and the mixer names the stream"
mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
click "${GENERATOR[@]}"
at=$(wait_sound "$mark2" "$MURMEX_TEST_MONITOR_2") || fail "nothing reached the chosen output"
expect_sound "$MURMEX_TEST_MONITOR_2" "$at" "$(recorded_after "$at" 0.8 "$MURMEX_TEST_MONITOR_2")" --sound 3000
expect_sound "$MURMEX_TEST_MONITOR" "$mark1" "$(monitor_mark "$MURMEX_TEST_MONITOR")" --silent "$SILENCE_LEVEL"
inputs=$(pactl list sink-inputs)
grep -q 'application.name = "Murmex"' <<<"$inputs" || fail "the mixer does not name Murmex: $inputs"
grep -q 'media.name = "Easy Going"' <<<"$inputs" || fail "the mixer does not name the noise: $inputs"
close_murmex
