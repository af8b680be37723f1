#!/usr/bin/env bash
# The main road, heard on the test sink: choose a noise, start and stop the generator, set the volumes with
# the sliders, and find everything as it was after a restart.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535)
readonly NOISE_1=(151 148) NOISE_5=(81 328) NOISE_6=(361 328)

# Figures of one second of what is playing now, taken after the output has settled.
measure_now() {
    local from
    from=$(recorded_after "$(monitor_mark)" 0.2)
    expect_sound "$MURMEX_TEST_MONITOR" "$from" "$(recorded_after "$from" 1.0)" "$@"
}

start_and_hear() {
    local mark
    mark=$(monitor_mark)
    click "${GENERATOR[@]}"
    wait_sound "$mark" >/dev/null || fail "no sound after the generator was started"
    wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"
}

stop_and_hear_silence() {
    local mark
    mark=$(monitor_mark)
    click "${GENERATOR[@]}"
    wait_silence "$mark" >/dev/null || fail "the sound did not end with the second press"
    wait_pixel "${LAMP[@]}" 0080C0 || fail "the lamp is $(pixel "${LAMP[@]}") when stopped"
}

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=1'
start_murmex_copy

step "stopped: a blue lamp and silence"
wait_pixel "${LAMP[@]}" 0080C0 || fail "the lamp is $(pixel "${LAMP[@]}") before a start"

step "noise 1 plays: 8 kHz white noise, nothing above 4 kHz"
start_and_hear
measure_now --sound 3000 --high-max 0.02

step "a click on another noise while playing changes nothing that is heard"
click "${NOISE_5[@]}"
measure_now --sound 3000 --high-max 0.02

step "the second press ends the sound"
stop_and_hear_silence

step "noise 5 plays: 44.1 kHz white noise, most of it above 4 kHz"
click "${NOISE_5[@]}"
start_and_hear
full=$(measure_now --sound 3000 --high-min 0.6)
echo "$full"
full_left=$(field rms_left <<<"$full")

step "dragging the left slider to 50 and the right to 0 is heard at once"
drag_slider "$SLIDER_L" 206
drag_slider "$SLIDER_R" 300
drag_slider "$SLIDER_R" 256
half=$(measure_now --sound 1000 --high-min 0.6)
echo "$half"
awk -v h="$(field rms_left <<<"$half")" -v f="$full_left" 'BEGIN { exit !(h > 0.45 * f && h < 0.55 * f) }' ||
    fail "left at 50 is heard at $(field rms_left <<<"$half") against $full_left at full volume"
awk -v r="$(field rms_right <<<"$half")" -v s="$SILENCE_LEVEL" 'BEGIN { exit !(r < s) }' ||
    fail "the right channel at 0 is heard at $(field rms_right <<<"$half")"
stop_and_hear_silence

step "noise 6 plays: most of its sound lies below 700 Hz"
click "${NOISE_6[@]}"
start_and_hear
measure_now --sound 300 --low-min 0.5
stop_and_hear_silence

step "everything is stored at the end"
close_murmex
[[ "$(stored Noise_Num) $(stored Value_L) $(stored Value_R)" == "6 50 0" ]] ||
    fail "stored noise and volumes: $(stored Noise_Num) $(stored Value_L) $(stored Value_R)"

step "after a restart the same noise plays at the same volumes"
start_murmex "$PROGRAM"
start_and_hear
again=$(measure_now --sound 300 --low-min 0.5)
echo "$again"
awk -v r="$(field rms_right <<<"$again")" -v s="$SILENCE_LEVEL" 'BEGIN { exit !(r < s) }' ||
    fail "the right channel, stored at 0, is heard at $(field rms_right <<<"$again")"
stop_and_hear_silence
close_murmex
