# Sourced by the bench scripts (after bench/private_display.sh): the CPU time per second
# of wall time of processes measured side by side, from /proc/PID/task/*/schedstat
# (nanoseconds on the CPU, every thread).
#
#   cpu_windows SECONDS WINDOWS NAME=PID...   one figure per window, to $work/NAME
#   cpu_median NAME                           the median of NAME's windows, ms/s

cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }

cpu_windows() {
    local secs=$1 windows=$2
    shift 2
    local _ i t0 t1 before
    for _ in $(seq 1 "$windows"); do
        before=()
        for i in "$@"; do before+=("$(cpu_ns "${i#*=}")"); done
        t0=$(date +%s%3N)
        sleep "$secs"
        t1=$(date +%s%3N)
        local n=0
        for i in "$@"; do
            awk -v a="${before[$n]}" -v b="$(cpu_ns "${i#*=}")" -v ms=$((t1 - t0)) \
                'BEGIN { printf "%.3f\n", (b - a) / 1e6 / (ms / 1000) }' >>"$work/${i%%=*}"
            n=$((n + 1))
        done
    done
}

cpu_median() { sort -g "$work/$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
