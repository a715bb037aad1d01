#!/usr/bin/env bash
# Idle cost of the running widget. Runs Tivora with 1, 10 and 40 faces, default and with
# see-through white, each beside `xclock -update 1` on one Xvfb, and prints for every run
# the CPU time per second of wall time of Tivora, xclock and the X server, Tivora's
# resident memory and the part of it that is its own (written private pages; the clean
# library pages count as private only while no other process maps them), start to first
# paint, and the phase of its ticks (milliseconds after the whole second). A
# measurement, not a test.
#
#   bench/idle.sh [SECONDS_PER_RUN] [PATH_OF_TIVORA] [DPI]
#
# DPI is the desktop's Xft.dpi (96 unless given; 192 is scale 2), the screen as many
# times larger as the scale.
#
# CPU times come from /proc/PID/stat, which counts in clock ticks (10 ms): a run of S
# seconds resolves 10/S ms/s. Phases and first paint need a Tivora that prints its ticks
# when TIVORA_DEBUG is set; an older build shows "-" there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-30}
tivora=${2:-$root/build/release/tivora}
dpi=${3:-96}
if [ ! -x "$tivora" ]; then
    cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DTIVORA_TESTS=OFF \
        -DTIVORA_BENCH=OFF >/dev/null
    cmake --build "$root/build/release" -j2 --target tivora
fi
command -v xclock >/dev/null || { echo "idle.sh: xclock is missing (scripts/setup.sh)" >&2; exit 1; }

work=$(mktemp -d /tmp/tivora-idle.XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/fifo"
Xvfb -displayfd 5 -screen 0 $((1920 * dpi / 96))x$((1200 * dpi / 96))x24 -nolisten tcp -noreset \
    5>"$work/fifo" >/dev/null 2>&1 &
xvfb=$!
pids+=("$xvfb")
read -r -t 20 number <"$work/fifo"
export DISPLAY=":$number"
echo "Xft.dpi: $dpi" | xrdb -nocpp -merge
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
hz=$(getconf CLK_TCK)

cpu_ticks() { # utime + stime of a process, all its threads
    awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}
now_ms() { date +%s%3N; }
kib() { awk -v k="$1" '$1 == k":" { s += $2 } END { print s + 0 }' "/proc/$2/smaps_rollup"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
rate() { # ticks before, ticks after, milliseconds elapsed -> CPU ms per second
    awk -v a="$1" -v b="$2" -v ms="$3" -v hz="$hz" 'BEGIN { printf "%.2f", (b - a) * 1000 / hz / (ms / 1000) }'
}

# A data folder with the given number of faces (the system clock and faces-1 others),
# its files named after the executable.
name=$(basename "$tivora")
settings=$(tr '[:upper:]' '[:lower:]' <<<"${name%.*}").ini
make_home() { # dir faces seethrough
    mkdir -p "$1"
    : >"$1/$name.manifest"
    {
        printf '[Main]\nWidth=10\npLeft=0\npTop=0\nStayOnTop=1\nShowWhiteBG=%s\n[Tivora]\n' "$3"
        for i in $(seq 1 $(($2 - 1))); do
            printf 'Clock_%02d_h=%d\nClock_%02d_m=%d\nClock_%02d_Desc=City %d\n' \
                "$i" $((i % 24 - 12)) "$i" $((i / 24 * 15)) "$i" "$i"
        done
    } >"$1/$settings"
}

# Summary of the tick lines in a log between two times: ticks, median and largest phase,
# seconds skipped or painted twice.
phases() { # log from_ms to_ms
    local ticks
    ticks=$(awk -v a="$2" -v b="$3" '$1 == "tivora:" && $2 == "tick" && $3 >= a && $3 <= b { print $3 }' "$1")
    [ -n "$ticks" ] || { echo "- - - -"; return; }
    local order
    order=$(awk '{ s = int($1 / 1000) }
        NR > 1 && s == last { twice++ }
        NR > 1 && s > last + 1 { skipped += s - last - 1 }
        { last = s } END { printf "%d/%d", skipped, twice }' <<<"$ticks")
    awk '{ print $1 % 1000 }' <<<"$ticks" | sort -n |
        awk -v o="$order" '{ p[NR] = $1 } END { print NR, p[int((NR + 1) / 2)], p[NR], o }'
}

xclock -update 1 -geometry 164x164+1700+20 >/dev/null 2>&1 &
xclock_pid=$!
pids+=("$xclock_pid")
sleep 2

printf 'Run of %s s each on Xvfb %s at %s DPI; CPU in ms per second of wall time.\n' "$secs" \
    "$DISPLAY" "$dpi"
printf '%-6s %-12s %8s %8s %8s %8s %8s %9s %8s %8s %8s %s\n' faces mode tivora xclock \
    'X server' 'RSS MB' 'own MB' 'paint ms' ticks 'phase50' 'phaseMax' 'skip/twice'

t0=$(now_ms)
x0=$(cpu_ticks "$xvfb")
c0=$(cpu_ticks "$xclock_pid")
sleep "$secs"
t1=$(now_ms)
printf '%-6s %-12s %8s %8s %8s\n' 0 'xclock only' - "$(rate "$c0" "$(cpu_ticks "$xclock_pid")" $((t1 - t0)))" \
    "$(rate "$x0" "$(cpu_ticks "$xvfb")" $((t1 - t0)))"

for faces in 1 10 40; do
    for mode in default see-through; do
        home="$work/home-$faces-$mode"
        make_home "$home" "$faces" $([ "$mode" = see-through ] && echo 1 || echo 0)
        log="$home/log"
        start=$(now_ms)
        TIVORA_HOME="$home" TIVORA_DEBUG=1 "$tivora" 2>"$log" &
        pid=$!
        pids+=("$pid")
        sleep 3 # start-up and the first repaints are not idle time
        first=$(awk '$1 == "tivora:" && $2 == "first-paint" { print $3; exit }' "$log")
        t0=$(now_ms)
        p0=$(cpu_ticks "$pid")
        c0=$(cpu_ticks "$xclock_pid")
        x0=$(cpu_ticks "$xvfb")
        sleep "$secs"
        t1=$(now_ms)
        p1=$(cpu_ticks "$pid")
        c1=$(cpu_ticks "$xclock_pid")
        x1=$(cpu_ticks "$xvfb")
        rss=$(kib Rss "$pid")
        priv=$(kib Private_Dirty "$pid")
        paint=${first:+$((first - start))}
        paint=${paint:--}
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        read -r n p50 pmax bad < <(phases "$log" "$t0" "$t1")
        printf '%-6s %-12s %8s %8s %8s %8s %8s %9s %8s %8s %8s %s\n' "$faces" "$mode" \
            "$(rate "$p0" "$p1" $((t1 - t0)))" "$(rate "$c0" "$c1" $((t1 - t0)))" \
            "$(rate "$x0" "$x1" $((t1 - t0)))" "$(mb "$rss")" "$(mb "$priv")" "$paint" "$n" "$p50" \
            "$pmax" "$bad"
    done
done
