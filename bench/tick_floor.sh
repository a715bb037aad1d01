#!/usr/bin/env bash
# The floor under a tick, beside `xclock -update 1`: a bare Qt 6 window that wakes once a
# second with nothing to show, and the same window showing a 10x10 change through a
# widget repaint, through its backing store's flush, with a PutImage of its own, and as
# 100 small copies drawn by the X server (bench/tick_floor.cpp). All six run at once on
# one Xvfb; the CPU time per second of
# wall time of each, from /proc/PID/task/*/schedstat (nanoseconds, every thread), is the
# median of N windows, printed with the load average at the start. A measurement, not a
# test.
#
#   bench/tick_floor.sh [--seconds S] [--windows N] [BUILD_DIR]
#
# BUILD_DIR is a Release build with the benchmarks (made in build/release-bench unless
# given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=60
windows=3
build=""
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) secs=$2; shift 2 ;;
    --windows) windows=$2; shift 2 ;;
    -h | --help) sed -n '2,14p' "$0"; exit 0 ;;
    *) build=$1; shift ;;
    esac
done
if [ -z "$build" ]; then
    build=$root/build/release-bench
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTIVORA_TESTS=OFF >/dev/null
    cmake --build "$build" -j2 --target bench_tick_floor
fi
command -v xclock >/dev/null || { echo "tick_floor.sh: xclock is missing (scripts/setup.sh)" >&2; exit 1; }

source "$root/bench/private_display.sh" tick-floor 1920x1200
source "$root/bench/cpu_windows.sh"

names=(xclock timer repaint flush xcb copies)
xclock -update 1 -geometry 164x164+1700+20 >/dev/null 2>&1 &
procs=("$!")
for mode in "${names[@]:1}"; do
    "$build/bench_tick_floor" "$mode" >/dev/null 2>&1 &
    procs+=("$!")
done
cpu_windows "$secs" "$windows"
printf 'Windows of %s s, median of %s, on Xvfb %s; load average %s at the start.\n' \
    "$secs" "$windows" "$DISPLAY" "$load"
printf '%-8s %s\n' case 'CPU ms/s'
for n in "${names[@]}"; do
    printf '%-8s %s\n' "$n" "$(cpu_median "$n")"
done
