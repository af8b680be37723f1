#!/usr/bin/env bash
# What the whole program costs its user, beside SoX and a GStreamer pipeline playing white noise on the
# same null sink in the same run: launch to the first painted window, click on the generator to the first
# sound at the sink, and CPU (% of one core), wake-ups a second (its threads' voluntary context switches; beside
# them "yield/s", the times a second its running threads were made to give way) and peak memory while playing with the window shown, unmapped and in the tray, and with no display at all
# (--headless), each with the sound server's own CPU over the same interval, and the same while stopped with
# the window shown and in the tray. Players take turns in rounds; figures are medians. Prints figures and the
# targets beside them; asserts nothing.
#   bench/program.sh [SECONDS] [ROUNDS] [LAUNCHES]     (defaults 15 s a measurement, 3 rounds, 10 launches)
# MURMEX_BENCH_BIN=PATH measures another build of the program (say, an older one beside this one); the
# helpers still come from build/.
# The soak instead plays noise 1 (white noise at 8000 Hz, a loop of 8001 frames, 48006 frames at the sink) at
# full volume for MINUTES, then counts the gaps and breaks of the loop in the sink's recording of the whole
# stretch (soundcheck gaps, see tests/e2e/SoundCheck.h) and prints the program's memory at the start and the
# end and its CPU and wake-ups minute by minute, beside the sound server's CPU:
#   bench/program.sh --soak MINUTES
set -euo pipefail
cd "$(dirname "$0")/.."
soak_minutes=""
if [[ "${1:-}" == --soak ]]; then
    soak_minutes=${2:-}
    [[ "$soak_minutes" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 --soak MINUTES" >&2; exit 2; }
fi
seconds=${1:-15} rounds=${2:-3} launches=${3:-10}
for n in "$seconds" "$rounds" "$launches"; do
    [[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [SECONDS] [ROUNDS] [LAUNCHES]" >&2; exit 2; }
done

if [[ -z "${MURMEX_TEST_TMP:-}" ]]; then
    bash scripts/deps.sh bench
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j2 --target murmex soundcheck xpixel bench_firstpaint >/dev/null
    exec bash scripts/testenv.sh bash "$0" "$@"
fi

export MURMEX_BIN="${MURMEX_BENCH_BIN:-$PWD/build/murmex}" SOUNDCHECK_BIN="$PWD/build/tests/soundcheck" XPIXEL_BIN="$PWD/build/tests/xpixel"
firstpaint="$PWD/build/bench/bench_firstpaint"
source tests/e2e/lib.sh
source bench/lib.sh
# The program as a user runs it: through the sound server (the test environment picks PortAudio for the tests).
unset MURMEX_SOUND_PATH

# The window's generator and minimise buttons, and the lamp's colour while stopped.
button=(107 535) minimise=(761 16)
lamp=(761 41 0080C0)
bytes_per_ms=192 # 48000 Hz, 2 channels, 16 bits
players=() # running now, stopped at the end whatever happens
trap 'for pid in "${players[@]}"; do stop_process "$pid"; done' EXIT
finish() {
    stop_process "$1"
    local pid left=()
    for pid in "${players[@]}"; do [[ "$pid" == "$1" ]] || left+=("$pid"); done
    players=(${left[@]+"${left[@]}"})
}

# Starts a copy of Murmex, set to play NOISE (default 5, white noise at 44.1 kHz) at full volume, and waits
# for its first painted window; sets MURMEX_PID, WINDOW and LAUNCH_MS ("none" if it did not paint).
launch() {
    new_config_home
    seed_settings "Noise_Num=${1:-5}"$'\nValue_L=100\nValue_R=100'
    read -r LAUNCH_MS MURMEX_PID < <("$firstpaint" "${lamp[@]}" "$PROGRAM" || true) || true
    players+=("$MURMEX_PID")
    WINDOW=$(xdotool search --onlyvisible --pid "$MURMEX_PID" --name '^Murmex$' 2>/dev/null | head -n 1 || true)
}

# Clicks the generator and prints the recording's end at the click and the offset of the first sound after
# it, or "none" for the second when nothing is heard within 5 s.
click_generator() {
    point_at "${button[@]}"
    wait_silence "$(monitor_mark)" "" 0.2 >/dev/null || true
    local mark
    mark=$(monitor_mark)
    xdotool click 1
    echo "$mark $(SOUND_WAIT=5 wait_sound "$mark" || echo none)"
}

# Clicks the generator and prints the time to the first sound at the sink in ms, measured on the
# recording's own clock, or "none" when nothing is heard within 5 s.
click_to_sound() {
    local mark at
    read -r mark at < <(click_generator)
    if [[ "$at" != none ]]; then
        echo $(((at - mark) / bytes_per_ms))
    else
        echo none
    fi
}

# Whether the last SECONDS of the first sink's recording hold sound.
still_playing() {
    local end
    end=$(monitor_mark)
    "$SOUNDCHECK_BIN" "$MURMEX_TEST_MONITOR" $((end - $1 * 48000 * 4)) "$end" --sound "$SOUND_LEVEL" >/dev/null 2>&1
}

declare -A cpu server wake rss heard gave
record() { # row, cpu, server cpu, wake-ups a second, peak rss, heard (yes/no), times made to give way a second
    cpu[$1]+=" $2" server[$1]+=" $3" wake[$1]+=" $4" rss[$1]+=" $5" heard[$1]+=" $6" gave[$1]+=" ${7:--}"
}

# Measures the playing copy of Murmex for the row; SOUND is whether the click on the generator was heard.
measure_playing() { # row, sound (yes/no)
    local c s w g sound=$2
    read -r c s w g < <(cpu_shares -w "$seconds" "$MURMEX_PID" "$MURMEX_TEST_PULSE_PID")
    still_playing "$seconds" || sound=no
    record "$1" "$c" "$s" "$w" "$(peak_rss_mb "$MURMEX_PID")" "$sound" "$g"
}

# Murmex with nothing playing: the window shown, or in the tray.
measure_stopped() { # row
    local c s w g
    read -r c s w g < <(cpu_shares -w "$seconds" "$MURMEX_PID" "$MURMEX_TEST_PULSE_PID")
    record "$1" "$c" "$s" "$w" "$(peak_rss_mb "$MURMEX_PID")" yes "$g"
}

# Murmex stopped with its window shown, then playing with its window shown, then unmapped from outside (as on
# another desktop), then mapped again and put into the tray by its minimise button, and stopped there from the
# command line. A row whose window state was not reached has no figures.
measure_murmex() {
    launch
    sleep 1
    measure_stopped shown_stopped
    local sound=yes
    [[ "$(click_to_sound)" != none ]] || sound=no
    sleep 2
    measure_playing shown "$sound"
    if [[ -n "$WINDOW" ]] && xdotool windowunmap --sync "$WINDOW"; then
        sleep 1
        measure_playing hidden "$sound"
    else
        record hidden - - - - no
    fi
    if [[ -n "$WINDOW" ]] && xdotool windowmap --sync "$WINDOW" && sleep 1 && point_at "${minimise[@]}" &&
        xdotool click 1 && wait_map_state IsUnMapped 5; then
        sleep 1
        measure_playing tray "$sound"
        "$PROGRAM" --stop >/dev/null 2>&1 || true
        sleep 1
        measure_stopped tray_stopped
    else
        record tray - - - - no
        record tray_stopped - - - - no
    fi
    finish "$MURMEX_PID"
}

# Murmex with no display at all: --headless, DISPLAY and WAYLAND_DISPLAY unset, started playing noise 5.
measure_headless() {
    local mark sound=yes
    new_config_home
    seed_settings $'Noise_Num=5\nValue_L=100\nValue_R=100'
    mark=$(monitor_mark)
    env -u DISPLAY -u WAYLAND_DISPLAY "$PROGRAM" --headless --play >/dev/null 2>&1 &
    MURMEX_PID=$!
    players+=("$MURMEX_PID")
    SOUND_WAIT=10 wait_sound "$mark" >/dev/null || sound=no
    sleep 2
    measure_playing headless "$sound"
    finish "$MURMEX_PID"
}

# Another player, started by COMMAND, from its first sound on.
measure_other() { # row, command...
    local row=$1 mark pid sound=yes c s w g
    shift
    mark=$(monitor_mark)
    "$@" >/dev/null 2>&1 &
    pid=$!
    players+=("$pid")
    SOUND_WAIT=10 wait_sound "$mark" >/dev/null || sound=no
    sleep 2
    read -r c s w g < <(cpu_shares -w "$seconds" "$pid" "$MURMEX_TEST_PULSE_PID")
    still_playing "$seconds" || sound=no
    record "$row" "$c" "$s" "$w" "$(peak_rss_mb "$pid")" "$sound" "$g"
    finish "$pid"
}

# "yes" or "no" by whether FIGURE is at most LIMIT; "-" when there is no figure.
within() {
    [[ "$1" =~ ^-?[0-9.]+$ ]] || { echo -; return; }
    awk -v a="$1" -v b="$2" 'BEGIN { print a <= b ? "yes" : "no" }'
}

# --- The soak ------------------------------------------------------------------------------------------
# Noise 1 is 8001 frames at 8000 Hz: at the sink's 48000 Hz its loop repeats every 48006 frames exactly.
soak_noise=1 soak_period=48006

mb() { awk -v k="$1" 'BEGIN { printf "%.2f", k / 1024 }'; }

soak() { # minutes
    local minutes=$1 mark onset end rss_start rss_end="" c s w m cpu_m=() server_m=() wake_m=() out
    copy_murmex
    launch "$soak_noise"
    sleep 1
    read -r mark onset < <(click_generator)
    if [[ "$onset" == none ]]; then
        echo "Soak: no sound came after the click on the generator; nothing measured"
        finish "$MURMEX_PID"
        return
    fi
    sleep 2
    rss_start=$(rss_kb "$MURMEX_PID")
    echo "Soak: noise $soak_noise at full volume for $minutes min, from $(date +%T) (RSS $(mb "$rss_start") MB):"
    for ((m = 1; m <= minutes; m++)); do
        c="" s="" w=""
        if running "$MURMEX_PID"; then
            read -r c s w _ < <(cpu_shares -w 60 "$MURMEX_PID" "$MURMEX_TEST_PULSE_PID" 2>/dev/null) || true
        fi
        if [[ -z "$c" ]] || ! running "$MURMEX_PID"; then
            echo "  Murmex ended in minute $m"
            break
        fi
        cpu_m+=("$c") server_m+=("$s") wake_m+=("$w")
        rss_end=$(rss_kb "$MURMEX_PID")
        echo "  minute $m: Murmex $c %, $w wake-ups/s, server $s %, RSS $(mb "$rss_end") MB"
    done
    end=$(monitor_mark)
    finish "$MURMEX_PID"
    out=$("$SOUNDCHECK_BIN" gaps "$MURMEX_TEST_MONITOR" "$onset" "$end" --period "$soak_period" 2>&1) || true
    field() { sed -n "1s/.* $1=\([^ ]*\).*/\1/p" <<<"$out"; }
    local gaps breaks growth=- rss_end_mb=-
    gaps=$(field gaps) breaks=$(field breaks)
    if [[ -n "$rss_end" ]]; then
        rss_end_mb=$(mb "$rss_end")
        growth=$(awk -v a="$rss_start" -v b="$rss_end" 'BEGIN { printf "%.2f", (b - a) / 1024 }')
    fi

    echo
    echo "Murmex $(git describe --always --dirty 2>/dev/null || echo '?'), soak of $minutes min; PulseAudio null sink," \
        "48000 Hz stereo"
    echo "recording $onset..$end: $(head -n 1 <<<"$out")"
    tail -n +2 <<<"$out" | sed 's/^/  /'
    printf '%-44s %10s   %-22s %s\n' "" "figure" "target" "within"
    printf '%-44s %10s   %-22s %s\n' "gaps (zero runs > 5 ms, both channels)" "$gaps" "0" \
        "$(within "$gaps" 0)"
    printf '%-44s %10s   %-22s %s\n' "loop breaks (sound left out or late)" "$breaks" "0" "$(within "$breaks" 0)"
    printf '%-44s %10s\n' "longest gap, ms" "$(field longest_gap_ms)"
    printf '%-44s %10s\n' "sound matching the loop nowhere, ms" "$(field unmatched_ms)"
    printf '%-44s %10s\n' "RSS at the start, MB" "$(mb "$rss_start")"
    printf '%-44s %10s\n' "RSS at the end, MB" "$rss_end_mb"
    printf '%-44s %10s   %-22s %s\n' "RSS growth, MB" "$growth" "< 1 MB" \
        "$(awk -v g="$growth" 'BEGIN { print g ~ /^-?[0-9.]+$/ ? (g < 1 ? "yes" : "no") : "-" }')"
    printf '%-44s %10s\n' "Murmex CPU, % of one core, median a minute" "$(median "${cpu_m[@]}")"
    printf '%-44s %10s\n' "server CPU, % of one core, median a minute" "$(median "${server_m[@]}")"
    printf '%-44s %10s\n' "Murmex wake-ups a second, median a minute" "$(median "${wake_m[@]}")"
    echo "Murmex CPU a minute, %: ${cpu_m[*]}"
    echo "server CPU a minute, %: ${server_m[*]}"
}

if [[ -n "$soak_minutes" ]]; then
    soak "$soak_minutes"
    exit 0
fi

copy_murmex
echo "Launch and click, $launches times (window shown at the top centre of a 1280x800 Xvfb display):"
launch_ms=() click_ms=()
for ((i = 1; i <= launches; i++)); do
    launch
    launch_ms+=("$LAUNCH_MS")
    if [[ ${#click_ms[@]} -eq 0 || "${click_ms[-1]}" != none ]]; then
        sleep 1
        click_ms+=("$(click_to_sound)")
    fi
    finish "$MURMEX_PID"
done
echo "  launch to first paint, ms: ${launch_ms[*]}"
echo "  click to first sound, ms:  ${click_ms[*]}"

echo "Playing, $rounds rounds of $seconds s a figure:"
for ((r = 1; r <= rounds; r++)); do
    measure_murmex
    measure_headless
    measure_other sox env AUDIODRIVER=pulseaudio play -q -n synth whitenoise
    measure_other gst gst-launch-1.0 -q audiotestsrc wave=white-noise '!' pulsesink
    s=$(cpu_shares "$seconds" "$MURMEX_TEST_PULSE_PID")
    record idle - "$s" - - yes
    echo "  round $r: Murmex shown ${cpu[shown]##* } %, unmapped ${cpu[hidden]##* } %, tray ${cpu[tray]##* } %," \
        "SoX ${cpu[sox]##* } %, GStreamer ${cpu[gst]##* } %; server idle $s %;" \
        "Murmex wake-ups/s shown ${wake[shown]##* }, unmapped ${wake[hidden]##* }, tray ${wake[tray]##* }," \
        "headless ${wake[headless]##* } (${cpu[headless]##* } %, ${rss[headless]##* } MB);" \
        "stopped: shown ${wake[shown_stopped]##* }, tray ${wake[tray_stopped]##* } wake-ups/s"
done

# --- The table -----------------------------------------------------------------------------------------
m() { median ${1}; } # word-split on purpose
launch_median=$(median "${launch_ms[@]}")
click_median=$(median "${click_ms[@]}")
[[ "$click_median" != - ]] || click_median="no sound"
sox_cpu=$(m "${cpu[sox]}")
sox_server=$(m "${server[sox]}")

row() { # name, row key, target text, met
    local sound=""
    [[ "${heard[$2]}" != *no* ]] || sound=" (no sound)"
    printf '%-36s %8s %8s %8s %10s %8s   %-46s %s\n' "$1$sound" "$(m "${cpu[$2]}")" "$(m "${wake[$2]}")" \
        "$(m "${gave[$2]}")" "$(m "${server[$2]}")" "$(m "${rss[$2]}")" "$3" "$4"
}

echo
echo "Murmex ${MURMEX_BENCH_BIN:-$(git describe --always --dirty 2>/dev/null || echo '?')}, medians; PulseAudio null sink, 48000 Hz stereo"
printf '%-36s %8s   %-66s %s\n' "" "figure" "target" "within"
printf '%-36s %8s   %-66s %s\n' "launch to first paint, ms" "$launch_median" "<= 150 ms" "$(within "$launch_median" 150)"
printf '%-36s %8s   %-66s %s\n' "click to first sound, ms" "$click_median" "<= 100 ms" "$(within "$click_median" 100)"
echo
printf '%-36s %8s %8s %8s %10s %8s   %-46s %s\n' "noise 5, or stopped" "CPU %" "wake/s" "yield/s" "server %" \
    "RSS MB" "target" "within"
# Whether a row's medians meet its target: CPU at most CPU_MAX % (or SOX_SHARE times SoX's when given), the
# sound server no busier than with SoX when SERVER is 1, wake-ups and peak memory at most their limits.
meets() { # row, cpu max, sox share, server, wake-ups max, rss max
    awk -v c="$(m "${cpu[$1]}")" -v s="$(m "${server[$1]}")" -v w="$(m "${wake[$1]}")" -v r="$(m "${rss[$1]}")" \
        -v cm="$2" -v share="$3" -v sv="$4" -v wm="$5" -v rm="$6" -v x="$sox_cpu" -v xs="$sox_server" 'BEGIN {
        if (c !~ /^[0-9.]+$/) { print "-"; exit }
        ok = c <= (share != "" ? share * x : cm) && w <= wm && r <= rm && (sv != 1 || s <= xs)
        print ok ? "yes" : "no"
    }'
}
# Figures of a program that plays nothing meet any target: they say nothing.
heard_meets() { # as meets
    if [[ "${heard[$1]}" == *no* ]]; then echo -; else meets "$@"; fi
}
row "Murmex, window shown" shown "CPU <= 1 %, server <= with SoX, <= 40 wake/s, RSS <= 36 MB" \
    "$(heard_meets shown 1 "" 1 40 36)"
row "Murmex, window unmapped" hidden "CPU <= half of SoX's, RSS <= 36 MB" "$(heard_meets hidden - 0.5 0 1000000 36)"
row "Murmex, window in the tray" tray "CPU <= 0.15 x SoX's, <= 3 wake/s, RSS <= 36 MB" \
    "$(heard_meets tray - 0.15 0 3 36)"
row "Murmex, headless (no display)" headless "<= 3 wake/s, RSS <= 36 MB" "$(heard_meets headless 100 "" 0 3 36)"
row "Murmex stopped, window shown" shown_stopped "<= 12 wake/s" "$(meets shown_stopped 100 "" 0 12 1000000)"
row "Murmex stopped, in the tray" tray_stopped "<= 1 wake/s" "$(meets tray_stopped 100 "" 0 1 1000000)"
row "SoX: play -n synth whitenoise" sox "" ""
row "GStreamer: audiotestsrc ! pulsesink" gst "" ""
row "nothing playing (two recorders)" idle "" ""
