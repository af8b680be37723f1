#!/usr/bin/env bash
# The chosen output goes away while the generator plays (its sink is unloaded, as an output that is
# unplugged): the noise goes on on the default output, comes back to the chosen one once it is there again,
# and is never heard on both; the generator shows running throughout, and a stop ends the sound.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535)

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=5'
start_murmex_copy
lamp_log="$MURMEX_TEST_TMP/lamp.$$"
# The second sink is there again at the end, whatever happened.
at_exit 'bash "$MURMEX_TEST_PULSE_CTL" load-2'

step "the generator plays on the second output"
choose_output "$MURMEX_TEST_PCM_2"
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
click "${GENERATOR[@]}"
wait_sound "$mark2" "$MURMEX_TEST_MONITOR_2" >/dev/null || fail "nothing reached the second output"
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"
# The lamp's colour, looked at over and over until the stop.
: >"$lamp_log"
(while :; do pixel "${LAMP[@]}" >>"$lamp_log"; sleep 0.2; done) &
sampler=$!
own "$sampler"

step "the second sink goes: the noise is heard on the default sink within 12 seconds"
mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
unloaded=$(now_ms)
bash "$MURMEX_TEST_PULSE_CTL" unload-2
at=$(SOUND_WAIT=12 wait_sound "$mark1" "$MURMEX_TEST_MONITOR") || fail "nothing reached the default sink"
echo "heard on the default sink $(($(now_ms) - unloaded)) ms after the unload"
(($(now_ms) - unloaded <= 12000)) || fail "the default sink heard the noise only after 12 s"
# An unplugged output stays away for a while: the noise plays on on the default sink meanwhile. (The
# program looks for its output once a second; an absence shorter than that may go unnoticed, and the
# server never moves the stream back by itself.)
expect_sound "$MURMEX_TEST_MONITOR" "$at" "$(recorded_after "$at" 2.5)" --sound 3000
expect_no_error_box "after the output went"

step "the second sink is back: the noise is back on it within 5 seconds, and only there"
loaded=$(now_ms)
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
bash "$MURMEX_TEST_PULSE_CTL" load-2
at=$(SOUND_WAIT=6 wait_sound "$mark2" "$MURMEX_TEST_MONITOR_2") ||
    fail "nothing came back to the second sink; the program said: $(grep Murmex: "$MURMEX_TEST_TMP/murmex.$$.log")
$(pactl list short sinks; pactl list short sink-inputs)"
echo "heard on the second sink again $(($(now_ms) - loaded)) ms after the reload"
(($(now_ms) - loaded <= 5000)) || fail "the second sink heard the noise again only after 5 s"
expect_sound "$MURMEX_TEST_MONITOR_2" "$at" "$(recorded_after "$at" 0.8 "$MURMEX_TEST_MONITOR_2")" --sound 3000
wait_silence "$(monitor_mark "$MURMEX_TEST_MONITOR")" "$MURMEX_TEST_MONITOR" >/dev/null ||
    fail "the default sink still plays the noise"
expect_sound "$MURMEX_TEST_MONITOR_2" "$at" "$(recorded_after "$at" 1.5 "$MURMEX_TEST_MONITOR_2")" --sound 3000
expect_no_error_box "after the output came back"

step "the lamp stayed red throughout; a stop ends the sound"
kill "$sampler"
wait "$sampler" 2>/dev/null || true
[[ -s "$lamp_log" ]] || fail "the lamp was never looked at"
others=$(grep -cvx FF0000 "$lamp_log" || true)
((others == 0)) || fail "the lamp was not red $others times: $(sort "$lamp_log" | uniq -c | tr '\n' ' ')"
mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
click "${GENERATOR[@]}"
wait_silence "$mark2" "$MURMEX_TEST_MONITOR_2" >/dev/null || fail "the sound did not end"
wait_silence "$mark1" "$MURMEX_TEST_MONITOR" >/dev/null || fail "the default sink plays after the stop"
wait_pixel "${LAMP[@]}" 0080C0 || fail "the lamp is $(pixel "${LAMP[@]}") when stopped"
close_murmex

log="$MURMEX_TEST_TMP/murmex.$$.log"
for said in "was lost" "meanwhile" "is back"; do
    count=$(grep -c "$said" "$log" || true)
    ((count == 1)) || fail "\"$said\" was said $count times on stderr: $(cat "$log")"
done
