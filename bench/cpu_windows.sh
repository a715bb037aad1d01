# Sourced by the bench scripts (after bench/private_display.sh): the CPU time per second
# of wall time of processes measured side by side, from /proc/PID/task/*/schedstat
# (nanoseconds on the CPU, every thread).
#
#   cpu_windows SECONDS WINDOWS   the processes procs[i], named names[i], started just
#                                 before: after 3 s of start-up, one figure per window to
#                                 $work/NAME; the load average at the start to $load
#   cpu_median NAME               the median of NAME's windows, ms/s

cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }

cpu_windows() {
    local secs=$1 windows=$2 _ i t0 t1 before
    pids+=("${procs[@]}")
    sleep 3 # start-up is not idle time
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    for _ in $(seq 1 "$windows"); do
        before=()
        for i in "${!procs[@]}"; do before+=("$(cpu_ns "${procs[$i]}")"); done
        t0=$(date +%s%3N)
        sleep "$secs"
        t1=$(date +%s%3N)
        for i in "${!procs[@]}"; do
            awk -v a="${before[$i]}" -v b="$(cpu_ns "${procs[$i]}")" -v ms=$((t1 - t0)) \
                'BEGIN { printf "%.3f\n", (b - a) / 1e6 / (ms / 1000) }' >>"$work/${names[$i]}"
        done
    done
}

cpu_median() { sort -g "$work/$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
