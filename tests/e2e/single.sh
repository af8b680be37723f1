#!/usr/bin/env bash
# One copy per user: a second start shows the running copy's window, from the tray too, and leaves at once
# without touching the settings; a copy that does not answer keeps its name, and the start that waited for it
# ends with 1; copies started together leave one; a copy killed outright does not keep the next one from
# starting. Without a display, or with one that cannot be opened, the start says so and ends with 1.
source "$(dirname "$0")/lib.sh"

readonly MINIMISE=(761 16) NOISE_6=(361 328) SOCKET="$XDG_RUNTIME_DIR/murmex.instance"

# Starts another copy of PROGRAM and checks that it ends on its own with status 0; prints how long it ran (for the
# log only: a sanitizer build on a busy machine takes a second just to start).
second_copy() {
    local started pid status=0 deadline=$((SECONDS + 20))
    started=$(now_ms)
    "$PROGRAM" >"$MURMEX_TEST_TMP/second.$$.log" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
        sleep 0.02
    done
    kill -0 "$pid" 2>/dev/null && { kill -9 "$pid"; fail "the second copy did not leave"; }
    wait "$pid" || status=$?
    ((status == 0)) || fail "the second copy ended with $status: $(cat "$MURMEX_TEST_TMP/second.$$.log")"
    echo $(($(now_ms) - started))
}

windows_of_murmex() {
    xdotool search --onlyvisible --name '^Murmex$' 2>/dev/null | wc -l
}

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=2'
start_murmex_copy
first=$MURMEX_PID

step "a second start while the window is put away brings it back, and the second copy leaves"
click "${MINIMISE[@]}"
wait_map_state IsUnMapped || fail "the window is $(map_state) after minimise"
settings_before=$(cat "$SETTINGS_FILE")
ran_ms=$(second_copy)
echo "the second copy ran ${ran_ms} ms"
wait_map_state IsViewable 5 || fail "the first window is $(map_state) after a second start"
[[ "$(windows_of_murmex)" -eq 1 ]] || fail "$(windows_of_murmex) windows after a second start"
kill -0 "$first" || fail "the first copy ended"

step "the second copy did not touch the settings"
[[ "$(cat "$SETTINGS_FILE")" == "$settings_before" ]] || fail "the settings changed: $(cat "$SETTINGS_FILE")"

step "a copy stopped for ten seconds keeps its name: a start waits for it, says so and ends with 1"
socket=$(stat -c %i "$SOCKET")
kill -STOP "$first"
started=$(now_ms)
status=0
timeout 60 "$PROGRAM" >/dev/null 2>"$MURMEX_TEST_TMP/stopped.$$.err" || status=$?
waited=$(($(now_ms) - started))
kill -CONT "$first"
((status == 1)) || fail "a start beside a stopped copy ended with $status: $(cat "$MURMEX_TEST_TMP/stopped.$$.err")"
grep -qx "Murmex is already running but does not answer" "$MURMEX_TEST_TMP/stopped.$$.err" ||
    fail "a start beside a stopped copy said: $(cat "$MURMEX_TEST_TMP/stopped.$$.err")"
((waited >= 9000)) || fail "the start gave up on the stopped copy after $waited ms"
[[ "$(stat -c %i "$SOCKET")" == "$socket" ]] || fail "the stopped copy's socket file was replaced"
second_copy >/dev/null

step "the first copy goes on answering: a noise chosen now is stored at its end"
click "${NOISE_6[@]}"
close_murmex
[[ "$(stored Noise_Num)" == 6 ]] || fail "Noise_Num is $(stored Noise_Num) after the close"

step "a copy killed outright does not keep the next one from starting"
start_murmex "$PROGRAM"
kill -9 "$MURMEX_PID"
start_murmex "$PROGRAM"
[[ "$(windows_of_murmex)" -eq 1 ]] || fail "$(windows_of_murmex) windows after a start that followed a kill"
close_murmex

step "four copies started at the same moment leave one, with one window, listening on the socket file"
copies=()
for _ in 1 2 3 4; do
    "$PROGRAM" >/dev/null 2>&1 &
    copies+=($!)
done
own "${copies[@]}"
deadline=$((SECONDS + 60))
while true; do
    running=()
    for pid in "${copies[@]}"; do
        ! kill -0 "$pid" 2>/dev/null || running+=("$pid")
    done
    ((${#running[@]} > 1)) || break
    ((SECONDS < deadline)) || fail "${#running[@]} of the copies started together are still running"
    sleep 0.05
done
((${#running[@]} == 1)) || fail "none of the copies started together stayed"
MURMEX_PID=${running[0]}
for pid in "${copies[@]}"; do
    [[ "$pid" == "$MURMEX_PID" ]] || wait "$pid" || fail "a copy started together with others ended with $?"
done
for _ in $(seq 300); do
    WINDOW=$(xdotool search --onlyvisible --pid "$MURMEX_PID" --name '^Murmex$' 2>/dev/null | head -n 1 || true)
    [[ -n "$WINDOW" ]] && break
    sleep 0.1
done
[[ -n "$WINDOW" ]] || fail "the copy that stayed shows no window"
[[ "$(windows_of_murmex)" -eq 1 ]] || fail "$(windows_of_murmex) windows from four copies"
wait_pixel 760 41 0080C0 30 || fail "the window was never painted"
[[ -S "$SOCKET" ]] || fail "the socket file is gone"
second_copy >/dev/null
kill -0 "$MURMEX_PID" || fail "the copy that stayed ended"
close_murmex

step "without a display a start says so and ends with 1"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$PROGRAM" >/dev/null 2>"$MURMEX_TEST_TMP/nodisplay.$$.err" || status=$?
((status == 1)) || fail "without a display Murmex ended with $status"
[[ "$(cat "$MURMEX_TEST_TMP/nodisplay.$$.err")" == "Murmex needs a graphical desktop (no DISPLAY or WAYLAND_DISPLAY)" ]] ||
    fail "without a display Murmex said: $(cat "$MURMEX_TEST_TMP/nodisplay.$$.err")"

step "with a display that cannot be opened a start names it and ends with 1"
status=0
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:199 "$PROGRAM" >/dev/null 2>"$MURMEX_TEST_TMP/deaddisplay.$$.err" ||
    status=$?
((status == 1)) || fail "with a display that cannot be opened Murmex ended with $status"
grep -qx "Murmex cannot open the display :199" "$MURMEX_TEST_TMP/deaddisplay.$$.err" ||
    fail "with a display that cannot be opened Murmex said: $(cat "$MURMEX_TEST_TMP/deaddisplay.$$.err")"
