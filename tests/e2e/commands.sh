#!/usr/bin/env bash
# The command line against a running copy: --play is heard and shown, --status tells the state, a --noise while
# playing is refused with its reason and changes nothing, --stop --noise 3 --play switches what is heard, a bad
# value is refused before anything is sent, and what the commands set is stored by --quit. With no copy
# running: --status and --stop start nothing, and --hidden --play plays with no window mapped. With no display:
# --headless says an error in one line on stderr, plays, answers the commands and the media controls, refuses
# to show a window, and stores its settings.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41)

# Runs PROGRAM with the options given, within a bound; sets STATUS, OUT and ERR.
murmex_says() {
    STATUS=0
    timeout 20 "$PROGRAM" "$@" >"$MURMEX_TEST_TMP/out.$$" 2>"$MURMEX_TEST_TMP/err.$$" || STATUS=$?
    OUT=$(cat "$MURMEX_TEST_TMP/out.$$")
    ERR=$(cat "$MURMEX_TEST_TMP/err.$$")
}

# Runs PROGRAM with the options given and fails unless it ends with status 0.
murmex_does() {
    murmex_says "$@"
    ((STATUS == 0)) || fail "murmex $* ended with $STATUS: $ERR"
}

# Figures of one second of what is playing now, taken after the output has settled.
measure_now() {
    local from
    from=$(recorded_after "$(monitor_mark)" 0.2)
    expect_sound "$MURMEX_TEST_MONITOR" "$from" "$(recorded_after "$from" 1.0)" "$@"
}

# Waits up to SOUND_WAIT seconds until a second of what plays meets the soundcheck CONDITIONS given, and prints
# its figures: a switch of the noise passes through a moment of silence.
hear() {
    local deadline=$((SECONDS + SOUND_WAIT)) from out
    while true; do
        from=$(monitor_mark)
        out=$("$SOUNDCHECK_BIN" "$MURMEX_TEST_MONITOR" "$from" "$(recorded_after "$from" 1.0)" "$@" 2>&1) &&
            echo "$out" && return 0
        ((SECONDS < deadline)) || fail "what plays: $out"
    done
}

expect_status_line() {
    murmex_does --status
    grep -qxE "$1" <<<"$OUT" || fail "--status does not say '$1': $OUT"
}

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=1\nOff_1=0\nOff_2=1\nMin_FormShow=0'
start_murmex_copy

step "--play: noise 1 (8 kHz white noise, nothing above 4 kHz) is heard, and the window shows it playing"
mark=$(monitor_mark)
murmex_does --play
wait_sound "$mark" >/dev/null || fail "no sound after --play"
measure_now --sound 3000 --high-max 0.02
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") after --play"

step "--status: playing, and the noise by its number and name"
expect_status_line 'state: playing'
expect_status_line 'noise: 1 Summer Night'
before=$OUT

step "--noise 3 while playing: refused with its reason, exit 1, and nothing changes"
murmex_says --noise 3
((STATUS == 1)) || fail "--noise 3 while playing ended with $STATUS"
[[ "$ERR" == "murmex: --noise 3: the noise cannot change while it plays; --stop first" ]] ||
    fail "--noise 3 while playing said: $ERR"
measure_now --sound 3000 --high-max 0.02
murmex_does --status
[[ "$OUT" == "$before" ]] || fail "the state changed: $OUT"

step "a bad value: exit 2 and the message, nothing sent"
murmex_says --volume 50 --volume 120 --play
((STATUS == 2)) || fail "--volume 120 ended with $STATUS"
[[ "$ERR" == $'murmex: --volume 120: expected a volume from 0 to 100, or LEFT,RIGHT\nTry \'murmex --help\'' ]] ||
    fail "--volume 120 said: $ERR"
murmex_does --status
[[ "$OUT" == "$before" ]] || fail "the state changed: $OUT"

step "--stop --noise 3 --play: noise 3 (24 kHz white noise, most of it above 4 kHz) is heard"
murmex_does --stop --noise 3 --play
hear --sound 3000 --high-min 0.5
expect_status_line 'noise: 3 Energy Boost'

step "--volume 50,25 --off 10 --then suspend: shown by --status, and stored by --quit"
murmex_does --volume 50,25 --off 10 --then suspend
expect_status_line 'volume: 50,25'
expect_status_line 'off: 10 \((9|10) left\)'
expect_status_line 'then: suspend'
murmex_does --quit
expect_exit 0
stored_now="$(stored Noise_Num) $(stored Value_L) $(stored Value_R) $(stored Off_1) $(stored Off_2)"
[[ "$stored_now" == "3 50 25 1 2" ]] || fail "stored noise, volumes, delay and action: $stored_now"

