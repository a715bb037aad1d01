# The options dialog: opened from the popup menu, a clock added and named, OK pressed;
# the clock reaches the settings file and the widget on screen.
source "$(dirname "$0")/lib.sh" "$@"
start_display
prepare_manifest
printf '[Main]\npLeft=300\npTop=300\n' >"$TIVORA_HOME/tivora.ini"

start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)
wait_until "the widget to be mapped" bash -c "xwininfo -id $win | grep -q IsViewable"
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH,$HEIGHT" = "139,220" ] || fail "size ${WIDTH}x$HEIGHT, expected the system clock alone"

open_options_dialog "$pid" "$win"
dlg=$OPTIONS_DIALOG

# Positions inside the dialog's client area, from its layout.
click_at() { xdotool mousemove --window "$dlg" "$1" "$2" click 1; }
clocks_saved() { awk '/^Clock_[0-9]+_h=/ { n++ } END { print n + 0 }' "$TIVORA_HOME/tivora.ini"; }
click_at 47 276 # "Добавить"
click_at 170 299 # the hour field
xdotool key ctrl+a type 9
click_at 129 345 # the description
xdotool type Tokyo
click_at 249 366 # "Ok", at the bottom-right of the narrowed dialog
wait_until "the dialog to close" bash -c "! xdotool search --all --pid $pid --name '^Опции\$' | grep -q ."

[ "$(ini_value "$TIVORA_HOME/tivora.ini" Tivora Clock_01_h)" = 9 ] || fail "hour not saved"
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Tivora Clock_01_m)" = 0 ] || fail "minute not saved"
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Tivora Clock_01_Desc)" = Tokyo ] || fail "name not saved"
[ "$(clocks_saved)" = 1 ] || fail "expected one clock: $(cat "$TIVORA_HOME/tivora.ini")"
widget_two_faces() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH,$HEIGHT" = "278,220" ]
}
wait_until "the widget to show two faces" widget_two_faces
echo "options dialog: ok"
