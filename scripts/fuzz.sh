#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a while, side by side, starting from
# the built-in clips as seeds. Inputs found along the way are kept in build-fuzz/ for the next run. A crash fails
# the command and leaves the input that caused it in build-fuzz/tests/fuzz/crashes/.
#
#   scripts/fuzz.sh [SECONDS]      (default 25 seconds per target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-25}
out=build-fuzz/tests/fuzz

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURMEX_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$out/crashes"
declare -A seeds=([WaveRecordFuzz]=records [WaveReadFuzz]=images)
pids=()
for target in "${!seeds[@]}"; do
    mkdir -p "$out/found-$target"
    "$out/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$out/crashes/$target-" "$out/found-$target" "$out/seeds/${seeds[$target]}" \
        >"$out/$target.log" 2>&1 &
    pids+=("$!:$target")
done

failed=0
for entry in "${pids[@]}"; do
    pid=${entry%%:*} target=${entry#*:}
    if wait "$pid"; then
        echo "$target: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$out/$target.log" | grep -o '[0-9]*$') runs, no crash"
    else
        failed=1
        echo "$target FAILED:" >&2
        tail -n 40 "$out/$target.log" >&2
    fi
done
exit "$failed"
