# On a desktop at 192 DPI (scale 2) the widget and its dialog are twice their designed
# size and snap at twice the designed distance; the settings keep the position in screen
# pixels, so the widget starts where it was whatever the scale.
source "$(dirname "$0")/lib.sh" "$@"
start_display --own # the desktop's DPI is a setting of the X server
prepare_manifest
printf '[Main]\npLeft=301\npTop=203\n' >"$TIVORA_HOME/tivora.ini"
shown_at() { eval "$(xdotool getwindowgeometry --shell "$win")"; [ "$X,$Y,$WIDTH,$HEIGHT" = "$1" ]; }
saved() { echo "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft),$(ini_value "$TIVORA_HOME/tivora.ini" Main pTop)"; }
run() { # DPI
    echo "Xft.dpi: $1" | xrdb -nocpp -merge
    start_tivora
    pid=$LAST_PID
    win=$(window_of "$pid" Form1)
}
quit() { close_window "$(window_of "$pid" Tivora)"; wait_exit "$pid" 0; }

# At scale 2 the odd position is shown on the next even pixel and saved unchanged.
run 192
wait_until "the widget at scale 2" shown_at 302,204,278,440
open_options_dialog "$pid" "$win"
size=$(xwininfo -id "$OPTIONS_DIALOG" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = 834x762 ] || fail "options dialog $size at scale 2"
close_window "$OPTIONS_DIALOG"
quit
[ "$(saved)" = 301,203 ] || fail "saved at $(saved) at scale 2"
run 96
wait_until "the widget at scale 1" shown_at 301,203,139,220
quit

# Grabbed 10 screen pixels inside its corner and dropped 12 from the left edge: 6
# designed pixels, within the snap distance.
run 192
wait_until "the widget at scale 2" shown_at 302,204,278,440
xdotool mousemove 312 214 mousedown 1 mousemove 200 300 mousemove 22 300 mouseup 1
wait_until "the widget snapped" shown_at 0,290,278,440
quit
[ "$(saved)" = 0,290 ] || fail "saved at $(saved) after the drag"
echo "high DPI: ok"
