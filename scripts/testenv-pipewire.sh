#!/usr/bin/env bash
# Starts and stops a PipeWire sound server for one test, beside the test environment's PulseAudio daemon,
# which keeps running: the server answers PulseAudio clients (pipewire-pulse) on a runtime folder of its own,
# with the environment's two null sinks under the same names, the first one the default, and one recorder
# on each sink's monitor. Tests use it through use_pipewire (tests/e2e/lib.sh), which sets the variables
# below; then
#
#   bash scripts/testenv-pipewire.sh start   starts a private session bus, pipewire, wireplumber and
#                                            pipewire-pulse, waits until they answer, makes the sinks and
#                                            records their monitors
#   bash scripts/testenv-pipewire.sh stop    ends all of it and waits until it is gone
#
# Read from the environment:
#   MURMEX_TEST_PIPEWIRE_DIR                   where the server keeps its process list, logs and state
#   XDG_RUNTIME_DIR, PULSE_SERVER              the server's runtime folder and its PulseAudio socket
#   MURMEX_TEST_SINK, MURMEX_TEST_SINK_2       names of the sinks
#   MURMEX_TEST_SINK_DESC, MURMEX_TEST_SINK_DESC_2
#                                              their descriptions (as a sound settings panel shows them)
#   MURMEX_TEST_MONITOR, MURMEX_TEST_MONITOR_2 the recordings (s16le, 48000 Hz, 2 channels); a start after
#                                              a stop appends to them
set -euo pipefail

: "${MURMEX_TEST_PIPEWIRE_DIR:?run through use_pipewire (tests/e2e/lib.sh)}" "${XDG_RUNTIME_DIR:?}" "${PULSE_SERVER:?}"
: "${MURMEX_TEST_SINK:?}" "${MURMEX_TEST_SINK_2:?}" "${MURMEX_TEST_SINK_DESC:?}" "${MURMEX_TEST_SINK_DESC_2:?}"
: "${MURMEX_TEST_MONITOR:?}" "${MURMEX_TEST_MONITOR_2:?}"

dir=$MURMEX_TEST_PIPEWIRE_DIR
pids="$dir/pids"
bus_config="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/e2e/private-bus.conf"

# The daemons outlive the caller; a descriptor they inherit (a test harness's output pipe among them) would
# stay open as long as they run.
for fd in /proc/$$/fd/*; do
    fd=${fd##*/}
    ((fd > 2)) && { exec {fd}>&-; } 2>/dev/null || true
done

# A process that has ended stays a zombie until the init process, which reaps orphans only every second or two,
# gets to it: that counts as ended.
running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) && [[ "$state" != Z* ]]
}

# Ends the processes in the list, the last started first (the recorders, then the servers, then the bus).
stop() {
    local pid
    [[ -s "$pids" ]] || return 0
    tac "$pids" | while read -r pid; do kill "$pid" 2>/dev/null || true; done
    while read -r pid; do
        for _ in $(seq 100); do running "$pid" || break; sleep 0.05; done
        ! running "$pid" || kill -9 "$pid" 2>/dev/null || true
    done <"$pids"
    : >"$pids"
    rm -f "$XDG_RUNTIME_DIR/pipewire-0" "$XDG_RUNTIME_DIR/pulse/native"
}

# Runs COMMAND in the background, its output in the log NAME, and lists it for the stop.
background() { # NAME COMMAND...
    local name=$1
    shift
    "$@" </dev/null >>"$dir/$name.log" 2>&1 &
    echo $! >>"$pids"
}

# Polls CONDITION (a command) for up to 10 s.
until_true() {
    for _ in $(seq 200); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

failed() {
    echo "testenv-pipewire: $*" >&2
    tail -n 20 "$dir"/*.log >&2 || true
    stop
    exit 1
}

answers_on_pipewire() {
    [[ "$(pactl info 2>/dev/null)" == *"Server Name: PulseAudio (on PipeWire "* ]]
}

has_sinks() {
    local sinks
    sinks=$(pactl list short sinks | cut -f 2)
    grep -qx "$MURMEX_TEST_SINK" <<<"$sinks" && grep -qx "$MURMEX_TEST_SINK_2" <<<"$sinks"
}

# The session manager keeps the default; until it runs, a default set is lost.
default_is_first_sink() {
    pactl set-default-sink "$MURMEX_TEST_SINK" && [[ "$(pactl get-default-sink)" == "$MURMEX_TEST_SINK" ]]
}

# A null sink of PipeWire's own: its module-null-sink emulation cuts a description at its first space.
make_sink() { # NAME DESCRIPTION
    pw-cli create-node adapter "{ factory.name=support.null-audio-sink node.name=$1
        node.description=\"$2\" media.class=Audio/Sink object.linger=true audio.position=[FL FR] }" >/dev/null
}

file_size() {
    stat -c %s "$1" 2>/dev/null || echo 0
}

record() { # SINK FILE
    parec -d "$1.monitor" --latency-msec=10 --format=s16le --rate=48000 --channels=2 --raw \
        </dev/null >>"$2" 2>>"$dir/parec.$1.log" &
    echo $! >>"$pids"
}

monitors_grow() { # SIZE SIZE_2: what the recordings held before
    (($(file_size "$MURMEX_TEST_MONITOR") > $1 && $(file_size "$MURMEX_TEST_MONITOR_2") > $2))
}

start() {
    [[ ! -s "$pids" ]] || { echo "testenv-pipewire: the server is running" >&2; return 1; }
    [[ -d "$XDG_RUNTIME_DIR" ]] || mkdir -m 700 "$XDG_RUNTIME_DIR"
    mkdir -p "$dir/state" "$dir/config"
    # A bus of its own, on which nothing of the machine's can answer; the test's processes never see it.
    background bus dbus-daemon --config-file="$bus_config" --nofork --nopidfile --print-address \
        --address="unix:path=$dir/bus"
    until_true grep -q . "$dir/bus.log" || failed "the session bus did not start"
    # The session manager's memory (default sink, stream targets) and any user configuration stay here.
    local run=(env DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus" XDG_STATE_HOME="$dir/state"
        XDG_CONFIG_HOME="$dir/config")
    background pipewire "${run[@]}" pipewire
    until_true test -S "$XDG_RUNTIME_DIR/pipewire-0" || failed "pipewire did not start"
    background wireplumber "${run[@]}" wireplumber
    background pipewire-pulse "${run[@]}" pipewire-pulse
    until_true answers_on_pipewire || failed "pipewire-pulse does not answer"
    make_sink "$MURMEX_TEST_SINK" "$MURMEX_TEST_SINK_DESC" || failed "no first sink"
    make_sink "$MURMEX_TEST_SINK_2" "$MURMEX_TEST_SINK_DESC_2" || failed "no second sink"
    until_true has_sinks || failed "the sinks do not show"
    until_true default_is_first_sink || failed "the first sink does not become the default"
    # As on PulseAudio: one low-latency recorder kept on each monitor; the server is up once they write.
    local size size_2
    size=$(file_size "$MURMEX_TEST_MONITOR")
    size_2=$(file_size "$MURMEX_TEST_MONITOR_2")
    record "$MURMEX_TEST_SINK" "$MURMEX_TEST_MONITOR"
    record "$MURMEX_TEST_SINK_2" "$MURMEX_TEST_MONITOR_2"
    until_true monitors_grow "$size" "$size_2" || failed "the monitors are not recorded"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
