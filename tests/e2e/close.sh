#!/usr/bin/env bash
# Every orderly end writes all nine settings: closing the window, SIGTERM and SIGINT.
source "$(dirname "$0")/lib.sh"

[[ -n "${XCLOSE_BIN:-}" ]] || fail "XCLOSE_BIN is not set"

check_written() {
    local key
    for key in Min_FormShow HintShow Noise_Num Off_1 Off_2 SPDIF Value_L Value_R Languare; do
        [[ -n "$(stored "$key")" ]] || fail "$key was not written: $(cat "$SETTINGS_FILE" 2>/dev/null)"
    done
    [[ "$(stored HintShow)" == 1 ]] || fail "HintShow written as $(stored HintShow), expected 1"
    [[ "$(stored Noise_Num)" == 3 ]] || fail "Noise_Num written as $(stored Noise_Num), expected 3"
    [[ "$(stored Languare)" == 1 ]] || fail "Languare written as $(stored Languare), expected 1"
    [[ "$(stored SPDIF)" == 1 ]] || fail "SPDIF written as $(stored SPDIF), expected its default 1"
}

for how in window SIGTERM SIGINT; do
    step "closed by $how"
    new_config_home
    seed_settings $'HintShow=5\nNoise_Num=3\nLanguare=1'
    start_murmex
    case $how in
    window) "$XCLOSE_BIN" "$WINDOW" ;;
    *) kill -s "${how#SIG}" "$MURMEX_PID" ;;
    esac
    expect_exit 0
    check_written
done
