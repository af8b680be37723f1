#!/usr/bin/env bash
# Murmex on the sound server's own protocol: the audio page steps through the desktop's default and the
# server's outputs; the chosen one plays, alone, also after a restart; the mixer shows the stream as Murmex
# with the noise's name, and its volume comes back to the sliders (linear: 50 is half the amplitude), whole
# and as the mixer set it; the noise follows its output away and back, and comes back after each restart of
# the server while the lamp stays red; a move in the mixer chooses the output it moves the noise to; a server
# that does not answer at start holds up neither the window nor a start, and plays once it answers.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535)
unset MURMEX_SOUND_PATH

# Waits up to SECONDS for sound on MONITOR after MARK and says how long it took from START (ms).
heard_within() {
    local seconds=$1 monitor=$2 mark=$3 start=$4 what=$5 at
    at=$(SOUND_WAIT=$seconds wait_sound "$mark" "$monitor") || fail "$what: nothing heard within $seconds s"
    echo "$what: heard after $(($(now_ms) - start)) ms"
    (($(now_ms) - start <= seconds * 1000)) || fail "$what: heard only after $(($(now_ms) - start)) ms"
    expect_sound "$monitor" "$at" "$(recorded_after "$at" 0.5 "$monitor")" --sound 3000 >/dev/null
}

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=5'
start_murmex_copy
at_exit 'bash "$MURMEX_TEST_PULSE_CTL" load-2'

step "the arrows step through the desktop's default and the server's two outputs, stored by their keys"
expect_outputs_stepped
choose_output "$MURMEX_TEST_SINK_2"

step "the chosen output plays, alone, and the mixer names the stream"
SOUND_WAIT=5 start_on_second_sink
expect_mixer_names Morpheus
full=$(expect_sound "$MURMEX_TEST_MONITOR_2" "$(monitor_mark "$MURMEX_TEST_MONITOR_2")" \
    "$(recorded_after "$(monitor_mark "$MURMEX_TEST_MONITOR_2")" 1 "$MURMEX_TEST_MONITOR_2")" --sound 3000)

step "the mixer sets the left volume to half the amplitude: heard so, and the slider follows"
input=$(pactl list short sink-inputs | cut -f1 | head -n 1)
# 52016 is the server's volume for half the amplitude (its scale is cubic). The server applies it at once;
# what the monitor recorded before may still come in for a moment.
pactl set-sink-input-volume "$input" 52016 65536
mark=$(recorded_after "$(monitor_mark "$MURMEX_TEST_MONITOR_2")" 0.3 "$MURMEX_TEST_MONITOR_2")
half=$(expect_sound "$MURMEX_TEST_MONITOR_2" "$mark" "$(recorded_after "$mark" 1 "$MURMEX_TEST_MONITOR_2")" --sound 1000)
awk -v h="$(field rms_left <<<"$half")" -v f="$(field rms_left <<<"$full")" \
    'BEGIN { exit !(h > 0.45 * f && h < 0.55 * f) }' ||
    fail "left at half is heard at $(field rms_left <<<"$half") against $(field rms_left <<<"$full")"

step "the chosen output goes: heard on the default within 2 s; back: on it again within 2 s, and only there"
mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
bash "$MURMEX_TEST_PULSE_CTL" unload-2 # ends the sink's recorder first, then unloads the sink
heard_within 2 "$MURMEX_TEST_MONITOR" "$mark1" "$(now_ms)" "the output away"
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
loaded=$(now_ms)
bash "$MURMEX_TEST_PULSE_CTL" load-2
heard_within 2 "$MURMEX_TEST_MONITOR_2" "$mark2" "$loaded" "the output back"
wait_silence "$(monitor_mark "$MURMEX_TEST_MONITOR")" "$MURMEX_TEST_MONITOR" >/dev/null ||
    fail "the default output still plays"
expect_no_error_box "after the output came back"

step "the server restarts three times: the noise is back within 3 s each time, the lamp red throughout"
for round in 1 2 3; do
    bash "$MURMEX_TEST_PULSE_CTL" stop
    [[ "$(pixel "${LAMP[@]}")" == FF0000 ]] || fail "round $round: the lamp is $(pixel "${LAMP[@]}") without a server"
    mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
    bash "$MURMEX_TEST_PULSE_CTL" start
    heard_within 3 "$MURMEX_TEST_MONITOR_2" "$mark2" "$(now_ms)" "round $round"
    [[ "$(pixel "${LAMP[@]}")" == FF0000 ]] || fail "round $round: the lamp is $(pixel "${LAMP[@]}")"
