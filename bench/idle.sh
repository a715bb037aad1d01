#!/usr/bin/env bash
# Idle cost of the running widget beside `xclock -update 1`, both on one Xvfb in the same
# run. For Tivora with 1, 10 and 40 faces, default and with see-through white, it prints
# the CPU time per second of wall time of Tivora, xclock and the X server, the wake-ups
# per second of Tivora and xclock, Tivora's resident memory, start to first paint, the
# phase of its ticks (milliseconds after the whole second) and the pixels a tick shows
# anew. Each figure is the median of several windows of the given length. A
# measurement, not a test.
#
#   bench/idle.sh [--seconds S] [--windows N] [--faces "1 10 40"]
#                 [--modes "default see-through per-second"]
#                 [--instructions] [--ticks N] [--warmup N] [--dpi DPI]
#                 [PATH_OF_TIVORA]
#
# --dpi is the desktop's Xft.dpi (96 unless given; 192 is scale 2), the screen as many
# times larger as the scale. Mode "per-second" is the default options with the frames
# switched off (TIVORA_NO_FRAMES=1): a tick paints every second, as before them. With
# frames, the widget hands the X server up to 30 seconds' pictures at a time; their
# trace lines ("frame") count as ticks, at the time they were due (1 ms after the
# second), as the program does not run then.
#
# CPU time is read from /proc/PID/task/*/schedstat (nanoseconds on the CPU, every thread
# of the process). Wake-ups are voluntary context switches summed over the threads
# (/proc/PID/task/*/status): a thread that sleeps and is woken counts one. Involuntary
# switches are left out: they count preemptions, which follow the machine's load.
# With --instructions, each case runs under callgrind instead: after start-up and a
# first minute (--warmup 62 ticks: every second's hand and glyphs have been drawn once)
# the counters are zeroed, N ticks later (60: a minute, one minute-hand step among
# them) they are dumped, and the instructions of the whole process in between, divided
# by the seconds painted in between (ticks and frames, counted from the calls in the
# profile; for xclock, by the wall seconds), give the instructions per tick.
# That count does not depend on the machine's load; CPU times do, so the load average is
# printed with them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=60
windows=3
faces_list="1 10 40"
modes="default see-through"
instructions=0
ticks=60
warmup=62
dpi=96
tivora=""
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) secs=$2; shift 2 ;;
    --windows) windows=$2; shift 2 ;;
    --faces) faces_list=$2; shift 2 ;;
    --modes) modes=$2; shift 2 ;;
    --instructions) instructions=1; shift ;;
    --ticks) ticks=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    -h | --help) sed -n '2,31p' "$0"; exit 0 ;;
    *) tivora=$1; shift ;;
    esac
done
tivora=${tivora:-$root/build/release/tivora}
if [ ! -x "$tivora" ]; then
    cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DTIVORA_TESTS=OFF \
        -DTIVORA_BENCH=OFF >/dev/null
    cmake --build "$root/build/release" -j2 --target tivora
fi
command -v xclock >/dev/null || { echo "idle.sh: xclock is missing (scripts/setup.sh)" >&2; exit 1; }
if [ "$instructions" = 1 ]; then
    command -v valgrind >/dev/null && command -v callgrind_control >/dev/null \
        || { echo "idle.sh: valgrind is missing (scripts/setup.sh)" >&2; exit 1; }
fi

source "$root/bench/private_display.sh" idle-cost $((1920 * dpi / 96))x$((1200 * dpi / 96))
echo "Xft.dpi: $dpi" | xrdb -nocpp -merge

