#!/usr/bin/env bash
# What goes wrong is said in an error box, loses nothing and leaves the program working: a stored noise
# number that names no noise, no output at all, an output that cannot be opened, a device choice that
# cannot be stored, and stored volumes outside their range.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535) NOISE_2=(291 148) AUDIO_TAB=(637 371)
readonly DEVICE_UP=(755 418) DEVICE_DOWN=(755 429)

expect_box_then_stopped() {
    local box
    box=$(wait_error_box) || fail "no error box: $*"
    close_error_box "$box"
    wait_pixel "${LAMP[@]}" 0080C0 5 || fail "the generator shows running after: $*"
}

for noise in 0 9 -2147483648; do
    step "a stored noise number $noise: the start is refused, a chosen noise plays"
    new_config_home
    seed_settings "Value_L=100"$'\n'"Value_R=100"$'\n'"Noise_Num=$noise"
    start_murmex_copy
    mark=$(monitor_mark)
    click "${GENERATOR[@]}"
    expect_box_then_stopped "a start with noise $noise"
    expect_sound "$MURMEX_TEST_MONITOR" "$mark" "$(recorded_after "$mark" 0.5)" --silent "$SILENCE_LEVEL"
    click "${NOISE_2[@]}"
    mark=$(monitor_mark)
    click "${GENERATOR[@]}"
    wait_sound "$mark" >/dev/null || fail "a chosen noise does not play after noise $noise was refused"
    expect_no_error_box "after a noise was chosen"
    click "${GENERATOR[@]}"
    close_murmex
    [[ "$(stored Noise_Num)" == 2 ]] || fail "the chosen noise was stored as $(stored Noise_Num)"
done

step "no output at all: the open error once, then stopped; the arrows report the empty list"
new_config_home
seed_settings $'Value_L=100\nValue_R=100'
copy_murmex
PULSE_SERVER=unix:/nonexistent/native HOME="$MURMEX_TEST_TMP" start_murmex "$PROGRAM"
click "${GENERATOR[@]}"
expect_box_then_stopped "a start without any output"
sleep 0.5
expect_no_error_box "a second box after the open error"
click "${AUDIO_TAB[@]}"
for arrow in up down; do
    if [[ $arrow == up ]]; then click "${DEVICE_UP[@]}"; else click "${DEVICE_DOWN[@]}"; fi
    box=$(wait_error_box) || fail "no error box for the $arrow arrow on an empty list"
    close_error_box "$box"
done
[[ ! -e "$OUTPUT_INI" ]] || fail "an empty list wrote a choice: $(cat "$OUTPUT_INI")"
close_murmex

step "a device choice that cannot be stored is reported and holds for the run"
new_config_home
seed_settings $'Value_L=100\nValue_R=100'
copy_murmex
mkdir -p "$OUTPUT_INI" # a folder where the file should be: not even root can write it
start_murmex "$PROGRAM"
click "${AUDIO_TAB[@]}"
for _ in 1 2; do # from the first listed output (pulse) down to the second test output
    click "${DEVICE_DOWN[@]}"
    box=$(wait_error_box) || fail "no error box for a choice that cannot be stored"
    close_error_box "$box"
done
mark=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
click "${GENERATOR[@]}"
wait_sound "$mark" "$MURMEX_TEST_MONITOR_2" >/dev/null || fail "the choice did not hold for the run"
click "${GENERATOR[@]}"
close_murmex

step "stored volumes of -5 and 250 play as 0 and 100 and are stored so"
new_config_home
seed_settings $'Value_L=-5\nValue_R=250\nNoise_Num=5'
start_murmex_copy
mark=$(monitor_mark)
click "${GENERATOR[@]}"
at=$(wait_sound "$mark") || fail "no sound"
figures=$(expect_sound "$MURMEX_TEST_MONITOR" "$at" "$(recorded_after "$at" 0.5)" --sound 3000)
echo "$figures"
awk -v f="$figures" -v s="$SILENCE_LEVEL" 'BEGIN { match(f, /rms_left=[^ ]*/); exit !(substr(f, RSTART + 9, RLENGTH - 9) < s) }' ||
    fail "the left channel stored at -5 is heard"
click "${GENERATOR[@]}"
close_murmex
[[ "$(stored Value_L) $(stored Value_R)" == "0 100" ]] || fail "volumes stored as $(stored Value_L) $(stored Value_R)"
