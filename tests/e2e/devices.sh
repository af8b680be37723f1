#!/usr/bin/env bash
# The output chosen on the audio page is the one that plays, and stays chosen after a restart; a stop ends
# the sound also after the output was changed while playing.
source "$(dirname "$0")/lib.sh"

readonly GENERATOR=(107 535)

stop_and_expect_silence() {
    local mark
    mark=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
    click "${GENERATOR[@]}"
    wait_silence "$mark" "$MURMEX_TEST_MONITOR_2" >/dev/null || fail "the sound did not end"
}

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=5'
start_murmex_copy

step "the second output, chosen with the arrows, is the one that plays"
choose_output "$MURMEX_TEST_PCM_2"
start_on_second_sink
stop_and_expect_silence
close_murmex

step "after a restart it is still chosen"
start_murmex "$PROGRAM"
start_on_second_sink

step "a change of output while playing, then a stop: the sound ends"
click "${AUDIO_TAB[@]}"
step_output_down
stop_and_expect_silence
close_murmex