done
expect_no_error_box "after the restarts"

step "stopped and closed: the mixer's volume was stored as a drag would store it"
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
click "${GENERATOR[@]}"
wait_silence "$mark2" "$MURMEX_TEST_MONITOR_2" >/dev/null || fail "the sound did not end"
close_murmex
[[ "$(stored Value_L)" == 50 && "$(stored Value_R)" == 100 ]] ||
    fail "stored volumes: $(stored Value_L) $(stored Value_R)"

step "after a restart of the program the chosen output still plays, alone"
start_private_bus session DBUS_SESSION_BUS_ADDRESS
start_murmex "$PROGRAM"
SOUND_WAIT=5 start_on_second_sink

step "moved to the first output in the mixer: chosen and stored, no loss told, kept while another output comes and goes"
mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
pactl move-sink-input "$(pactl list short sink-inputs | cut -f1 | head -n 1)" "$MURMEX_TEST_SINK"
wait_sound "$mark1" "$MURMEX_TEST_MONITOR" >/dev/null || fail "nothing heard on the first output after the move"
for _ in $(seq 100); do
    grep -qx "Object1Name=$MURMEX_TEST_SINK" "$OUTPUT_INI" && break
    sleep 0.1
done
grep -qx "Object1Name=$MURMEX_TEST_SINK" "$OUTPUT_INI" || fail "the move was not stored: $(cat "$OUTPUT_INI")"
pactl unload-module "$(pactl load-module module-null-sink sink_name=murmex_test_3)"
mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
mark2=$(wait_silence "$(monitor_mark "$MURMEX_TEST_MONITOR_2")" "$MURMEX_TEST_MONITOR_2") ||
    fail "the second output plays again"
expect_sound "$MURMEX_TEST_MONITOR" "$mark1" "$(recorded_after "$mark1" 1)" --sound 3000 >/dev/null
expect_sound "$MURMEX_TEST_MONITOR_2" "$mark2" "$(monitor_mark "$MURMEX_TEST_MONITOR_2")" --silent "$SILENCE_LEVEL" \
    >/dev/null
! grep "was lost" "$MURMEX_TEST_TMP/murmex.$$.log" || fail "the move was told as a loss"

step "the mixer sets both channels far down its scale: they stay there, and the sliders show 1, not silence"
input=$(pactl list short sink-inputs | cut -f1 | head -n 1)
pactl set-sink-input-volume "$input" 6554 # 10 % on the mixer's cubic scale: a thousandth of the amplitude
deadline=$((SECONDS + 20))
until [[ "$(stored Value_L) $(stored Value_R)" == "1 1" ]]; do
    ((SECONDS < deadline)) || fail "stored volumes: $(stored Value_L) $(stored Value_R)"
    sleep 0.1
done
[[ "$(playerctl -p murmex volume 2>&1)" == 0.010000 ]] ||
    fail "the media controls show $(playerctl -p murmex volume 2>&1)"
volume=$(pactl list sink-inputs | grep -m 1 '^[[:space:]]*Volume:')
[[ "$(grep -o 'front-[a-z]*: [0-9]*' <<<"$volume")" == $'front-left: 6554\nfront-right: 6554' ]] ||
    fail "the mixer's volume was changed back: $volume"
close_murmex
[[ "$(stored Value_L) $(stored Value_R)" == "1 1" ]] || fail "stored at the end: $(stored Value_L) $(stored Value_R)"

step "a sound server that does not answer at start: the window shows; a start meanwhile plays once it answers"
printf '[ObjectMapping]\nObject1=2\nObject1Name=%s\n' "$MURMEX_TEST_SINK_2" >"$OUTPUT_INI" # the chosen output
server=$(head -n 1 "$MURMEX_TEST_PULSE_PIDS")
at_exit "kill -CONT $server"
kill -STOP "$server"
start_murmex "$PROGRAM"
click "${GENERATOR[@]}"
wait_pixel "${LAMP[@]}" FF0000 5 || fail "the lamp is $(pixel "${LAMP[@]}") after a start without an answer"
expect_no_error_box "a start before the server answered"
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
kill -CONT "$server"
wait_sound "$mark2" "$MURMEX_TEST_MONITOR_2" >/dev/null ||
    fail "nothing reached the chosen output once the server answered"
expect_no_error_box "the server answered"
close_murmex
