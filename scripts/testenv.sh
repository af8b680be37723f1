#!/usr/bin/env bash
# Runs a command inside Murmex's test environment and tears the environment down afterwards, whatever
# happens: a virtual X display (Xvfb) with a tray host (trayer), and a private PulseAudio daemon with two
# null sinks, the first one the default, each with one low-latency recorder on its monitor kept running.
# An ALSA configuration in the environment's own home folder names one PCM per sink, so that PortAudio
# (ALSA host API) lists, besides "pulse" and "default", the outputs "murmex_test_1" (first sink) and
# "murmex_test_2" (second sink), in that order.
#
#   scripts/testenv.sh COMMAND [ARGS...]
#
# Exported to the command:
#   DISPLAY, XDG_RUNTIME_DIR, PULSE_SERVER     where the display and the sound server are
#   MURMEX_TEST_PULSE_PID                      the sound server's process, for measuring what it costs
#   MURMEX_TEST_PULSE_CTL                      a script that stops the sound server and its recorders and
#                                              starts them again alike (see scripts/testenv-pulse.sh)
#   HOME                                       a fresh home folder holding only that .asoundrc
#   MURMEX_TEST_SINK, MURMEX_TEST_SINK_2       names of the first (default) and the second null sink
#   MURMEX_TEST_SINK_DESC, MURMEX_TEST_SINK_DESC_2
#                                              their descriptions, the names a desktop shows
#   MURMEX_SOUND_PATH=portaudio                the program and the tests reach the sound through PortAudio
#                                              (ALSA's pulse plugin); a test of the sound-server path unsets it
#   MURMEX_TEST_MONITOR, MURMEX_TEST_MONITOR_2 raw recordings of each sink's monitor (s16le, 48000 Hz,
#                                              2 channels), growing for the whole run
#   MURMEX_TEST_PCM, MURMEX_TEST_PCM_2         the ALSA PCM (and PortAudio device) name of each sink
#   MURMEX_TEST_TMP                            a scratch folder removed at the end
#   DBUS_SESSION_BUS_ADDRESS, DBUS_SYSTEM_BUS_ADDRESS
#                                              where no bus listens, so that nothing reaches the machine's
#                                              own; a test that needs a bus starts a private one
#   MURMEX_TEST_TRAY_HOST                      the command line of the tray host
#   MURMEX_TEST_TRAY_PID_FILE                  holds the tray host's process; a test that ends the host and
#                                              starts another one writes the new one's there, and that one
#                                              is ended with the environment
set -euo pipefail

[[ $# -ge 1 ]] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }

scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/murmex-env.XXXXXX")
# Every process started inside the environment carries this in its environment, so that whatever a test
# leaves running is found at the end.
export MURMEX_TEST_ENV="$tmp"
pids=()

teardown() {
    local status=$? pid
    # The sound server and its recorders, as last started (a test may have started them again).
    [[ -n "${MURMEX_TEST_PULSE_CTL:-}" ]] && bash "$MURMEX_TEST_PULSE_CTL" stop 2>/dev/null || true
    # The tray host a test has started again, if it has: only while it is still a tray host.
    if [[ -s "$tmp/trayer.pid" ]]; then
        pid=$(cat "$tmp/trayer.pid")
        [[ "$(ps -o comm= -p "$pid" 2>/dev/null)" == trayer ]] && pids+=("$pid")
    fi
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    done
    # Anything else still running was left behind by a test: a fault of that test, said and ended here.
    if ! bash "$scripts/marked-processes.sh" --end "MURMEX_TEST_ENV=$tmp" \
        "testenv: processes left behind by the tests, now ended:"; then
        ((status != 0)) || status=1
    fi
    rm -rf "$tmp"
    exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

log="$tmp/log"
mkdir -p "$log"

# --- X display and tray host -------------------------------------------------------------------------
exec {dfd}<> <(:)
Xvfb -displayfd "$dfd" -screen 0 1280x800x24 -nolisten tcp -noreset >"$log/xvfb.log" 2>&1 &
pids+=($!)
# One read with the whole bound: a read that times out keeps what it has read so far, and the next one
# would find only the rest of the line.
display=""
read -r -t 10 -u "$dfd" display || true
exec {dfd}>&-
[[ "$display" =~ ^[0-9]+$ ]] || { echo "testenv: Xvfb did not start" >&2; cat "$log/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display"

export MURMEX_TEST_TRAY_HOST="trayer --edge top --align right --widthtype request --height 24 --SetDockType true --expand true"
export MURMEX_TEST_TRAY_PID_FILE="$tmp/trayer.pid"
$MURMEX_TEST_TRAY_HOST >"$log/trayer.log" 2>&1 &
echo $! >"$MURMEX_TEST_TRAY_PID_FILE"

# --- Sound server with two null sinks -------------------------------------------------------------------
export XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR/pulse"
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
export MURMEX_TEST_SINK=murmex_test MURMEX_TEST_SINK_2=murmex_test_2
export MURMEX_TEST_SINK_DESC="Built-in Speakers" MURMEX_TEST_SINK_DESC_2="Desk Headphones"
export MURMEX_SOUND_PATH=portaudio
cat >"$tmp/pulse.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native
load-module module-null-sink sink_name=$MURMEX_TEST_SINK rate=48000 channels=2 sink_properties=device.description="${MURMEX_TEST_SINK_DESC// /\\ }"
load-module module-null-sink sink_name=$MURMEX_TEST_SINK_2 rate=48000 channels=2 sink_properties=device.description="${MURMEX_TEST_SINK_DESC_2// /\\ }"
set-default-sink $MURMEX_TEST_SINK
PA
# One ALSA output per sink. PortAudio lists the PCMs of the user's configuration by name; the hint makes
# them show in ALSA's own device list as well.
export HOME="$tmp/home"
export MURMEX_TEST_PCM=murmex_test_1 MURMEX_TEST_PCM_2=murmex_test_2
mkdir -p "$HOME"
cat >"$HOME/.asoundrc" <<ASOUND
pcm.$MURMEX_TEST_PCM {
    type pulse
    device $MURMEX_TEST_SINK
    hint { show on; description "Murmex test output 1" }
}
pcm.$MURMEX_TEST_PCM_2 {
    type pulse
    device $MURMEX_TEST_SINK_2
    hint { show on; description "Murmex test output 2" }
}
ASOUND

export MURMEX_TEST_MONITOR="$tmp/monitor.raw" MURMEX_TEST_MONITOR_2="$tmp/monitor_2.raw"
export MURMEX_TEST_PULSE_CONFIG="$tmp/pulse.pa" MURMEX_TEST_PULSE_PIDS="$tmp/pulse.pids" MURMEX_TEST_LOG="$log"
export MURMEX_TEST_PULSE_CTL="$scripts/testenv-pulse.sh"
: >"$MURMEX_TEST_PULSE_PIDS"
bash "$MURMEX_TEST_PULSE_CTL" start || { cat "$log/pulseaudio.log" >&2; exit 1; }
export MURMEX_TEST_PULSE_PID=$(head -n 1 "$MURMEX_TEST_PULSE_PIDS")

for _ in $(seq 50); do
    xwininfo -name panel >/dev/null 2>&1 && break
    sleep 0.1
done

export MURMEX_TEST_TMP="$tmp/scratch"
mkdir -p "$MURMEX_TEST_TMP"
# No test reaches the machine's own D-Bus: the program takes an idle inhibitor while it plays. A test that
# wants a bus starts a private one and points these at it.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-session-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$tmp/no-system-bus"

set +e
"$@"
status=$?
set -e
exit $status
