#!/usr/bin/env bash
# Murmex on PipeWire (pipewire-pulse, as current desktops have it): the audio page steps through the
# desktop's default and PipeWire's two outputs, the chosen one plays alone, and the mixer names the stream.
source "$(dirname "$0")/lib.sh"

unset MURMEX_SOUND_PATH
use_pipewire
[[ "$(pactl info)" == *"Server Name: PulseAudio (on PipeWire "* ]] || fail "not PipeWire: $(pactl info)"

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=2'
start_murmex_copy

step "the arrows step through the desktop's default and PipeWire's two outputs"
expect_outputs_stepped
choose_output "$MURMEX_TEST_SINK_2"

step "the chosen output plays, alone, and the mixer names the stream"
start_on_second_sink
expect_mixer_names "Easy Going"
close_murmex
