#!/usr/bin/env bash
# The desktop's media controls, driven by playerctl on a private session bus started here: the player is
# listed under the noise's name (in the window's language), starts and stops the sound, steps through the
# noises only while stopped, follows a click on the window and a command line's change made while the window
# is in the tray, sets the volume in balance, brings the window back from the tray and ends the program as the
# tray menu's exit does. A command that fails is refused with its error and opens no box, a storm of them
# included, also while the one box of a click is open. Without a session bus the program runs as before,
# silently.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535) MINIMISE=(761 16) LANGUAGE_UP=(755 418)
readonly MPRIS_DEST=org.mpris.MediaPlayer2.murmex MPRIS_PATH=/org/mpris/MediaPlayer2

start_private_bus session DBUS_SESSION_BUS_ADDRESS

player() {
    playerctl -p murmex "$@" 2>&1
}

# Waits up to 20 seconds until `playerctl ARGS` prints WANT.
wait_player() {
    local want=$1 deadline=$((SECONDS + 20))
    shift
    until [[ "$(player "$@")" == "$want" ]]; do
        ((SECONDS < deadline)) || fail "playerctl $* shows '$(player "$@")', expected '$want'"
        sleep 0.05
    done
}

# A property of the player interface (or of INTERFACE), as dbus-send prints its value.
player_property() {
    dbus-send --session --print-reply=literal --dest=$MPRIS_DEST $MPRIS_PATH \
        org.freedesktop.DBus.Properties.Get "string:${2:-org.mpris.MediaPlayer2.Player}" "string:$1" |
        awk '{print $NF}'
}

# The current track's object path (playerctl prints it quoted).
track_id() {
    player metadata mpris:trackid | tr -d "'"
}

# Calls METHOD of the player interface and waits for the answer. playerctl itself would not ask for what
# the player does not offer.
player_call() {
    dbus-send --session --print-reply --dest=$MPRIS_DEST $MPRIS_PATH "org.mpris.MediaPlayer2.Player.$1" >/dev/null
}

root_call() {
    dbus-send --session --dest=$MPRIS_DEST --type=method_call $MPRIS_PATH "org.mpris.MediaPlayer2.$1"
}

new_config_home
seed_settings $'Noise_Num=5\nValue_L=80\nValue_R=40\nLanguare=0'
start_murmex_copy

step "listed as murmex, stopped, with the noise's name"
deadline=$((SECONDS + 20))
until playerctl -l 2>/dev/null | grep -qx murmex; do
    ((SECONDS < deadline)) || fail "playerctl does not list murmex: $(playerctl -l 2>&1)"
    sleep 0.05
done
wait_player Morpheus metadata xesam:title
wait_player Stopped status
[[ "$(track_id)" == /com/pellorquandrel/murmex/noise/5 ]] || fail "the track is $(track_id)"
[[ "$(player volume)" == 0.800000 ]] || fail "the volume is $(player volume) with sliders at 80 and 40"
[[ "$(player_property CanGoNext)" == true ]] || fail "next is not offered while stopped"
root=()
for name in Identity DesktopEntry CanRaise CanQuit HasTrackList CanSetFullscreen; do
    root+=("$(player_property $name org.mpris.MediaPlayer2)")
done
[[ "${root[*]}" == "Murmex murmex true true false false" ]] || fail "the root interface shows ${root[*]}"
player=()
for name in CanPlay CanPause CanControl CanSeek Rate Position; do
    player+=("$(player_property $name)")
done
[[ "${player[*]}" == "true true true false 1 0" ]] || fail "the player interface shows ${player[*]}"
# From here on every change the player reports is written down as it comes.
follow_log="$MURMEX_TEST_TMP/follow.$$"
playerctl -p murmex --follow status >"$follow_log" 2>&1 &
follow_pid=$!
own "$follow_pid"

step "play starts the sound"
mark=$(monitor_mark)
player play >/dev/null
wait_sound "$mark" >/dev/null || fail "no sound after playerctl play"
wait_player Playing status
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"

step "next, previous and play while playing change nothing"
for method in Next Previous Play; do
    player_call $method
    [[ "$(track_id)" == /com/pellorquandrel/murmex/noise/5 && "$(player metadata xesam:title)" == Morpheus ]] ||
        fail "$method while playing chose $(track_id) $(player metadata xesam:title)"
done
[[ "$(player_property CanGoNext) $(player_property CanGoPrevious)" == "false false" ]] ||
    fail "next and previous are offered while playing"
wait_player Playing status

step "stop silences the sink"
mark=$(monitor_mark)
player stop >/dev/null
wait_silence "$mark" >/dev/null || fail "the sound did not end with playerctl stop"
wait_player Stopped status
wait_pixel "${LAMP[@]}" 0080C0 || fail "the lamp is $(pixel "${LAMP[@]}") when stopped"

step "next and previous step through the noises while stopped"
player next >/dev/null
wait_player Waterfall metadata xesam:title
player next >/dev/null
wait_player Nirvana metadata xesam:title
player previous >/dev/null
wait_player Waterfall metadata xesam:title
[[ "$(track_id)" == /com/pellorquandrel/murmex/noise/6 ]] || fail "the track is $(track_id)"

