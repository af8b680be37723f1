#!/usr/bin/env bash
# Damaged and lost settings: a bad value costs only itself, a damaged store never arms a power-off, something
# other than a file in the settings' place does not hold up the start, and an end without the orderly close
# (a kill) or a hang-up still finds the user's last changes stored.
source "$(dirname "$0")/lib.sh"

readonly NOISE_2=(291 148) NOISE_3=(81 238)

step "a bad value beside good ones: only it takes its default; a stored action of -1 is close; SIGHUP ends in order"
new_config_home
seed_settings $'Min_FormShow=yes\nNoise_Num=6\nValue_L=80\nValue_R=100\nOff_1=-1\nOff_2=-1'
start_murmex
drag_slider "$SLIDER_R" 256
kill -HUP "$MURMEX_PID"
expect_exit 0
got="$(stored Min_FormShow) $(stored Noise_Num) $(stored Value_L) $(stored Value_R) $(stored Off_1) $(stored Off_2)"
[[ "$got" == "0 6 80 0 9 0" ]] ||
    fail "stored Min_FormShow Noise_Num Value_L Value_R Off_1 Off_2: $got, expected 0 6 80 0 9 0"

step "a chosen noise is stored while the program runs: a kill 3 s later loses nothing"
new_config_home
seed_settings $'Noise_Num=1'
start_murmex
click "${NOISE_2[@]}"
sleep 3
kill -KILL "$MURMEX_PID"
expect_exit 137
[[ "$(stored Noise_Num)" == 2 ]] || fail "the noise chosen before the kill was stored as $(stored Noise_Num)"

step "SIGTERM and at once SIGHUP, as at a logout: one orderly end that writes the settings"
start_murmex
click "${NOISE_3[@]}"
kill -TERM "$MURMEX_PID"
kill -HUP "$MURMEX_PID"
expect_exit 0
[[ "$(stored Noise_Num)" == 3 ]] || fail "the noise chosen before the logout was stored as $(stored Noise_Num)"

step "a store that cannot be written: one error box and one line on stderr for the run, and the end is not held up"
new_config_home
touch "$XDG_CONFIG_HOME/file"
XDG_CONFIG_HOME="$XDG_CONFIG_HOME/file" start_murmex # its settings folder cannot be made, not even by root
click "${NOISE_2[@]}"
box=$(wait_error_box) || fail "no error box for a settings change that could not be written"
close_error_box "$box"
click "${NOISE_3[@]}"
sleep 2.5 # past the write of that change
expect_no_error_box "a second report of the same store"
close_murmex
log="$MURMEX_TEST_TMP/murmex.$$.log"
[[ "$(grep -c "Unable to write to $XDG_CONFIG_HOME/file/Pellor Quandrel/Murmex.conf" "$log")" == 1 ]] ||
    fail "not one line of the failed writes on stderr: $(cat "$log")"

step "FIFOs in place of the settings and the chosen output's file: the window comes, the FIFOs are left alone"
new_config_home
mkdir -p "$(dirname "$SETTINGS_FILE")"
copy_murmex
mkfifo "$SETTINGS_FILE" "$OUTPUT_INI"
bound=5000
[[ -z "${MURMEX_SANITIZE:-}" ]] || bound=20000 # a start under the sanitizers is slow by itself
started=$(now_ms)
start_murmex "$PROGRAM"
took=$(($(now_ms) - started))
((took <= bound)) || fail "the window took $took ms to come"
expect_no_error_box "at a start beside FIFOs"
close_murmex
log="$MURMEX_TEST_TMP/murmex.$$.log"
[[ "$(grep -c 'Not a regular file' "$log")" == 1 ]] || fail "not one message of the FIFOs: $(cat "$log")"
grep -qF "$SETTINGS_FILE, $OUTPUT_INI" "$log" || fail "the message does not name both FIFOs: $(cat "$log")"
[[ -p "$SETTINGS_FILE" && -p "$OUTPUT_INI" ]] || fail "a FIFO was replaced"

if ((EUID == 0)); then
    step "root's program is never a portable copy: the output file beside it is moved into the settings folder"
    new_config_home
    copy_murmex
    printf '[ObjectMapping]\nObject1=-1\nObject1Name=moved\n' >"$PROGRAM.ini"
    start_murmex "$PROGRAM"
    close_murmex
    [[ ! -e "$PROGRAM.ini" ]] || fail "the file beside the program is still there"
    grep -qx 'Object1Name=moved' "$OUTPUT_INI" || fail "the settings folder's file: $(cat "$OUTPUT_INI" 2>&1)"
fi
