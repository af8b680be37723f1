#!/usr/bin/env bash
# While the generator plays the computer does not suspend for being idle. Private session and system buses
# are started here, with a fake portal and a fake login manager on them (see FakePortal.cpp and
# FakeLogin1.cpp): with a portal the program asks it and leaves the login manager alone; without one it asks
# the login manager. Each start takes one inhibitor, each stop gives it back, and so does closing the window
# while the noise plays. Without any bus the program plays as before and says nothing about it.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535)
readonly REASON="Playing noise"

# Starts fake BINARY with ARGS and waits until it is ready.
start_fake() {
    local out
    out=$(mktemp "$MURMEX_TEST_TMP/fake.XXXXXX")
    "$@" >"$out" 2>&1 &
    FAKE_PID=$!
    own "$FAKE_PID"
    [[ "$(first_line "$out")" == ready ]] || fail "$(basename "$1") did not start: $(cat "$out")"
}

# Waits until RECORD holds exactly the lines given.
expect_record() {
    local record=$1 want deadline=$((SECONDS + 20))
    shift
    want=$(printf '%s\n' "$@")
    until [[ "$(cat "$record" 2>/dev/null)" == "$want" ]]; do
        ((SECONDS < deadline)) || fail "$(basename "$record") holds:
$(cat "$record" 2>/dev/null)
instead of:
$want"
        sleep 0.05
    done
}

start_generator() {
    click "${GENERATOR[@]}"
    wait_pixel "${LAMP[@]}" FF0000 || fail "the generator did not start"
}

stop_generator() {
    click "${GENERATOR[@]}"
    wait_pixel "${LAMP[@]}" 0080C0 || fail "the generator did not stop"
}

start_private_bus session DBUS_SESSION_BUS_ADDRESS
start_private_bus system DBUS_SYSTEM_BUS_ADDRESS
new_config_home
seed_settings $'Noise_Num=2\nValue_L=60\nValue_R=60'

step "with a portal"
portal="$MURMEX_TEST_TMP/portal.$$"
login1="$MURMEX_TEST_TMP/login1.$$"
start_fake "$FAKE_PORTAL_BIN" "$portal"
portal_pid=$FAKE_PID
start_fake "$FAKE_LOGIN1_BIN" "$login1"
start_murmex_copy
[[ ! -s "$portal" ]] || fail "an inhibitor was taken before the generator started: $(cat "$portal")"
start_generator
expect_record "$portal" "Inhibit 1 window= flags=4 reason=$REASON"
stop_generator
expect_record "$portal" "Inhibit 1 window= flags=4 reason=$REASON" "Close 1"
start_generator
expect_record "$portal" "Inhibit 1 window= flags=4 reason=$REASON" "Close 1" \
    "Inhibit 2 window= flags=4 reason=$REASON"
step "closing the window while the noise plays"
close_murmex
expect_record "$portal" "Inhibit 1 window= flags=4 reason=$REASON" "Close 1" \
    "Inhibit 2 window= flags=4 reason=$REASON" "Close 2"
[[ ! -s "$login1" ]] || fail "the login manager was asked beside the portal: $(cat "$login1")"

step "without a portal"
kill "$portal_pid"
wait "$portal_pid" 2>/dev/null || true
start_murmex_copy
start_generator
expect_record "$login1" "Inhibit 1 what=idle who=Murmex mode=block why=$REASON"
stop_generator
expect_record "$login1" "Inhibit 1 what=idle who=Murmex mode=block why=$REASON" "Released 1"
start_generator
expect_record "$login1" "Inhibit 1 what=idle who=Murmex mode=block why=$REASON" "Released 1" \
    "Inhibit 2 what=idle who=Murmex mode=block why=$REASON"
step "closing the window while the noise plays"
close_murmex
expect_record "$login1" "Inhibit 1 what=idle who=Murmex mode=block why=$REASON" "Released 1" \
    "Inhibit 2 what=idle who=Murmex mode=block why=$REASON" "Released 2"

step "without any bus"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$MURMEX_TEST_TMP/no-session-bus.$$"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$MURMEX_TEST_TMP/no-system-bus.$$"
start_murmex_copy
log="$MURMEX_TEST_TMP/murmex.$$.log"
mark=$(monitor_mark)
start_generator
wait_sound "$mark" >/dev/null || fail "no sound without a bus"
stop_generator
close_murmex
if grep -i 'bus\|inhibit\|portal\|login' "$log"; then
    fail "the program spoke of the missing buses"
fi
step "passed"
