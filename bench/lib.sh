# Measuring helpers shared by the benchmarks: CPU time and peak memory of processes, read from /proc, and
# medians. Sourced by scripts that run inside scripts/testenv.sh; prints figures, never judges them.

# CPU time (user and system, every thread, finished ones too) that PID has used so far, in clock ticks.
cpu_ticks() {
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

# Resident memory of PID now, in kB.
rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}

# Peak resident memory of PID so far, in MB.
peak_rss_mb() {
    awk '/^VmHWM:/ { printf "%.1f\n", $2 / 1024 }' "/proc/$1/status"
}

# CPU use of each PID over the next SECONDS, in % of one core, on one line in the order given. All are read
# at the same moments, so that a player and the sound server it feeds are compared over one interval.
cpu_shares() {
    local seconds=$1 pid t0 t1
    shift
    local -a before=() after=()
    t0=$(date +%s.%N)
    for pid in "$@"; do before+=("$(cpu_ticks "$pid")"); done
    sleep "$seconds"
    t1=$(date +%s.%N)
    for pid in "$@"; do after+=("$(cpu_ticks "$pid")"); done
    awk -v hz="$(getconf CLK_TCK)" -v t0="$t0" -v t1="$t1" -v b="${before[*]}" -v a="${after[*]}" 'BEGIN {
        n = split(b, x); split(a, y)
        for (i = 1; i <= n; i++) printf "%.2f%s", 100 * (y[i] - x[i]) / hz / (t1 - t0), i < n ? " " : "\n"
    }'
}

# The median of the numbers given as arguments (words that are not numbers are left out), or "-" if none.
median() {
    printf '%s\n' "$@" | { grep -E '^-?[0-9]+(\.[0-9]+)?$' || true; } | sort -g |
        awk '{ v[NR] = $1 } END {
            if (NR == 0) print "-"
            else if (NR % 2) print v[(NR + 1) / 2]
            else print (v[NR / 2] + v[NR / 2 + 1]) / 2
        }'
}

# Whether PID still runs (an ended process that nobody has reaped yet does not).
running() {
    [[ -r "/proc/$1/stat" ]] && [[ "$(awk '{ sub(/^.*\) /, ""); print $1 }' "/proc/$1/stat" 2>/dev/null)" != Z ]]
}

# Asks PID to end and waits for it a while; kills it if it does not. Reaps it if it is this shell's child.
stop_process() {
    kill -TERM "$1" 2>/dev/null || true
    for _ in $(seq 100); do
        running "$1" || break
        sleep 0.05
    done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
