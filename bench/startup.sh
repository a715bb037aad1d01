#!/usr/bin/env bash
# Start-up time of the widget beside a bare Qt 6 window, on one Xvfb in the same run: the
# milliseconds from the exec to the map of the window, the median and range of N runs
# each, taken in turn, and in how many runs the window showed its picture the moment it
# was mapped. bench_map_time takes the window's map request on the root window, as a
# window manager would, maps the window itself with the server grabbed and reads it back
# before the program can paint: a picture there was given to the window before it asked
# for the map. A measurement, not a test.
#
#   bench/startup.sh [--runs N] [--faces F] [BUILD_DIR]
#
# BUILD_DIR is a Release build with the benchmarks (made in build/release-bench unless
# given). The widget starts with a data folder of F faces (1 unless given); the load
# average is printed with the figures, which follow it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=20
faces=1
build=""
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --faces) faces=$2; shift 2 ;;
    -h | --help) sed -n '2,14p' "$0"; exit 0 ;;
    *) build=$1; shift ;;
    esac
done
if [ -z "$build" ]; then
    build=$root/build/release-bench
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTIVORA_TESTS=OFF \
        -DTIVORA_BENCH=ON >/dev/null
    cmake --build "$build" -j2 --target tivora bench_map_time bench_bare_window >/dev/null
fi

source "$root/bench/private_display.sh" startup 1920x1200

# The data folder: past the first start (the manifest is there), F faces.
home="$work/home"
mkdir -p "$home"
: >"$home/tivora.manifest"
{
    printf '[Main]\nWidth=10\npLeft=0\npTop=0\nStayOnTop=1\n[Tivora]\n'
    for i in $(seq 1 $((faces - 1))); do
        printf 'Clock_%02d_h=%d\nClock_%02d_m=0\nClock_%02d_Desc=City %d\n' \
            "$i" $((i % 24 - 12)) "$i" "$i" "$i"
    done
} >"$home/tivora.ini"

# One run of each first to warm the file cache, then the runs in turn.
TIVORA_HOME="$home" "$build/bench_map_time" "$build/tivora" >/dev/null
"$build/bench_map_time" "$build/bench_bare_window" >/dev/null
printf 'load average before: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq 1 "$runs"); do
    TIVORA_HOME="$home" "$build/bench_map_time" "$build/tivora" >>"$work/tivora"
    "$build/bench_map_time" "$build/bench_bare_window" >>"$work/bare"
done
printf 'load average after:  %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
summary() { # file -> median min max, pictured at map
    sort -g "$1" | awk '{ v[NR] = $1; p += $2 }
        END { printf "%8.1f %8.1f %8.1f   %d/%d\n", v[int((NR + 1) / 2)], v[1], v[NR], p, NR }'
}
printf 'ms from exec to map, %s runs:  median      min      max   picture at map\n' "$runs"
printf 'bare Qt 6 window           %s\n' "$(summary "$work/bare")"
printf 'tivora, %-3s faces          %s\n' "$faces" "$(summary "$work/tivora")"
