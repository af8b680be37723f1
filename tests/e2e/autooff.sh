#!/usr/bin/env bash
# Ten minutes of playing in the tray with the auto-off set to "10" and "Computer shutdown": the sound fades out
# over the last five seconds and is silent within a second of the ten minutes, the settings are in the store by
# the time the login manager is asked, it is asked once and without interaction, and a computer that stays on is
# left a minute of silence to go down in, after which the noise comes back at the user's volume. The login
# manager is a fake on a private system bus started here.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535) LANGUAGE_UP=(755 418) MINIMISE=(761 16)

record="$MURMEX_TEST_TMP/login1.$$"
start_private_bus system DBUS_SYSTEM_BUS_ADDRESS

new_config_home
seed_settings $'Off_1=1\nOff_2=1\nNoise_Num=4\nValue_L=80\nValue_R=80\nLanguare=1'
coproc LOGIN1 { exec "$FAKE_LOGIN1_BIN" "$record" "$SETTINGS_FILE"; }
read -r -t 20 ready <&"${LOGIN1[0]}" && [[ "$ready" == ready ]] || fail "the fake login manager did not start"
own "$LOGIN1_PID"

start_murmex_copy
# A setting changed during the run must be in the store at the moment of the request.
click "${LANGUAGE_UP[@]}"
mark=$(monitor_mark)
click "${GENERATOR[@]}"
onset=$(wait_sound "$mark") || fail "no sound after the generator was started"
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"
# Out of sight the program wakes once a second; the count and the fade must not depend on it.
click "${MINIMISE[@]}"
wait_map_state IsUnMapped || fail "the window did not go to the tray"
step "playing in the tray; the auto-off is due in ten minutes"

started=$SECONDS
deadline=$((SECONDS + 11 * 60 + 30))
fade_mark=""
until grep -q '^PowerOff' "$record" 2>/dev/null; do
    # Well before the fade: the recording from here holds the full level, the fade and what follows.
    [[ -z "$fade_mark" ]] && ((SECONDS - started >= 9 * 60 + 30)) && fade_mark=$(monitor_mark)
    ((SECONDS < deadline)) || fail "no power-off was asked for after ten minutes of playing"
    kill -0 "$MURMEX_PID" 2>/dev/null || fail "Murmex ended instead of asking for a power-off"
    sleep 1
done
step "the power-off was asked for"
grep -qx 'PowerOff interactive=false' "$record" || fail "the request was not non-interactive: $(cat "$record")"
grep -qx 'Noise_Num=4' "$record" && grep -qx 'Languare=0' "$record" && grep -qx 'Off_2=1' "$record" ||
    fail "the settings were not in the store at the request: $(cat "$record")"

step "the level fell over the last five seconds before the request"
[[ -n "$fade_mark" ]] || fail "the request came before the fade was looked for"
fade_end=$(recorded_after "$(monitor_mark)" 2)
levels=()
for ((at = fade_mark; at + 96000 <= fade_end; at += 96000)); do # half seconds
    levels+=("$("$SOUNDCHECK_BIN" "$MURMEX_TEST_MONITOR" "$at" $((at + 96000)) | sed -n 's/.*rms_left=\([0-9.]*\).*/\1/p')")
done
echo "levels by half second: ${levels[*]}"
# The first silent half second ends the fade; the ten before it fall from about the full level, each below the
# one before, and it stays silent after it.
low=$(printf '%s\n' "${levels[@]}" | awk '
    { level[NR] = $1 }
    END {
        full = level[1]
        for (low = 1; low <= NR && level[low] >= 0.02 * full; low++)
            ;
        if (low < 12 || low + 2 > NR) { print "the fade is not inside the recording (silent from " low ")"; exit 1 }
        for (i = low - 9; i <= low; i++)
            if (level[i] >= level[i - 1]) { print "the level rose at half second " i; exit 1 }
        if (level[low - 10] < 0.85 * full) { print "the fade began early: " level[low - 10] " of " full; exit 1 }
        if (level[low + 2] >= 0.02 * full) { print "the level after the request is " level[low + 2] " of " full; exit 1 }
        print low
    }') || fail "no fade over the last five seconds: $low"
# The output reached 0 within the first silent half second, or a moment before it.
ended_ms=$(((fade_mark + low * 96000 - onset) / 192))
((ended_ms >= 599000 && ended_ms <= 601600)) || fail "the sound ended ${ended_ms} ms after it began, not ten minutes"

step "the computer stayed on: a minute of silence, then the noise is back"
# The silence is timed from where the recording fell silent, not from when the fake's record was seen: on a
# loaded machine that may come seconds later. The output reached 0 inside the first silent half second, so
# the 58 s after it are sure to be silent.
silent_from=$((fade_mark + (low - 1) * 96000 + 96000))
silent_end=$(SOUND_WAIT=90 recorded_after "$silent_from" 57.5)
expect_sound "$MURMEX_TEST_MONITOR" "$silent_from" "$silent_end" --silent "$SILENCE_LEVEL" >/dev/null
SOUND_WAIT=30 wait_sound "$silent_end" >/dev/null || fail "the noise did not come back after the request"
"$PROGRAM" --show || fail "--show was refused"
wait_map_state IsViewable || fail "--show did not bring the window back"
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") after the request"
sleep 2
[[ "$(grep -c '^PowerOff' "$record")" == 1 ]] || fail "the power-off was asked for more than once"
close_murmex
step "passed"
