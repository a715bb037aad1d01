#!/usr/bin/env bash
# What each part of the widget's tick costs, beside `xclock -update 1`. Five copies of the
# widget run at once on one Xvfb, each with the same faces; each stops its ticks after
# another part: "clock" (the time read and the zone checked), "record" (the picture
# recorded and compared with the last), "draw" (the changed pixels drawn into the
# window's buffer), "show" (sent to the window, a see-through one shaped anew: the
# whole tick) and "draw-twice" (a whole tick that draws its pixels a second time, right
# after the first, with warm caches). The CPU time per second of wall time of each, from /proc/PID/task/*/schedstat
# (nanoseconds, every thread), is the median of N windows; a part's own cost is the
# difference to the part before it. A measurement, not a test.
#
#   bench/tick_parts.sh [--seconds S] [--windows N] [--faces N] [--see-through] [BUILD_DIR]
#
# BUILD_DIR is a Release build configured with -DTIVORA_TICK_PARTS=ON (made in
# build/tick-parts unless given); the widget of any other build ignores TIVORA_TICK_PART.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=60
windows=3
faces=10
white=0
build=""
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) secs=$2; shift 2 ;;
    --windows) windows=$2; shift 2 ;;
    --faces) faces=$2; shift 2 ;;
    --see-through) white=1; shift ;;
    -h | --help) sed -n '2,15p' "$0"; exit 0 ;;
    *) build=$1; shift ;;
    esac
done
if [ -z "$build" ]; then
    build=$root/build/tick-parts
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTIVORA_TESTS=OFF -DTIVORA_BENCH=OFF \
        -DTIVORA_TICK_PARTS=ON >/dev/null
    cmake --build "$build" -j2 --target tivora
fi
command -v xclock >/dev/null || { echo "tick_parts.sh: xclock is missing (scripts/setup.sh)" >&2; exit 1; }

# Ten faces to a row, 220 pixels high with the default skin: the copies lie one below the
# other, none covering another.
rows=$(((faces + 9) / 10))
source "$root/bench/private_display.sh" tick-parts 1920x$((5 * 220 * rows + 100))
source "$root/bench/cpu_windows.sh"
echo "Xft.dpi: 96" | xrdb -nocpp -merge

parts=(clock record draw show draw-twice)
names=(xclock "${parts[@]}")
xclock -update 1 -geometry 164x164+1700+20 >/dev/null 2>&1 &
procs=("$!")
row=0
for part in "${parts[@]}"; do
    home="$work/home-$part"
    mkdir -p "$home"
    : >"$home/tivora.manifest"
    {
        printf '[Main]\nWidth=10\npLeft=0\npTop=%d\nStayOnTop=1\nShowWhiteBG=%s\n[Tivora]\n' \
            $((row * 220 * rows)) "$white"
        for i in $(seq 1 $((faces - 1))); do
            printf 'Clock_%02d_h=%d\nClock_%02d_m=%d\nClock_%02d_Desc=City %d\n' \
                "$i" $((i % 24 - 12)) "$i" $((i / 24 * 15)) "$i" "$i"
        done
    } >"$home/tivora.ini"
    # Every copy ticks each second: the frames, which take the drawing ahead, are off.
    TIVORA_NO_FRAMES=1 TIVORA_HOME="$home" TIVORA_TICK_PART="$part" "$build/tivora" >/dev/null 2>"$home/log" &
    procs+=("$!")
    row=$((row + 1))
done
cpu_windows "$secs" "$windows"
printf 'Windows of %s s, median of %s, on Xvfb %s; %s faces%s; load average %s at the start.\n' \
    "$secs" "$windows" "$DISPLAY" "$faces" "$([ "$white" = 1 ] && echo ', see-through white')" "$load"
printf '%-11s %9s %12s\n' part 'CPU ms/s' 'its own'
printf '%-11s %9s\n' xclock "$(cpu_median xclock)"
last=0
for part in "${parts[@]}"; do
    m=$(cpu_median "$part")
    case "$part" in
    clock) own=$m ;;
    draw-twice) own="$(awk -v a="$m" -v b="$(cpu_median show)" 'BEGIN { printf "%+.3f", a - b }') (warm draw)" ;;
    *) own=$(awk -v a="$m" -v b="$last" 'BEGIN { printf "%.3f", a - b }') ;;
    esac
    printf '%-11s %9s %12s\n' "$part" "$m" "$own"
    last=$m
done
