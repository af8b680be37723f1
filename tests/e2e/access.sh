#!/usr/bin/env bash
# The window as a screen reader sees it, over the accessibility bus of a private session bus (at-spi2-core)
# with a small AT-SPI client (atspi.py, Debian's python3-pyatspi): in English and then, after a switch of the
# language through the tree itself, in Russian, the generator button, the eight noises and the two volume
# sliders are there with their names; pressing the generator by its action starts the noise at the sink and
# renames the button; a slider's value set by the client is heard at that level (left 50, right 100 in
# English; left 50, right 25 in Russian).
source "$(dirname "$0")/lib.sh"

readonly ATSPI=("/usr/bin/python3" "$(dirname "$0")/atspi.py")
readonly BUS_LAUNCHER=/usr/libexec/at-spi-bus-launcher
[[ -x "$BUS_LAUNCHER" ]] || fail "no $BUS_LAUNCHER: the test needs at-spi2-core (scripts/deps.sh test)"

start_private_bus session DBUS_SESSION_BUS_ADDRESS
"$BUS_LAUNCHER" --launch-immediately >"$MURMEX_TEST_TMP/atspi.$$.log" 2>&1 &
# The launcher's own bus goes first, while it is still known as the launcher's child.
at_exit "pkill -TERM -P $!; kill $!"

atspi() {
    "${ATSPI[@]}" "$@" 2>&1 || fail "atspi.py $*: the client failed"
}

# Figures of one second of what is playing now, taken after a volume change has reached the sink.
measure_now() {
    local from
    from=$(recorded_after "$(monitor_mark)" 0.5)
    expect_sound "$MURMEX_TEST_MONITOR" "$from" "$(recorded_after "$from" 1.0)" "$@"
}

# Fails unless channel figure HALF of the measurement is about half of figure OTHER (the noise is the same on
# both channels).
expect_half() {
    local half other
    half=$(field "$1" <<<"$3")
    other=$(field "$2" <<<"$3")
    awk -v h="$half" -v o="$other" 'BEGIN { exit !(h > 0.45 * o && h < 0.55 * o) }' ||
        fail "$1 is heard at $half against $2 at $other, not at half of it"
}

# One pass in a language: START and STOP name the generator button; VOLUME is the slider set to LEVEL, half
# the other's, which makes figure HALF of the sound half of figure OTHER; then the eight noises and both
# sliders, named in their order.
read_press_and_set() {
    local start=$1 stop=$2 volume=$3 level=$4 half=$5 other=$6 mark tree sound
    shift 6
    step "the tree holds the generator, the noises and the sliders with their names"
    atspi wait "$start" >/dev/null
    tree=$(atspi tree)
    echo "$tree"
    [[ "$(head -n 1 <<<"$tree")" == "frame|Murmex" ]] || fail "the window reads as $(head -n 1 <<<"$tree")"
    grep -qx "push button|$start|.*" <<<"$tree" || fail "no button '$start'"
    [[ "$(sed -n 's/^radio button|\([^|]*\)|.*/\1/p' <<<"$tree" | paste -sd ,)" == "$1" ]] ||
        fail "the radio buttons read: $(grep '^radio button' <<<"$tree")"
    grep -q "^radio button|.*|checked .*" <<<"$tree" || fail "no noise reads as chosen"
    [[ "$(sed -n 's/^slider|\([^|]*\)|.*/\1/p' <<<"$tree" | paste -sd ,)" == "$2" ]] ||
        fail "the sliders read: $(grep '^slider' <<<"$tree")"

    step "pressing '$start' by its action plays the noise and renames the button '$stop'"
    mark=$(monitor_mark)
    atspi press "$start"
    wait_sound "$mark" >/dev/null || fail "no sound after the generator's action"
    atspi wait "$stop" >/dev/null

    step "'$volume' set to $level by the client is heard at that level"
    atspi set-value "$volume" "$level"
    grep -qx "slider|$volume|.*|value=$level" <<<"$(atspi tree)" || fail "'$volume' does not read $level"
    sound=$(measure_now --sound 500)
    echo "$sound"
    expect_half "$half" "$other" "$sound"

    mark=$(monitor_mark)
    atspi press "$stop"
    wait_silence "$mark" >/dev/null || fail "the sound did not end with the action of '$stop'"
    atspi wait "$start" >/dev/null
}

new_config_home
seed_settings $'Noise_Num=5\nValue_L=100\nValue_R=100\nLanguare=0'
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_murmex_copy

read_press_and_set "Start Generator" "Generator Shut Down" "Left volume" 50 rms_left rms_right \
    "Summer Night,Easy Going,Energy Boost,Rough Day,Morpheus,Waterfall,Nirvana,Sea depth" \
    "Left volume,Right volume"

step "the language arrow's action switches the tree to Russian"
atspi press "Interface: up"

read_press_and_set "Запустить генератор" "Остановить генератор" "Громкость справа" 25 rms_right rms_left \
    "Летняя ночь,Беззаботный,Бодрость,Трудный день,Морфей,Водопад,Нирвана,Бездна" \
    "Громкость слева,Громкость справа"

step "the volumes set through the tree are stored"
close_murmex
[[ "$(stored Value_L) $(stored Value_R) $(stored Languare)" == "50 25 1" ]] ||
    fail "stored volumes and language: $(stored Value_L) $(stored Value_R) $(stored Languare)"
