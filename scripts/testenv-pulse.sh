#!/usr/bin/env bash
# Starts and stops the test environment's PulseAudio daemon and the recorders on its sinks' monitors. The
# test environment starts them with it; a test that takes the sound server away and brings it back runs
#
#   bash "$MURMEX_TEST_PULSE_CTL" stop     ends the daemon and its recorders, and waits until they are gone
#   bash "$MURMEX_TEST_PULSE_CTL" start    starts a daemon on the same runtime folder with the same sinks,
#                                          waits until it answers, and records the monitors again
#
# and a test that takes only the second sink away (as when an output is unplugged) runs
#
#   bash "$MURMEX_TEST_PULSE_CTL" unload-2  ends the second monitor's recorder and unloads the second sink
#   bash "$MURMEX_TEST_PULSE_CTL" start-without-2
#                                          starts the daemon with the first sink only, as if the second
#                                          output had gone while the server was away
#   bash "$MURMEX_TEST_PULSE_CTL" load-2    loads it again alike (the default sink stays the first one) and
#                                          records its monitor again, unless it is loaded already
#
# and a test that renames an output, as the desktop's sound settings may, runs
#
#   bash "$MURMEX_TEST_PULSE_CTL" describe-2 [DESCRIPTION]
#                                          gives the second sink that description (its own when none is
#                                          given); the server tells its clients of a changed sink
#
# The recorder goes first: the server would move it to another monitor, whose sound would then be written
# into the second sink's recording.
#
# A recorder ends with the daemon it records from; the new one appends to the same file, so a recording
# goes on where it stopped, without the time the server was away. The processes started are listed in
# $MURMEX_TEST_PULSE_PIDS (the daemon first), which the environment ends at its own end.
set -euo pipefail

: "${MURMEX_TEST_PULSE_CONFIG:?run inside scripts/testenv.sh}" "${MURMEX_TEST_PULSE_PIDS:?}" "${MURMEX_TEST_LOG:?}"
: "${MURMEX_TEST_SINK_2:?}"

# The daemons outlive the caller; a descriptor they inherit (a test harness's output pipe among them) would
# stay open as long as they run.
for fd in /proc/$$/fd/*; do
    fd=${fd##*/}
    ((fd > 2)) && { exec {fd}>&-; } 2>/dev/null || true
done

stop() {
    local pid
    [[ -s "$MURMEX_TEST_PULSE_PIDS" ]] || return 0
    while read -r pid; do kill "$pid" 2>/dev/null || true; done <"$MURMEX_TEST_PULSE_PIDS"
    while read -r pid; do
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
        kill -9 "$pid" 2>/dev/null || true
    done <"$MURMEX_TEST_PULSE_PIDS"
    : >"$MURMEX_TEST_PULSE_PIDS"
    rm -f "$MURMEX_TEST_PULSE_PIDS".*
    # A client that finds the socket file may still try it; a fresh daemon makes a new one.
    rm -f "$XDG_RUNTIME_DIR/pulse/native"
}

# Nothing started here may hold the caller's output open: a test harness waits for its end.
start() { # [without-2]
    [[ ! -s "$MURMEX_TEST_PULSE_PIDS" ]] || { echo "testenv-pulse: the daemon is running" >&2; return 1; }
    local config=$MURMEX_TEST_PULSE_CONFIG
    if [[ "${1:-}" == without-2 ]]; then
        config=$MURMEX_TEST_PULSE_CONFIG.without-2
        grep -v "sink_name=$MURMEX_TEST_SINK_2 " "$MURMEX_TEST_PULSE_CONFIG" >"$config"
    fi
    HOME="$(dirname "$MURMEX_TEST_PULSE_CONFIG")" pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit \
        --use-pid-file=no --disable-shm=yes -n -F "$config" \
        --log-target=file:"$MURMEX_TEST_LOG/pulseaudio.log" </dev/null >/dev/null 2>&1 &
    echo $! >>"$MURMEX_TEST_PULSE_PIDS"
    for _ in $(seq 200); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    pactl info >/dev/null 2>&1 || { echo "testenv-pulse: PulseAudio did not start" >&2; return 1; }
    # An idle null sink delays new streams; one recorder kept connected on each avoids that. The daemon
    # counts as back once the recorders write.
    local size=$(file_size "$MURMEX_TEST_MONITOR") size_2=$(file_size "$MURMEX_TEST_MONITOR_2")
    record "$MURMEX_TEST_SINK" "$MURMEX_TEST_MONITOR"
    if [[ "${1:-}" == without-2 ]]; then
        size_2=-1
    else
        record "$MURMEX_TEST_SINK_2" "$MURMEX_TEST_MONITOR_2"
    fi
    for _ in $(seq 200); do
        (($(file_size "$MURMEX_TEST_MONITOR") > size && $(file_size "$MURMEX_TEST_MONITOR_2") > size_2)) && return 0
        sleep 0.05
    done
    echo "testenv-pulse: the monitors are not recorded" >&2
    return 1
}

