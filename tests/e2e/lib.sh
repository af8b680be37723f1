# Shared helpers of the end-to-end tests. They run inside scripts/testenv.sh, started by CTest, which
# passes MURMEX_BIN (the program) and XCLOSE_BIN (closes a window the way a window manager does).
set -euo pipefail

for var in DISPLAY MURMEX_TEST_TMP MURMEX_BIN; do
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
    echo "--- $*"
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

# Starts Murmex and waits until its window is shown; sets MURMEX_PID and WINDOW.
start_murmex() {
    "$MURMEX_BIN" >"$MURMEX_TEST_TMP/murmex.$$.log" 2>&1 &
    MURMEX_PID=$!
    WINDOW=""
    for _ in $(seq 100); do
        WINDOW=$(xdotool search --onlyvisible --pid "$MURMEX_PID" --name '^Murmex$' 2>/dev/null | head -n 1 || true)
        [[ -n "$WINDOW" ]] && break
        kill -0 "$MURMEX_PID" 2>/dev/null || fail "Murmex ended at start: $(cat "$MURMEX_TEST_TMP/murmex.$$.log")"
        sleep 0.1
    done
    [[ -n "$WINDOW" ]] || fail "no Murmex window appeared"
    trap 'kill -9 "$MURMEX_PID" 2>/dev/null || true' EXIT
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
    read -r ox oy _ < <(geometry)
    xdotool mousemove --sync $((ox + x)) $((oy + y))
    sleep 0.1
    xdotool mousedown "$button"
    for i in 1 2 3 4 5; do
        xdotool mousemove $((ox + x + dx * i / 5)) $((oy + y + dy * i / 5))
        sleep 0.05
    done
    xdotool mouseup "$button"
    sleep 0.3
}
