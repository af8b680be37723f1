#!/usr/bin/env bash
# Starts and stops the test environment's PulseAudio daemon and the recorders on its sinks' monitors. The
# test environment starts them with it; a test that takes the sound server away and brings it back runs
#
#   bash "$MURMEX_TEST_PULSE_CTL" stop     ends the daemon and its recorders, and waits until they are gone
#   bash "$MURMEX_TEST_PULSE_CTL" start    starts a daemon on the same runtime folder with the same sinks,
#                                          waits until it answers, and records the monitors again
#
# A recorder ends with the daemon it records from; the new one appends to the same file, so a recording
# goes on where it stopped, without the time the server was away. The processes started are listed in
# $MURMEX_TEST_PULSE_PIDS (the daemon first), which the environment ends at its own end.
set -euo pipefail

: "${MURMEX_TEST_PULSE_CONFIG:?run inside scripts/testenv.sh}" "${MURMEX_TEST_PULSE_PIDS:?}" "${MURMEX_TEST_LOG:?}"

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
    # A client that finds the socket file may still try it; a fresh daemon makes a new one.
    rm -f "$XDG_RUNTIME_DIR/pulse/native"
}

# Nothing started here may hold the caller's output open: a test harness waits for its end.
start() {
    [[ ! -s "$MURMEX_TEST_PULSE_PIDS" ]] || { echo "testenv-pulse: the daemon is running" >&2; return 1; }
    HOME="$(dirname "$MURMEX_TEST_PULSE_CONFIG")" pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit \
        --use-pid-file=no --disable-shm=yes -n -F "$MURMEX_TEST_PULSE_CONFIG" \
        --log-target=file:"$MURMEX_TEST_LOG/pulseaudio.log" </dev/null >/dev/null 2>&1 &
    echo $! >>"$MURMEX_TEST_PULSE_PIDS"
    for _ in $(seq 200); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    pactl info >/dev/null 2>&1 || { echo "testenv-pulse: PulseAudio did not start" >&2; return 1; }
    # An idle null sink delays new streams; one recorder kept connected on each avoids that. The daemon
    # counts as back once both recorders write.
    local size=$(file_size "$MURMEX_TEST_MONITOR") size_2=$(file_size "$MURMEX_TEST_MONITOR_2")
    record "$MURMEX_TEST_SINK" "$MURMEX_TEST_MONITOR"
    record "$MURMEX_TEST_SINK_2" "$MURMEX_TEST_MONITOR_2"
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
}

case "${1:-}" in
stop) stop ;;
start) start ;;
*) echo "usage: $0 stop|start" >&2; exit 2 ;;
esac
