# Shared helpers of the end-to-end tests. They run inside scripts/testenv.sh, started by CTest, which
# passes MURMEX_BIN (the program), XCLOSE_BIN (closes a window the way a window manager does), XPIXEL_BIN
# (reads the colour at a point of a window) and SOUNDCHECK_BIN (figures and checks of a stretch of a monitor
# recording, see SoundCheck.h).
# Points given as "window X Y" are relative to the window's outer top left corner, as xwininfo has it.
set -euo pipefail

for var in DISPLAY MURMEX_TEST_TMP MURMEX_BIN SOUNDCHECK_BIN XPIXEL_BIN; do
    if [[ -z "${!var:-}" ]]; then
        echo "FAIL: $var is not set; run the end-to-end tests inside scripts/testenv.sh" >&2
        exit 1
    fi
done

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

step() {
    printf "%s " "$(date +%T)"
    echo "--- $*"
}

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# --- What a test starts ends with it, whatever happens: the processes given to `own` are killed when the
# script exits, and then the commands given to `at_exit` run, in the order given (each one to put back what the
# test took away from the environment, for the tests after it).
OWNED_PIDS=()
AT_EXIT=()
own() {
    OWNED_PIDS+=("$@")
}
at_exit() {
    AT_EXIT+=("$1")
}
end_test() {
    local command
    ((${#OWNED_PIDS[@]} == 0)) || kill -9 "${OWNED_PIDS[@]}" 2>/dev/null || true
    for command in "${AT_EXIT[@]}"; do
        eval "$command" || true
    done
}
trap end_test EXIT

# Waits up to 20 seconds until FILE's first line is there and prints it.
first_line() {
    local file=$1 deadline=$((SECONDS + 20)) line
    until line=$(head -n 1 "$file" 2>/dev/null) && [[ -n "$line" ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
    echo "$line"
}

# Starts a private D-Bus daemon for this test (private-bus.conf: nothing of the machine's can answer on it) and
# exports its address in VARIABLE, such as DBUS_SESSION_BUS_ADDRESS or DBUS_SYSTEM_BUS_ADDRESS. NAME tells its
# socket and log apart. The bus ends with the test.
start_private_bus() {
    local name=$1 variable=$2 out="$MURMEX_TEST_TMP/$1-bus.$$" address
    dbus-daemon --config-file="$(dirname "${BASH_SOURCE[0]}")/private-bus.conf" --nofork --nopidfile \
        --print-address --address="unix:path=$MURMEX_TEST_TMP/${name}_bus_socket.$$" >"$out" 2>"$out.log" &
    own $!
    address=$(first_line "$out") || fail "the private $name bus did not start: $(cat "$out.log")"
    export "$variable=$address"
}

# A fresh per-user settings folder for one test case.
new_config_home() {
    local dir
    dir=$(mktemp -d "$MURMEX_TEST_TMP/config.XXXXXX")
    export XDG_CONFIG_HOME="$dir"
    SETTINGS_FILE="$dir/Pellor Quandrel/Murmex.conf"
}

seed_settings() {
    mkdir -p "$(dirname "$SETTINGS_FILE")"
    printf '[General]\n%s\n' "$1" >"$SETTINGS_FILE"
}

# The value of KEY in the settings file, or nothing.
stored() {
    sed -n "s/^$1=//p" "$SETTINGS_FILE" 2>/dev/null
}

# Starts Murmex (or the given copy of it) and waits until its window is shown; sets MURMEX_PID and WINDOW.
start_murmex() {
    "${1:-$MURMEX_BIN}" >"$MURMEX_TEST_TMP/murmex.$$.log" 2>&1 &
    MURMEX_PID=$!
    own "$MURMEX_PID"
    WINDOW=""
    for _ in $(seq 300); do
        WINDOW=$(xdotool search --onlyvisible --pid "$MURMEX_PID" --name '^Murmex$' 2>/dev/null | head -n 1 || true)
        [[ -n "$WINDOW" ]] && break
        kill -0 "$MURMEX_PID" 2>/dev/null || fail "Murmex ended at start: $(cat "$MURMEX_TEST_TMP/murmex.$$.log")"
        sleep 0.1
    done
    [[ -n "$WINDOW" ]] || fail "no Murmex window appeared"
    # Mapped is not yet painted: clicks before the first paint can miss their controls.
    wait_pixel 760 41 0080C0 30 || fail "the window was never painted"
}

# Waits for Murmex to end and checks its exit status.
expect_exit() {
    local want=$1
    for _ in $(seq 100); do
        kill -0 "$MURMEX_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$MURMEX_PID" 2>/dev/null && fail "Murmex did not end"
    local status=0
    wait "$MURMEX_PID" || status=$?
    [[ $status -eq $want ]] || fail "Murmex ended with status $status, expected $want"
}

# "x y width height" of the window on the screen.
geometry() {
    xwininfo -id "$WINDOW" | awk '
        /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# Presses BUTTON at window point (X, Y), moves by (DX, DY) in steps and releases.
drag() {
    local button=$1 x=$2 y=$3 dx=$4 dy=$5
    local ox oy _
    point_at "$x" "$y"
    read -r ox oy _ < <(geometry)
    sleep 0.1
    xdotool mousedown "$button"
    for i in 1 2 3 4 5; do
        xdotool mousemove $((ox + x + dx * i / 5)) $((oy + y + dy * i / 5))
        sleep 0.05
    done
    xdotool mouseup "$button"
    sleep 0.3
}

# The volume sliders, by the X of their scale.
readonly SLIDER_L=530 SLIDER_R=710

# Holds the left button on the slider at X from its middle to window height Y for a few work-timer ticks.
drag_slider() {
    point_at "$1" 206
    xdotool mousedown 1
    point_at "$1" "$2"
    sleep 0.5
    xdotool mouseup 1
    sleep 0.2
}

# Copies the program into a fresh folder, so that what it keeps beside itself is written there and never
# into the build tree; sets PROGRAM (the copy) and OUTPUT_INI (where it keeps the chosen output: beside the
# copy, a portable one; but the superuser's copy is never portable, and keeps it in the settings folder of the
# moment).
copy_murmex() {
    local dir
    dir=$(mktemp -d "$MURMEX_TEST_TMP/program.XXXXXX")
    cp "$MURMEX_BIN" "$dir/"
    PROGRAM="$dir/$(basename "$MURMEX_BIN")"
    OUTPUT_INI="$PROGRAM.ini"
    ((EUID != 0)) || OUTPUT_INI="${XDG_CONFIG_HOME:-$HOME/.config}/Pellor Quandrel/$(basename "$PROGRAM").ini"
}

# Starts a fresh copy of the program (copy_murmex, start_murmex).
start_murmex_copy() {
    copy_murmex
    start_murmex "$PROGRAM"
}

# Moves the pointer to window point (X, Y). xdotool's --sync waits for the pointer to move, which it never
# does when it is there already.
point_at() {
    local ox oy _
    read -r ox oy _ < <(geometry)
    local want="$((ox + $1)) $((oy + $2))"
    [[ "$(xdotool getmouselocation | sed -n 's/^x:\([0-9]*\) y:\([0-9]*\) .*/\1 \2/p')" == "$want" ]] ||
        xdotool mousemove --sync $want
}

# Moves the pointer to window point (X, Y) and clicks BUTTON (default 1, the left one). Two clicks on one
# point within the double-click time are a double click, which controls that take clicks only count once:
# a click on the point of the one before waits until it is a click of its own.
LAST_CLICK=""
click() {
    local now
    now=$(date +%s%N)
    if [[ "${LAST_CLICK% *}" == "$1,$2" ]]; then
        local wait_ns=$((${LAST_CLICK##* } + 600000000 - now))
        ((wait_ns <= 0)) || sleep "$(awk -v n="$wait_ns" 'BEGIN { printf "%.3f", n / 1e9 }')"
    fi
    point_at "$1" "$2"
    xdotool click "${3:-1}"
    LAST_CLICK="$1,$2 $(date +%s%N)"
}

# The colour shown at window point (X, Y), as RRGGBB in capitals; nothing when the window is gone.
pixel() {
    "$XPIXEL_BIN" "$WINDOW" "$1" "$2" 2>/dev/null || true
}

# Waits up to SECONDS (default 20) until window point (X, Y) shows RRGGBB; status 1 if it never does.
wait_pixel() {
    local x=$1 y=$2 want=$3 deadline=$((SECONDS + ${4:-20}))
    while [[ "$(pixel "$x" "$y")" != "$want" ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.02
    done
}

# --- The output chosen on the audio page, stored beside the program (see copy_murmex).
AUDIO_TAB=(637 371) DEVICE_DOWN=(755 429)

# One step down on the audio page; waits until the choice is stored.
step_output_down() {
    local before
    before=$(cat "$OUTPUT_INI" 2>/dev/null || true)
    click "${DEVICE_DOWN[@]}"
    for _ in $(seq 100); do
        [[ "$(cat "$OUTPUT_INI" 2>/dev/null || true)" != "$before" ]] && return 0
        sleep 0.1
    done
    fail "a click on the down arrow stored no choice"
}

# Steps the output down until the stored choice is NAME.
choose_output() {
    click "${AUDIO_TAB[@]}"
    for _ in $(seq 12); do
        step_output_down
        grep -qx "Object1Name=$1" "$OUTPUT_INI" && return 0
    done
    fail "the arrows never reached the output $1: $(cat "$OUTPUT_INI")"
}

# --- Sound. The recordings of the sinks' monitors grow for the whole run (s16le, 48000 Hz, stereo, 4 bytes a
# frame); a mark is a byte offset into one. MONITOR arguments default to the first sink's recording.
SOUND_LEVEL=${SOUND_LEVEL:-100}  # RMS, in sample units, from which on a stretch holds sound
SILENCE_LEVEL=${SILENCE_LEVEL:-4} # and below which it holds silence
SOUND_WAIT=${SOUND_WAIT:-20}     # seconds to wait for either, at most

# The current end of MONITOR.
monitor_mark() {
    local size
    size=$(stat -c %s "${1:-$MURMEX_TEST_MONITOR}")
    echo $((size / 4 * 4))
}

# Waits until MONITOR holds SECONDS of recording after MARK and prints the offset where they end.
recorded_after() {
    local mark=$1 monitor=${3:-$MURMEX_TEST_MONITOR} end
    local want=$((mark + $(awk -v s="$2" 'BEGIN { printf "%d", s * 48000 }') * 4)) deadline=$((SECONDS + SOUND_WAIT))
    until (($(monitor_mark "$monitor") >= want)); do
        ((SECONDS < deadline)) || fail "the recorder of $monitor stalled"
        sleep 0.05
    done
    echo "$want"
}

# Waits until sound arrives in MONITOR after MARK and prints the offset of its first frame; status 1 if
# none comes within SOUND_WAIT seconds.
wait_sound() {
    local mark=$1 monitor=${2:-$MURMEX_TEST_MONITOR} deadline=$((SECONDS + SOUND_WAIT)) out
    while ((SECONDS < deadline)); do
        if out=$("$SOUNDCHECK_BIN" "$monitor" "$mark" --onset "$SOUND_LEVEL" 2>/dev/null); then
            echo "${out##*onset=}"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Waits until the last SECONDS (default 0.5) of MONITOR, all after MARK, hold silence and prints the offset
# where they start; status 1 if that does not happen within SOUND_WAIT seconds.
wait_silence() {
    local mark=$1 monitor=${2:-$MURMEX_TEST_MONITOR} deadline=$((SECONDS + SOUND_WAIT)) end
    local span=$(($(awk -v s="${3:-0.5}" 'BEGIN { printf "%d", s * 48000 }') * 4))
    while ((SECONDS < deadline)); do
        end=$(monitor_mark "$monitor")
        if ((end - span >= mark)) &&
            "$SOUNDCHECK_BIN" "$monitor" $((end - span)) "$end" --silent "$SILENCE_LEVEL" >/dev/null 2>&1; then
            echo $((end - span))
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# NAME from soundcheck's figures, read from stdin.
field() {
    sed -n "s/.*\b$1=\([^ ]*\).*/\1/p"
}

# Clicks the generator and checks that the sound reaches the second sink (within SOUND_WAIT seconds) and
# nothing reaches the first.
start_on_second_sink() {
    local mark1 mark2 at
    mark1=$(monitor_mark "$MURMEX_TEST_MONITOR")
    mark2=$(monitor_mark "$MURMEX_TEST_MONITOR_2")
    click 107 535
    at=$(wait_sound "$mark2" "$MURMEX_TEST_MONITOR_2") || fail "nothing reached the chosen output"
    expect_sound "$MURMEX_TEST_MONITOR_2" "$at" "$(recorded_after "$at" 0.8 "$MURMEX_TEST_MONITOR_2")" --sound 3000
    expect_sound "$MURMEX_TEST_MONITOR" "$mark1" "$(monitor_mark "$MURMEX_TEST_MONITOR")" --silent "$SILENCE_LEVEL"
}

# On the sound server: the audio page's down arrow steps from the default through the first sink, the second
# and back to the default, each stored by its key (the INI file doubles a leading @).
expect_outputs_stepped() {
    local keys=()
    click "${AUDIO_TAB[@]}"
    for _ in 1 2 3; do
        step_output_down
        keys+=("$(grep '^Object1Name=' "$OUTPUT_INI")")
    done
    [[ "${keys[*]}" == "Object1Name=$MURMEX_TEST_SINK Object1Name=$MURMEX_TEST_SINK_2 Object1Name=@@DEFAULT_SINK@" ]] ||
        fail "the outputs stepped through: ${keys[*]}"
}

# The desktop's mixer lists the program's stream as Murmex, named by the noise NAME.
expect_mixer_names() {
    local inputs
    inputs=$(pactl list sink-inputs)
    grep -q 'application.name = "Murmex"' <<<"$inputs" || fail "the mixer does not name Murmex: $inputs"
    grep -q "media.name = \"$1\"" <<<"$inputs" || fail "the mixer does not name the noise: $inputs"
}

# Figures of MONITOR between FROM and TO, checked against the soundcheck CONDITIONS given (--sound LEVEL,
# --silent LEVEL, --high-min SHARE, ...): fails the test, with the figures, when one does not hold.
expect_sound() {
    local monitor=$1 from=$2 to=$3 out
    shift 3
    out=$("$SOUNDCHECK_BIN" "$monitor" "$from" "$to" "$@" 2>&1) || fail "$(basename "$monitor") $from..$to: $out"
    echo "$out"
}

# --- Error boxes: the program's message boxes are windows of their own, titled like the main window.

# Waits up to SECONDS (default 10) for an error box of Murmex and prints its window; status 1 if none shows.
wait_error_box() {
    local deadline=$((SECONDS + ${1:-10})) box
    while ((SECONDS < deadline)); do
        box=$(xdotool search --onlyvisible --pid "$MURMEX_PID" --name '^Murmex$' 2>/dev/null | grep -vx "$WINDOW" |
            head -n 1 || true)
        [[ -n "$box" ]] && echo "$box" && return 0
        sleep 0.1
    done
    return 1
}

# Closes error box BOX with its default button, as Enter does, and waits until its window is gone.
close_error_box() {
    [[ -n "$1" ]] || fail "no error box to close"
    xdotool windowfocus --sync "$1" key Return
    for _ in $(seq 100); do
        xwininfo -id "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the error box did not close"
}

# Fails when an error box of Murmex is showing.
expect_no_error_box() {
    local box
    box=$(xdotool search --onlyvisible --pid "$MURMEX_PID" --name '^Murmex$' 2>/dev/null | grep -vx "$WINDOW" || true)
    [[ -z "$box" ]] || fail "an error box is showing: $*"
}

# Closes the window the way a window manager does and checks the orderly end.
close_murmex() {
    "$XCLOSE_BIN" "$WINDOW"
    expect_exit 0
}

# --- The tray host (trayer) of the test environment. A test may end it and start another; testenv.sh ends
# whichever one runs when the environment goes.

tray_host_running() {
    xwininfo -name panel >/dev/null 2>&1
}

# Ends the tray host and waits until its panel is gone.
stop_tray_host() {
    local pid
    pid=$(cat "$MURMEX_TEST_TRAY_PID_FILE")
    [[ "$(ps -o comm= -p "$pid" 2>/dev/null)" == trayer ]] || fail "no tray host runs as process $pid"
    kill "$pid"
    for _ in $(seq 200); do
        tray_host_running || return 0
        sleep 0.1
    done
    fail "the tray host did not end"
}

# Starts a tray host like the environment's own and waits until its panel is there.
start_tray_host() {
    $MURMEX_TEST_TRAY_HOST >/dev/null 2>&1 </dev/null &
    echo $! >"$MURMEX_TEST_TRAY_PID_FILE"
    for _ in $(seq 200); do
        tray_host_running && return 0
        sleep 0.1
    done
    fail "the tray host did not start"
}

# "x y width height" on the screen of Murmex's icon docked in the tray host; nothing when it has none.
tray_icon() {
    xwininfo -name panel -tree 2>/dev/null | awk '/"Murmex": \("murmex"/ {
        split($(NF - 1), size, /[x+]/); split($NF, at, /\+/); print at[2], at[3], size[1], size[2]; exit }'
}

# Waits up to SECONDS (default 20) until Murmex's icon is in the tray host and prints where it is.
wait_tray_icon() {
    local deadline=$((SECONDS + ${1:-20})) icon
    while ((SECONDS < deadline)); do
        icon=$(tray_icon)
        [[ -n "$icon" ]] && echo "$icon" && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to SECONDS (default 20) until the tray host holds no icon of Murmex.
wait_no_tray_icon() {
    local deadline=$((SECONDS + ${1:-20}))
    while [[ -n "$(tray_icon)" ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# The map state of the main window: IsViewable, IsUnMapped or IsUnviewable.
map_state() {
    xwininfo -id "$WINDOW" | sed -n 's/^ *Map State: //p'
}

# Waits up to SECONDS (default 20) until the main window's map state is STATE.
wait_map_state() {
    local want=$1 deadline=$((SECONDS + ${2:-20}))
    while [[ "$(map_state)" != "$want" ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

# --- A PipeWire sound server for this test instead of the environment's PulseAudio daemon (which goes on
# running for the other tests): after use_pipewire, PulseAudio clients (the program, pactl, the ALSA outputs
# MURMEX_TEST_PCM and MURMEX_TEST_PCM_2) reach pipewire-pulse, and MURMEX_TEST_SINK, MURMEX_TEST_SINK_2,
# MURMEX_TEST_MONITOR and MURMEX_TEST_MONITOR_2 name its sinks and their recordings, as they did the
# daemon's. The sinks' descriptions have spaces. The server ends with the test (scripts/testenv-pipewire.sh).
# MURMEX_TEST_PULSE_CTL and MURMEX_TEST_PULSE_PID, which would reach the daemon, are taken away.
use_pipewire() {
    local ctl
    ctl="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/testenv-pipewire.sh"
    MURMEX_TEST_PIPEWIRE_DIR=$(mktemp -d "$MURMEX_TEST_TMP/pipewire.XXXXXX")
    export MURMEX_TEST_PIPEWIRE_DIR XDG_RUNTIME_DIR="$MURMEX_TEST_PIPEWIRE_DIR/run"
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
    export MURMEX_TEST_MONITOR="$MURMEX_TEST_PIPEWIRE_DIR/monitor.raw"
    export MURMEX_TEST_MONITOR_2="$MURMEX_TEST_PIPEWIRE_DIR/monitor_2.raw"
    unset MURMEX_TEST_PULSE_CTL MURMEX_TEST_PULSE_PID
    at_exit "bash '$ctl' stop"
    bash "$ctl" start || fail "the PipeWire server did not start"
}
