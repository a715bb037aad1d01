# The seconds the widget hands to the X server ahead of time show exactly as the widget
# paints them: the window, taken in the middle of a second, equals that second's picture
# painted whole (--snapshot --at), while the frames run and after a part of the window
# was covered and uncovered (which ends them and paints now).
source "$(dirname "$0")/lib.sh" "$@"
start_display --own
prepare_manifest
{
    printf '[Main]\nWidth=5\npLeft=0\npTop=0\n[Tivora]\n'
    for i in $(seq 1 9); do
        printf 'Clock_%02d_h=%d\nClock_%02d_m=%d\nClock_%02d_Desc=C%d\n' \
            "$i" $((i * 3)) "$i" $((i * 7 % 60)) "$i" "$i"
    done
} >"$TIVORA_HOME/tivora.ini"
export TIVORA_DEBUG=1
start_tivora
window=$(main_window)
log=$WORK/tivora.log
wait_until "frames handed to the X server" grep -q ' frame ' "$log"

# One try: the window taken within one second, at least 200 ms after it began (the
# frame is due 1 ms after), compared with that second's picture. Prints "equal",
# "late" (it shows the second before: a busy server, tried again), "spans" or the
# differing pixels.
compare_once() {
    local ms a b
    ms=$(date +%3N)
    while [ $((10#$ms)) -lt 200 ] || [ $((10#$ms)) -gt 600 ]; do
        sleep 0.05
        ms=$(date +%3N)
    done
    a=$(date +%s)
    bounded import -window "$window" "$WORK/shown.png" || { echo "no picture of the window"; return; }
    b=$(date +%s)
    [ "$a" = "$b" ] || { echo spans; return; }
    local second
    for second in "$a" $((a - 1)); do
        bounded "$TIVORA" --snapshot "$WORK/painted.png" \
            --at "$(date -u -d "@$second" +%Y-%m-%dT%H:%M:%SZ)" >>"$WORK/snapshot.log" 2>&1 ||
            { echo "no snapshot"; return; }
        if [ "$(compare -metric AE "$WORK/shown.png" "$WORK/painted.png" /dev/null 2>&1)" = 0 ]; then
            [ "$second" = "$a" ] && echo equal || echo late
            return
        fi
    done
    compare -metric AE "$WORK/shown.png" "$WORK/painted.png" /dev/null 2>&1 || true
}

# Three seconds equal to their pictures, out of at most twenty tries.
shows_its_seconds() { # what
    local equal=0 tries=0 result
    while [ "$equal" -lt 3 ]; do
        tries=$((tries + 1))
        [ "$tries" -le 20 ] || fail "$1: fewer than 3 of 20 seconds could be compared"
        result=$(compare_once)
        case $result in
        equal) equal=$((equal + 1)) ;;
        late | spans) ;;
        *) fail "$1: $result pixels differ from the second painted whole" ;;
        esac
    done
}

shows_its_seconds "frames running"
ends() { grep -c 'frames-ended' "$log" || true; }
more_ends_than() { [ "$(ends)" -gt "$1" ]; }
ended=$(ends)
xev -geometry 300x200+100+100 >/dev/null 2>&1 &
cover=$!
PIDS+=($cover)
cover_shown() { xwininfo -id "$(xdotool search --name '^Event Tester$' | head -n 1)" | grep -q IsViewable; }
wait_until "the cover window" cover_shown
kill "$cover"
wait_until "the frames to end at the uncovering" more_ends_than "$ended"
shows_its_seconds "uncovered"
after=$(wc -l <"$log")
wait_until "frames handed over again" grep -q ' frame ' <(tail -n "+$after" "$log")
shows_its_seconds "frames running again"
echo "server frames: ok"
