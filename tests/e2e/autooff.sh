#!/usr/bin/env bash
# Ten minutes of playing with the auto-off set to "10" and "Computer shutdown": the settings are in the store
# by the time the login manager is asked, it is asked once and without interaction, and a computer that stays
# on leaves the noise playing. The login manager is a fake on a private system bus started here.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535) LANGUAGE_UP=(755 418)

bus_log="$MURMEX_TEST_TMP/system-bus.$$"
record="$MURMEX_TEST_TMP/login1.$$"
coproc BUS { exec dbus-daemon --session --nofork --nopidfile --print-address \
    --address="unix:path=$MURMEX_TEST_TMP/system_bus_socket.$$" 2>"$bus_log"; }
read -r -t 20 address <&"${BUS[0]}" || fail "the private system bus did not start: $(cat "$bus_log")"
export DBUS_SYSTEM_BUS_ADDRESS="$address"
bus_pid=$BUS_PID

new_config_home
seed_settings $'Off_1=1\nOff_2=1\nNoise_Num=4\nValue_L=80\nValue_R=80\nLanguare=1'
coproc LOGIN1 { exec "$FAKE_LOGIN1_BIN" "$record" "$SETTINGS_FILE"; }
read -r -t 20 ready <&"${LOGIN1[0]}" && [[ "$ready" == ready ]] || fail "the fake login manager did not start"
login1_pid=$LOGIN1_PID

start_murmex_copy
trap 'kill -9 "$MURMEX_PID" "$login1_pid" "$bus_pid" 2>/dev/null || true' EXIT
# A setting changed during the run must be in the store at the moment of the request.
click "${LANGUAGE_UP[@]}"
mark=$(monitor_mark)
click "${GENERATOR[@]}"
wait_sound "$mark" >/dev/null || fail "no sound after the generator was started"
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"
step "playing; the auto-off is due in ten minutes"

deadline=$((SECONDS + 11 * 60 + 30))
until grep -q '^PowerOff' "$record" 2>/dev/null; do
    ((SECONDS < deadline)) || fail "no power-off was asked for after ten minutes of playing"
    kill -0 "$MURMEX_PID" 2>/dev/null || fail "Murmex ended instead of asking for a power-off"
    sleep 1
done
step "the power-off was asked for"
grep -qx 'PowerOff interactive=false' "$record" || fail "the request was not non-interactive: $(cat "$record")"
grep -qx 'Noise_Num=4' "$record" && grep -qx 'Languare=0' "$record" && grep -qx 'Off_2=1' "$record" ||
    fail "the settings were not in the store at the request: $(cat "$record")"

# The computer stayed on: the program goes on playing, and asks no more.
mark=$(monitor_mark)
wait_sound "$mark" >/dev/null || fail "the noise stopped after the request"
[[ "$(pixel "${LAMP[@]}")" == FF0000 ]] || fail "the lamp is $(pixel "${LAMP[@]}") after the request"
sleep 2
[[ "$(grep -c '^PowerOff' "$record")" == 1 ]] || fail "the power-off was asked for more than once"
close_murmex
step "passed"