file_size() {
    stat -c %s "$1" 2>/dev/null || echo 0
}

record() { # sink, file
    parec -d "$1.monitor" --latency-msec=10 --format=s16le --rate=48000 --channels=2 --raw \
        </dev/null >>"$2" 2>>"$MURMEX_TEST_LOG/parec.$1.log" &
    echo $! >>"$MURMEX_TEST_PULSE_PIDS"
    echo $! >"$MURMEX_TEST_PULSE_PIDS.$1"
}

second_sink_module() {
    pactl list short modules | awk -v sink="sink_name=$MURMEX_TEST_SINK_2" \
        '$2 == "module-null-sink" && index($0, sink " ") { print $1; exit }'
}

unload_2() {
    local pid module
    pid=$(cat "$MURMEX_TEST_PULSE_PIDS.$MURMEX_TEST_SINK_2" 2>/dev/null || true)
    if [[ -n "$pid" ]]; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
        kill -9 "$pid" 2>/dev/null || true
        sed -i "/^$pid\$/d" "$MURMEX_TEST_PULSE_PIDS"
        rm -f "$MURMEX_TEST_PULSE_PIDS.$MURMEX_TEST_SINK_2"
    fi
    module=$(second_sink_module)
    [[ -z "$module" ]] || pactl unload-module "$module"
}

load_2() {
    [[ -z "$(second_sink_module)" ]] || return 0
    pactl load-module module-null-sink "sink_name=$MURMEX_TEST_SINK_2 rate=48000 channels=2 \
sink_properties=device.description=\"${MURMEX_TEST_SINK_DESC_2// /\\ }\"" >/dev/null
    local size=$(file_size "$MURMEX_TEST_MONITOR_2")
    record "$MURMEX_TEST_SINK_2" "$MURMEX_TEST_MONITOR_2"
    for _ in $(seq 200); do
        (($(file_size "$MURMEX_TEST_MONITOR_2") > size)) && return 0
        sleep 0.05
    done
    echo "testenv-pulse: the second monitor is not recorded" >&2
    return 1
}

# The client protocol cannot change a sink's description: the server's command line, reached for a moment,
# can.
describe_2() { # [description]
    local socket="$XDG_RUNTIME_DIR/pulse/cli.$$" module
    module=$(pactl load-module module-cli-protocol-unix "socket=$socket")
    local command="update-sink-proplist $MURMEX_TEST_SINK_2 device.description=\"${1:-$MURMEX_TEST_SINK_DESC_2}\""
    python3 - "$socket" "$command" <<'EOF'
import socket, sys
cli = socket.socket(socket.AF_UNIX)
cli.connect(sys.argv[1])
cli.sendall(sys.argv[2].encode() + b"\n")
cli.shutdown(socket.SHUT_WR)
while cli.recv(4096):
    pass
EOF
    pactl unload-module "$module"
}

case "${1:-}" in
stop) stop ;;
start) start ;;
start-without-2) start without-2 ;;
unload-2) unload_2 ;;
load-2) load_2 ;;
describe-2) describe_2 "${2:-}" ;;
*) echo "usage: $0 stop|start|start-without-2|unload-2|load-2|describe-2 [DESCRIPTION]" >&2; exit 2 ;;
esac
