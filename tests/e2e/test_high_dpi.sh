# On a scaled desktop the widget still counts in screen pixels: its size, its position
# as the settings file gives it and as it saves it, and the 8-pixel snap.
source "$(dirname "$0")/lib.sh" "$@"
start_display
prepare_manifest
printf '[Main]\npLeft=301\npTop=203\n' >"$TIVORA_HOME/tivora.ini"

QT_SCALE_FACTOR=2 start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)
wait_until "the widget to be mapped" bash -c "xwininfo -id $win | grep -q IsViewable"
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "301,203,139,220" ] || fail "at $X,$Y, ${WIDTH}x$HEIGHT"

at() { eval "$(xdotool getwindowgeometry --shell "$win")"; [ "$X,$Y" = "$1" ]; }
# Grabbed 10 pixels inside its corner and dropped 12, then 8 pixels from the left edge.
for case in "22 12,290" "18 0,290"; do
    read -r cursorX want <<<"$case"
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove $(( X + 10 )) $(( Y + 10 )) mousedown 1 mousemove 200 300 \
        mousemove "$cursorX" 300 mouseup 1
    wait_until "the widget at $want" at "$want"
done

close_window "$(window_of "$pid" Tivora)"
wait_exit "$pid" 0
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft),$(ini_value "$TIVORA_HOME/tivora.ini" Main pTop)" = 0,290 ] \
    || fail "saved at $(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft),$(ini_value "$TIVORA_HOME/tivora.ini" Main pTop)"
echo "high DPI: ok"