cpu_ns() { # nanoseconds on the CPU, all threads of a process
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'
}
switches() { # voluntary context switches (sleeps, each ended by a wake-up), all threads
    cat /proc/"$1"/task/*/status 2>/dev/null \
        | awk '/^voluntary_ctxt_switches:/ { s += $2 } END { printf "%d", s }'
}
now_ms() { date +%s%3N; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
kib() { awk -v k="$1" '$1 == k":" { s += $2 } END { print s + 0 }' "/proc/$2/smaps_rollup"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR ? v[int((NR + 1) / 2)] : "-") }'; }
per_s() { # before after ms scale -> per second
    awk -v a="$1" -v b="$2" -v ms="$3" -v k="$4" 'BEGIN { printf "%.3f", (b - a) / k / (ms / 1000) }'
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
# The environment of a mode: the frames switched off for "per-second".
mode_env() { [ "$1" != per-second ] || echo TIVORA_NO_FRAMES=1; }

# The times (and pixels) of the seconds shown in a log between two times: tick lines, and
# frame lines at the time they were due.
shown() { # log from_ms to_ms
    awk -v a="$2" -v b="$3" '$1 == "tivora:" && ($2 == "tick" || $2 == "frame") && $3 >= a && $3 <= b { print $3, $4 }' "$1" | sort -n
}
# Summary of the seconds shown between two times: ticks, median and largest phase,
# seconds skipped or painted twice.
phases() { # log from_ms to_ms
    local ticks
    ticks=$(shown "$@" | cut -d' ' -f1)
    [ -n "$ticks" ] || { echo "- - - -"; return; }
    local order
    order=$(awk '{ s = int($1 / 1000) }
        NR > 1 && s == last { twice++ }
        NR > 1 && s > last + 1 { skipped += s - last - 1 }
        { last = s } END { printf "%d/%d", skipped, twice }' <<<"$ticks")
    awk '{ print $1 % 1000 }' <<<"$ticks" | sort -n |
        awk -v o="$order" '{ p[NR] = $1 } END { print NR, p[int((NR + 1) / 2)], p[NR], o }'
}
tick_pixels() { # log from_ms to_ms: median of the pixels the seconds showed anew
    shown "$@" | awk '$2 != "" { print $2 }' | median
}
wait_ticks() { # log count timeout_s: until that many seconds have been shown
    local deadline=$(($(date +%s) + $3))
    # The log appears once the background process has opened it.
    while [ "$(shown "$1" 0 "$(now_ms)" 2>/dev/null | wc -l)" -lt "$2" ]; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

if [ "$instructions" = 1 ]; then
    # Instructions per tick: counters zeroed after start-up, dumped N ticks later.
    printf 'Instructions per tick (callgrind, whole process, %s ticks after %s of warm-up).\n' \
        "$ticks" "$warmup"
    printf '%-6s %-12s %12s\n' faces mode 'instr/tick'
    callgrind_total() { # out file -> instructions
        awk '/^(summary|totals):/ { print $2; exit }' "$1"
    }
    measure_ticks() { # pid: zero its counters, wait the ticks, dump them, end it (sets t0, t1)
        callgrind_control -z "$1" >/dev/null 2>&1
        t0=$(now_ms)
        sleep "$ticks"
        callgrind_control -d "$1" >/dev/null 2>&1
        t1=$(now_ms)
        kill "$1"
        wait "$1" 2>/dev/null || true
    }
    per_tick() { # faces mode out_file_prefix ticks: prints the row
        local dump
        dump=$(ls "$3".* | head -1)
        printf '%-6s %-12s %12s\n' "$1" "$2" \
            "$(awk -v i="$(callgrind_total "$dump")" -v n="$4" 'BEGIN { printf "%.3f M", i / n / 1e6 }')"
    }
    seconds_between() { awk -v ms=$((t1 - t0)) 'BEGIN { printf "%d", ms / 1000 + 0.5 }'; }
    # The seconds Tivora painted between the zeroing and the dump, from the calls in the
    # dump: ticks (PaintClocks) and frames (ServerFrames::add). Not the wall seconds: a
    # program asleep between batches of frames takes the zeroing and the dump only when
    # it next wakes, so the profile can span a batch more or less than the wall time.
    seconds_painted() { # callgrind out file
        perl -ne '
            $name{$1} = $2 if /^c?fn=\((\d+)\) (.+)$/;
            $callee = $1 if /^cfn=\((\d+)\)/;
            if (/^calls=(\d+)/) {
                my $calls = $1;
                $n += $calls if $name{$callee} =~ /TForm1::PaintClocks\(|ServerFrames::add\(/;
            }
            END { print $n + 0 }' "$1"
    }
    valgrind --tool=callgrind --callgrind-out-file="$work/cg.xclock" \
        xclock -update 1 -geometry 164x164+1700+20 >/dev/null 2>"$work/vg.xclock" &
    vpid=$!
    pids+=("$vpid")
    sleep $((warmup < 5 ? 5 : warmup))
    measure_ticks "$vpid"
    per_tick - xclock "$work"/cg.xclock "$(seconds_between)"
    for faces in $faces_list; do
        for mode in $modes; do
            home="$work/cg-$faces-$mode"
            make_home "$home" "$faces" $([ "$mode" = see-through ] && echo 1 || echo 0)
            env $(mode_env "$mode") TIVORA_HOME="$home" TIVORA_DEBUG=1 valgrind --tool=callgrind \
                --callgrind-out-file="$home/cg" "$tivora" 2>"$home/log" &
            vpid=$!
            pids+=("$vpid")
            wait_ticks "$home/log" "$warmup" $((warmup * 3 + 120)) \
                || { echo "idle.sh: no ticks under callgrind" >&2; exit 1; }
            measure_ticks "$vpid"
            per_tick "$faces" "$mode" "$home/cg" "$(seconds_painted "$(ls "$home"/cg.* | head -1)")"
        done
    done
    exit 0
fi

xclock -update 1 -geometry 164x164+1700+20 >/dev/null 2>&1 &
xclock_pid=$!
pids+=("$xclock_pid")
sleep 2

printf 'Windows of %s s, median of %s, on Xvfb %s at %s DPI; CPU in ms per second of wall time,\n' \
    "$secs" "$windows" "$DISPLAY" "$dpi"
printf 'wake-ups per second; load average (1, 5, 15 min) at the start of each case.\n'
printf '%-6s %-12s %8s %8s %7s %8s %8s %8s %7s %8s %6s %6s %6s %-8s %8s %s\n' faces mode tivora xclock \
    ratio 'X server' 'wake T' 'wake X' 'RSS MB' 'paint ms' ticks phase50 phMax skip/2x 'px/tick' load

for faces in $faces_list; do
    for mode in $modes; do
        home="$work/home-$faces-$mode"
        make_home "$home" "$faces" $([ "$mode" = see-through ] && echo 1 || echo 0)
        log="$home/log"
        l=$(load)
        start=$(now_ms)
        env $(mode_env "$mode") TIVORA_HOME="$home" TIVORA_DEBUG=1 "$tivora" 2>"$log" &
        pid=$!
        pids+=("$pid")
        sleep 3 # start-up and the first repaints are not idle time
        first=$(awk '$1 == "tivora:" && $2 == "first-paint" { print $3; exit }' "$log")
        : >"$home/t" >"$home/c" >"$home/x" >"$home/wt" >"$home/wc"
        for _ in $(seq 1 "$windows"); do
            t0=$(now_ms)
            p0=$(cpu_ns "$pid") c0=$(cpu_ns "$xclock_pid") x0=$(cpu_ns "$xvfb")
            w0=$(switches "$pid") v0=$(switches "$xclock_pid")
            sleep "$secs"
            t1=$(now_ms)
            p1=$(cpu_ns "$pid") c1=$(cpu_ns "$xclock_pid") x1=$(cpu_ns "$xvfb")
            w1=$(switches "$pid") v1=$(switches "$xclock_pid")
            ms=$((t1 - t0))
            per_s "$p0" "$p1" "$ms" 1e6 >>"$home/t"; echo >>"$home/t"
            per_s "$c0" "$c1" "$ms" 1e6 >>"$home/c"; echo >>"$home/c"
            per_s "$x0" "$x1" "$ms" 1e6 >>"$home/x"; echo >>"$home/x"
            per_s "$w0" "$w1" "$ms" 1 >>"$home/wt"; echo >>"$home/wt"
            per_s "$v0" "$v1" "$ms" 1 >>"$home/wc"; echo >>"$home/wc"
        done
        t_end=$(now_ms)
        rss=$(kib Rss "$pid")
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        paint=${first:+$((first - start))}
        read -r n p50 pmax bad < <(phases "$log" "$((t_end - secs * windows * 1000))" "$t_end")
        tm=$(median <"$home/t")
        cm=$(median <"$home/c")
        px=$(tick_pixels "$log" "$((t_end - secs * windows * 1000))" "$t_end")
        printf '%-6s %-12s %8.2f %8.2f %7s %8.2f %8.2f %8.2f %7.1f %8s %6s %6s %6s %-8s %8s %s\n' \
            "$faces" "$mode" "$tm" "$cm" \
            "$(awk -v a="$tm" -v b="$cm" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }')" \
            "$(median <"$home/x")" "$(median <"$home/wt")" "$(median <"$home/wc")" \
            "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" "${paint:--}" "$n" "$p50" "$pmax" \
            "$bad" "$px" "$l"
    done
done
