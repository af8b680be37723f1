#!/usr/bin/env bash
# The noise outlives its sound server: killed and started again while the generator plays, five times in a
# run, the sound comes back by itself each time, the generator shows running throughout, no error box
# appears, and the program neither grows nor keeps threads. A stop while the server is away answers at once;
# a start while it is away says so once and leaves the generator stopped, and a start after its return plays.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535) NOISE_5=(81 328)
readonly LOSSES=5
readonly BACK_WITHIN_MS=3000 # from the moment the new server answers to the program's stream on it
readonly STOP_WITHIN_MS=500

SERVER_AWAY=""
server_stop() {
    bash "$MURMEX_TEST_PULSE_CTL" stop || fail "the sound server did not stop"
    SERVER_AWAY=1
}
server_start() {
    bash "$MURMEX_TEST_PULSE_CTL" start || fail "the sound server did not start again"
    SERVER_AWAY=""
}

status_field() { # NAME from the program's /proc status, as a number
    awk -v n="$1:" '$1 == n { print $2 }' "/proc/$MURMEX_PID/status"
}

# Under AddressSanitizer freed memory is held back for a while to catch late uses, which would show as growth.
if [[ ",${MURMEX_SANITIZE:-}," == *,address,* ]]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=0"
fi

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=4'
start_murmex_copy
LOG="$MURMEX_TEST_TMP/murmex.$$.log"
# Whatever happens, the next test finds the sound server running.
at_exit '[[ -z "$SERVER_AWAY" ]] || bash "$MURMEX_TEST_PULSE_CTL" start'

step "the generator plays"
mark=$(monitor_mark)
click "${GENERATOR[@]}"
wait_sound "$mark" >/dev/null || fail "no sound after the start"
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"

for ((loss = 1; loss <= LOSSES; loss++)); do
    step "loss $loss: the sound server goes away and comes back"
    server_stop
    # Long enough for the player to notice and to try the output again more than once.
    deadline=$(($(now_ms) + 2500))
    while (($(now_ms) < deadline)); do
        [[ "$(pixel "${LAMP[@]}")" == FF0000 ]] || fail "the lamp turned $(pixel "${LAMP[@]}") without a server"
        expect_no_error_box "the sound server went away"
        sleep 0.2
    done
    # The recording stands still while the server is away and goes on from here once it is back.
    mark=$(monitor_mark)
    bash "$MURMEX_TEST_PULSE_CTL" start &
    starting=$!
    until pactl info >/dev/null 2>&1; do
        kill -0 "$starting" 2>/dev/null || break
        sleep 0.02
    done
    up=$(now_ms)
    # The program is the only one that plays on the server: its stream is the one playback stream.
    until [[ -n "$(pactl list short sink-inputs 2>/dev/null)" ]]; do
        (($(now_ms) - up < 15000)) || fail "the program never played on the new server"
        sleep 0.02
    done
    back_ms=$(($(now_ms) - up))
    echo "playing on the new server ${back_ms} ms after it answered"
    ((back_ms <= BACK_WITHIN_MS)) || fail "the program played on the new server only ${back_ms} ms after it answered"
    wait "$starting" || fail "the sound server did not start again"
    SERVER_AWAY=""
    # A new null sink renders its first block about two seconds after it is made, so the first recorded
    # second after the server's return is where the noise must be.
    at=$(SOUND_WAIT=15 wait_sound "$mark") || fail "the sound did not come back after loss $loss"
    ((at - mark <= 192000)) || fail "the noise began $(((at - mark) / 192)) ms into the new recording"
    expect_sound "$MURMEX_TEST_MONITOR" "$at" "$(recorded_after "$at" 1.0)" --sound 1000 >/dev/null
    [[ "$(pixel "${LAMP[@]}")" == FF0000 ]] || fail "the lamp is $(pixel "${LAMP[@]}") after the return"
    expect_no_error_box "the sound server came back"
    threads=$(status_field Threads) rss=$(status_field VmRSS)
    echo "threads $threads, RSS $rss kB"
    if ((loss == 1)); then
        first_threads=$threads first_rss=$rss
    fi
done

step "after $LOSSES losses: as many threads and as much memory as after the first"
((threads <= first_threads + 1)) || fail "$threads threads after $LOSSES losses, $first_threads after the first"
((rss <= first_rss + 2048)) || fail "RSS $rss kB after $LOSSES losses, $first_rss kB after the first"
[[ $(grep -c "was lost" "$LOG") -eq $LOSSES ]] || fail "not one warning a loss: $(cat "$LOG")"
[[ $(grep -c "is back" "$LOG") -eq $LOSSES ]] || fail "not one warning a return: $(cat "$LOG")"
! grep -q "^Expression '" "$LOG" || fail "the sound library's own reports reached stderr: $(cat "$LOG")"

step "a stop while the server is away answers at once"
server_stop
click "${GENERATOR[@]}"
clicked=$(now_ms)
until [[ "$(pixel "${LAMP[@]}")" == 0080C0 ]]; do
    (($(now_ms) - clicked < 10000)) || fail "the lamp never turned blue after the stop"
    sleep 0.02
done
stop_ms=$(($(now_ms) - clicked))
echo "the lamp turned blue ${stop_ms} ms after the click"
((stop_ms <= STOP_WITHIN_MS)) || fail "the stop took ${stop_ms} ms to show"

step "the program answers clicks: another noise is chosen while the server is away (heard below)"
click "${NOISE_5[@]}"

step "a start while the server is away: one error box, then stopped"
click "${GENERATOR[@]}"
box=$(wait_error_box) || fail "no error box for a start without a server"
close_error_box "$box"
wait_pixel "${LAMP[@]}" 0080C0 5 || fail "the generator shows running after the failed start"
sleep 1.5 # a player that went on trying would show another box by now
expect_no_error_box "a second box after a start without a server"

step "after the server's return a start plays the noise chosen while it was away"
server_start
mark=$(monitor_mark)
click "${GENERATOR[@]}"
at=$(wait_sound "$mark") || fail "no sound after the server came back"
# Noise 5 is 44.1 kHz white noise, most of it above 4 kHz; noise 4 has next to nothing there.
expect_sound "$MURMEX_TEST_MONITOR" "$at" "$(recorded_after "$at" 1.0)" --sound 1000 --high-min 0.6
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"
mark=$(monitor_mark)
click "${GENERATOR[@]}"
wait_silence "$mark" >/dev/null || fail "the sound did not end at the stop"
close_murmex
! grep -q "^Expression '" "$LOG" || fail "the sound library's own reports reached stderr: $(cat "$LOG")"
