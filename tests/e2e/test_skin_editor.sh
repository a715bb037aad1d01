# The skin editor: opened in the options dialog, the cell width and the hour hand's
# colour changed and applied; both reach the skin file and the widget on screen.
source "$(dirname "$0")/lib.sh" "$@"
start_display
prepare_manifest
printf '[Main]\npLeft=300\npTop=300\n' >"$TIVORA_HOME/tivora.ini"
skin_ini=$TIVORA_HOME/Skins/Default.ini

start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)
wait_until "the widget to be mapped" bash -c "xwininfo -id $win | grep -q IsViewable"
open_options_dialog "$pid" "$win"
dlg=$OPTIONS_DIALOG

# Positions inside the dialog's client area, from its layout: the open panel stands at
# 204, its hour-hand square at (171, 186) within it.
click_at() { xdotool mousemove --window "$dlg" "$1" "$2" click 1; }
pixel() { import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}'; }
square_shows() { [ "$(pixel "$dlg" 385 196)" = "$1" ]; }
click_at 359 334 # "Редактировать"
wait_until "the panel to slide in" square_shows "#000000"

click_at 353 27 # the cell width
xdotool key ctrl+a type 200
click_at 385 196 # the hour hand's square
wait_until "the colour chooser" has_window "$pid" "Цвет"
xdotool key alt+h ctrl+a type '#ff0000'
xdotool key Return
wait_until "the colour chooser to close" bash -c "! xdotool search --all --pid $pid --name '^Цвет\$' | grep -q ."
wait_until "the square to turn red" square_shows "#FF0000"
click_at 267 363 # "Изменить скин"

saved() {
    [ "$(ini_value "$skin_ini" Main cWindth)" = 200 ] && [ "$(ini_value "$skin_ini" Main hColor)" = 255 ]
}
wait_until "the skin file to hold the new values" saved
widget_resized() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH,$HEIGHT" = "200,220" ]
}
wait_until "the widget to take the new cell width" widget_resized
# (grep -c reads to the end: an early exit would fail the pipe.)
red_hand() { [ "$(import -window "$win" -depth 8 txt:- | grep -c '#FF0000')" -gt 0 ]; }
wait_until "a red hour hand on screen" red_hand
echo "skin editor: ok"
