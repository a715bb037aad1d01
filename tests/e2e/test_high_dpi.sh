# On a desktop at 192 DPI (scale 2) the widget and its dialog are twice their designed
# size and snap at twice the designed distance; the settings keep the position in screen
# pixels, so the widget starts where it was whatever the scale.
source "$(dirname "$0")/lib.sh" "$@"
start_display --own # the desktop's DPI is a setting of the X server
prepare_manifest
printf '[Main]\npLeft=301\npTop=203\n' >"$TIVORA_HOME/tivora.ini"
desktop_dpi() { echo "Xft.dpi: $1" | xrdb -nocpp -merge; }
geometry_of() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
saved() { echo "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft),$(ini_value "$TIVORA_HOME/tivora.ini" Main pTop)"; }
run() { # DPI: starts the widget and waits until it is shown; sets pid and win
    desktop_dpi "$1"
    start_tivora
    pid=$LAST_PID
    win=$(window_of "$pid" Form1)
    wait_until "the widget to be mapped" bash -c "xwininfo -id $win | grep -q IsViewable"
}
quit() {
    close_window "$(window_of "$pid" Tivora)"
    wait_exit "$pid" 0
}

# At scale 2 the widget shows at the odd position the nearest pixel it can, and keeps
# that position in the settings unchanged.
run 192
geometry_of "$win"
[ "$WIDTH,$HEIGHT" = "278,440" ] || fail "widget ${WIDTH}x$HEIGHT at scale 2"
[ $((X - 301)) -le 1 ] && [ $((X - 301)) -ge 0 ] && [ $((Y - 203)) -le 1 ] && [ $((Y - 203)) -ge 0 ] \
    || fail "widget at $X,$Y at scale 2"
open_options_dialog "$pid" "$win"
size=$(xwininfo -id "$OPTIONS_DIALOG" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = 834x762 ] || fail "options dialog $size at scale 2"
close_window "$OPTIONS_DIALOG"
quit
[ "$(saved)" = 301,203 ] || fail "saved at $(saved) at scale 2"

run 96
geometry_of "$win"
[ "$X,$Y,$WIDTH,$HEIGHT" = "301,203,139,220" ] || fail "at scale 1: at $X,$Y, ${WIDTH}x$HEIGHT"
quit

# Grabbed 10 screen pixels inside its corner and dropped 20 screen pixels from the left
# edge: 10 designed pixels, not snapped; then 12, 6 designed pixels: snapped.
run 192
at() { geometry_of "$win"; [ "$X,$Y" = "$1" ]; }
for case in "50 40,290" "22 0,290"; do
    read -r cursorX want <<<"$case"
    geometry_of "$win"
    xdotool mousemove $((X + 10)) $((Y + 10)) mousedown 1 mousemove 200 300 \
        mousemove "$cursorX" 300 mouseup 1
    wait_until "the widget at $want" at "$want"
done
quit
[ "$(saved)" = 0,290 ] || fail "saved at $(saved) after the drag"
echo "high DPI: ok"