step "the title follows the window's language"
click "${LANGUAGE_UP[@]}"
wait_player Водопад metadata xesam:title
click "${LANGUAGE_UP[@]}"
wait_player Waterfall metadata xesam:title

step "a click on the generator is reported on the bus"
before=$(grep -c . "$follow_log" || true)
mark=$(monitor_mark)
click "${GENERATOR[@]}"
wait_sound "$mark" >/dev/null || fail "no sound after the generator was clicked"
deadline=$((SECONDS + 20))
until tail -n +$((before + 1)) "$follow_log" | grep -qx Playing; do
    ((SECONDS < deadline)) || fail "no change to Playing was reported: $(cat "$follow_log")"
    sleep 0.05
done
[[ "$(player status)" == Playing ]] || fail "playerctl shows $(player status) after the click"
mark=$(monitor_mark)
player play-pause >/dev/null
wait_silence "$mark" >/dev/null || fail "play-pause did not stop the sound"
wait_player Stopped status

step "a volume of 0.5 keeps the sliders' balance"
player volume 0.5 >/dev/null
wait_player 0.500000 volume

step "in the tray and stopped, --noise 7 is stored within 2 s and shown on the bus; raise brings the window back"
click "${MINIMISE[@]}"
wait_map_state IsUnMapped || fail "the window did not go to the tray"
"$PROGRAM" --noise 7 || fail "--noise 7 was refused"
# The promise is 2 s; the rest is room for a loaded machine.
deadline=$((SECONDS + 4))
until [[ "$(stored Noise_Num)" == 7 ]]; do
    ((SECONDS < deadline)) || fail "--noise 7 from the tray was not stored: Noise_Num=$(stored Noise_Num)"
    sleep 0.05
done
[[ "$(track_id)" == /com/pellorquandrel/murmex/noise/7 ]] || fail "after --noise 7 the track is $(track_id)"
root_call Raise
wait_map_state IsViewable || fail "Raise did not bring the window back"

step "quit ends the program with the settings written"
root_call Quit
expect_exit 0
[[ "$(stored Noise_Num) $(stored Value_L) $(stored Value_R)" == "7 50 25" ]] ||
    fail "stored noise and volumes: $(stored Noise_Num) $(stored Value_L) $(stored Value_R)"
kill "$follow_pid" 2>/dev/null || true

# Calls METHOD of the player interface (or of INTERFACE) and prints the error it is answered with; nothing when
# the answer is no error.
call_error() {
    dbus-send --session --print-reply --reply-timeout=120000 --dest=$MPRIS_DEST $MPRIS_PATH \
        "${2:-org.mpris.MediaPlayer2.Player}.$1" 2>&1 >/dev/null || true
}

readonly INDEX_ERROR='Error org.freedesktop.DBus.Error.Failed: List index out of bounds (-1)'
failed_plays() {
    grep -cx 'Murmex: List index out of bounds (-1)' "$MURMEX_TEST_TMP/murmex.$$.log" || true
}

step "with no noise stored, 300 plays sent at once are each refused with the error, and no box opens"
new_config_home
seed_settings $'Noise_Num=0\nLanguare=0'
start_murmex "$PROGRAM"
wait_player Stopped status
storm="$MURMEX_TEST_TMP/storm.$$"
plays=()
for _ in $(seq 300); do
    call_error Play >>"$storm" &
    plays+=($!)
done
for pid in "${plays[@]}"; do
    wait "$pid"
done
[[ "$(grep -cx "$INDEX_ERROR" "$storm")" == 300 ]] || fail "the 300 plays were answered: $(sort "$storm" | uniq -c)"
[[ "$(failed_plays)" == 300 ]] || fail "$(failed_plays) lines on stderr for 300 failed plays"
wait_player Stopped status
expect_no_error_box "after 300 plays"

step "a click opens the one box; a play meanwhile is refused without a second box, and quit is answered"
click "${GENERATOR[@]}"
wait_error_box >/dev/null || fail "a click on the generator opened no box"
[[ "$(call_error Play)" == "$INDEX_ERROR" ]] || fail "a play while the box is open was not refused"
[[ "$(failed_plays)" == 301 ]] || fail "$(failed_plays) lines on stderr after a play while the box was open"
boxes=$(xdotool search --onlyvisible --pid "$MURMEX_PID" --name '^Murmex$' | grep -vxc "$WINDOW" || true)
((boxes == 1)) || fail "$boxes boxes are open"
quit=$(call_error Quit org.mpris.MediaPlayer2)
[[ -z "$quit" ]] || fail "quit was answered with: $quit"
expect_exit 0
[[ "$(stored Noise_Num)" == 0 ]] || fail "the stored noise became $(stored Noise_Num)"

step "without a session bus the program runs as before and says nothing"
new_config_home
seed_settings $'Noise_Num=5\nValue_L=80\nValue_R=40'
export DBUS_SESSION_BUS_ADDRESS="unix:path=$MURMEX_TEST_TMP/no_bus_here.$$"
start_murmex "$PROGRAM"
mark=$(monitor_mark)
click "${GENERATOR[@]}"
wait_sound "$mark" >/dev/null || fail "no sound without a session bus"
close_murmex
log="$MURMEX_TEST_TMP/murmex.$$.log"
[[ ! -s "$log" ]] || fail "the program said something without a session bus: $(cat "$log")"
step "passed"