step "no copy running: --status ends with 1, --stop with 0, and neither starts one"
murmex_says --status
[[ "$STATUS $ERR" == "1 Murmex is not running" ]] || fail "--status with nothing running: $STATUS $ERR"
murmex_does --stop
pgrep -f "^$PROGRAM" >/dev/null && fail "a copy runs after --status and --stop"

step "--hidden --play: the noise is heard, no window is mapped, and the icon is in the tray"
mark=$(monitor_mark)
"$PROGRAM" --hidden --play >"$MURMEX_TEST_TMP/hidden.$$.log" 2>&1 &
MURMEX_PID=$!
own "$MURMEX_PID"
wait_sound "$mark" >/dev/null || fail "no sound after --hidden --play: $(cat "$MURMEX_TEST_TMP/hidden.$$.log")"
wait_tray_icon >/dev/null || fail "no icon in the tray"
WINDOW=$(xdotool search --pid "$MURMEX_PID" --name '^Murmex$' 2>/dev/null | head -n 1 || true)
[[ -n "$WINDOW" ]] || fail "the hidden copy has no window"
[[ "$(map_state)" == IsUnMapped ]] || fail "the hidden window is $(map_state)"
murmex_does --quit
expect_exit 0
[[ "$(stored Min_FormShow)" == 0 ]] || fail "Min_FormShow is stored as $(stored Min_FormShow) after --hidden"

# Waits up to 20 seconds until the copy started in the background answers --status.
wait_running() {
    local deadline=$((SECONDS + 20))
    until murmex_says --status && ((STATUS == 0)); do
        kill -0 "$MURMEX_PID" 2>/dev/null || fail "the copy ended: $(cat "$1")"
        ((SECONDS < deadline)) || fail "the copy does not answer: $ERR"
        sleep 0.1
    done
}

step "--headless with no display and no output: the open error is one line on stderr, and the start comes to nothing"
new_config_home
log="$MURMEX_TEST_TMP/headless.$$.log"
PULSE_SERVER=unix:/nonexistent/native HOME="$MURMEX_TEST_TMP" env -u DISPLAY -u WAYLAND_DISPLAY \
    "$PROGRAM" --headless --play >"$log" 2>&1 &
MURMEX_PID=$!
own "$MURMEX_PID"
wait_running "$log"
deadline=$((SECONDS + 20))
until grep -q 'state: stopped' <<<"$OUT"; do
    ((SECONDS < deadline)) || fail "--status after the open error: $OUT; stderr: $(cat "$log")"
    sleep 0.1
    murmex_does --status
done
[[ "$(wc -l <"$log") $(cut -c1-8 "$log")" == "1 Murmex: " ]] || fail "stderr after the open error: $(cat "$log")"
murmex_does --quit
expect_exit 0

step "--headless with no display: --play plays the stored noise, --status and playerctl see it, a plain start and"\
    "--show are refused, and what is set is stored"
new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=3\nMin_FormShow=1'
start_private_bus session DBUS_SESSION_BUS_ADDRESS
env -u DISPLAY -u WAYLAND_DISPLAY "$PROGRAM" --headless >"$log" 2>&1 &
MURMEX_PID=$!
own "$MURMEX_PID"
wait_running "$log"
murmex_does --play
hear --sound 3000 --high-min 0.5
expect_status_line 'state: playing'
expect_status_line 'noise: 3 Energy Boost'
deadline=$((SECONDS + 20))
until [[ "$(playerctl -p murmex status 2>&1)" == Playing ]]; do
    ((SECONDS < deadline)) || fail "playerctl shows: $(playerctl -p murmex status 2>&1)"
    sleep 0.1
done
can_raise=$(dbus-send --session --print-reply=literal --dest=org.mpris.MediaPlayer2.murmex /org/mpris/MediaPlayer2 \
    org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2 string:CanRaise | awk '{print $NF}')
[[ "$can_raise" == false ]] || fail "a copy without a window offers to raise it: CanRaise $can_raise"
for show in "" --show; do
    murmex_says $show
    [[ "$STATUS $ERR" == "1 Murmex runs without a window; use murmex --quit" ]] ||
        fail "murmex $show beside the headless copy: $STATUS $ERR"
done
murmex_does --volume 50,25
deadline=$((SECONDS + 20))
until [[ "$(stored Value_L) $(stored Value_R)" == "50 25" ]]; do
    ((SECONDS < deadline)) || fail "the volumes set were not stored while running: $(stored Value_L) $(stored Value_R)"
    sleep 0.1
done
murmex_does --quit
expect_exit 0
[[ "$(stored Noise_Num) $(stored Min_FormShow)" == "3 1" ]] ||
    fail "stored noise and Min_FormShow: $(stored Noise_Num) $(stored Min_FormShow)"
[[ ! -s "$log" ]] || fail "the headless copy said: $(cat "$log")"
