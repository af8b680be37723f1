# Measuring helpers shared by the benchmarks: CPU time, wake-ups and peak memory of processes, read from
# /proc, and medians. Sourced by scripts that run inside scripts/testenv.sh; prints figures, never judges them.

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

# Context switches of PID's threads so far, as "VOLUNTARY INVOLUNTARY". A voluntary one is a thread going to sleep,
# and so stands for one wake-up; an involuntary one is a running thread made to give way (to a sound server it has
# just written to, say), which wakes nothing. A thread that has ended no longer counts.
ctxt_switches() {
    { cat /proc/"$1"/task/*/status 2>/dev/null || true; } |
        awk '/^voluntary_ctxt_switches:/ { v += $2 } /^nonvoluntary_ctxt_switches:/ { n += $2 }
             END { print v + 0, n + 0 }'
}

# CPU use of each PID over the next SECONDS, in % of one core, on one line in the order given. All are read
# at the same moments, so that a player and the sound server it feeds are compared over one interval. With
# -w first, the line ends with the wake-ups a second of the first PID over the same interval, then the times a
# second its running threads were made to give way.
cpu_shares() {
    local wakeups=0
    [[ "$1" != -w ]] || { wakeups=1 && shift; }
    local seconds=$1 pid t0 t1 s0="0 0" s1="0 0"
    shift
    local -a before=() after=()
    t0=$(date +%s.%N)
    for pid in "$@"; do before+=("$(cpu_ticks "$pid")"); done
    ((!wakeups)) || s0=$(ctxt_switches "$1")
    sleep "$seconds"
    t1=$(date +%s.%N)
    for pid in "$@"; do after+=("$(cpu_ticks "$pid")"); done
    ((!wakeups)) || s1=$(ctxt_switches "$1")
    awk -v hz="$(getconf CLK_TCK)" -v t0="$t0" -v t1="$t1" -v b="${before[*]}" -v a="${after[*]}" \
        -v w="$wakeups" -v s0="$s0" -v s1="$s1" 'BEGIN {
        n = split(b, x); split(a, y)
        for (i = 1; i <= n; i++) printf "%.2f%s", 100 * (y[i] - x[i]) / hz / (t1 - t0), i < n || w ? " " : "\n"
        split(s0, p); split(s1, q)
        if (w) printf "%.1f %.1f\n", (q[1] - p[1]) / (t1 - t0), (q[2] - p[2]) / (t1 - t0)
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
