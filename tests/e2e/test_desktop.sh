# The widget on a desktop with a window manager and a tray: no taskbar entry, kept
# above other windows, dragged with snapping to the work area, hidden to the tray and
# brought back, ended through the popup menu's exit item and by a close request.
source "$(dirname "$0")/lib.sh" "$@"
start_display --wm --tray
prepare_manifest
printf '[Main]\npLeft=300\npTop=300\n[Tivora]\nClock_01_h=3\nClock_01_Desc=East\n' >"$TIVORA_HOME/tivora.ini"

start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)
wait_until "the widget to be mapped" bash -c "xwininfo -id $win | grep -q IsViewable"
# A newly started widget has the keyboard: Esc hides it into the tray, a click on the
# tray icon brings it back.
wait_until "the new widget to have the keyboard" bash -c "[ \"\$(xdotool getwindowfocus)\" = $win ]"
xdotool key Escape
wait_until "Esc to hide the new widget" bash -c "xwininfo -id $win | grep -q IsUnMapped"
wait_until "the tray icon" tray_icon_embedded
eval "$(xdotool getwindowgeometry --shell "$(tray_panel)")"
xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 )) click 1
wait_until "the widget to come back" bash -c "xwininfo -id $win | grep -q IsViewable"
state=$(xprop -id "$win" _NET_WM_STATE)
grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$state" || fail "taskbar entry: $state"
grep -q _NET_WM_STATE_ABOVE <<<"$state" || fail "not above others: $state"
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$X,$Y" = "300,300" ] || fail "placed at $X,$Y instead of 300,300"
[ "$WIDTH,$HEIGHT" = "278,220" ] || fail "size ${WIDTH}x$HEIGHT, expected two faces"

# The work area as the window manager publishes it (the tray panel may take a strip).
read -r areaX areaY areaW areaH _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/, */ /g')

drag_to() { # cursor x, cursor y; the window is grabbed 10 pixels inside its corner
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove $(( X + 10 )) $(( Y + 10 )) mousedown 1
    xdotool mousemove $(( $1 - 5 )) $(( $2 - 5 )) mousemove "$1" "$2" mouseup 1
    sleep 0.3
    eval "$(xdotool getwindowgeometry --shell "$win")"
}
drag_to $(( areaX + 8 + 10 )) 410
[ "$X" = "$areaX" ] || fail "8 pixels from the left edge: at $X, expected $areaX"
drag_to $(( areaX + 9 + 10 )) 410
[ "$X" = $(( areaX + 9 )) ] || fail "9 pixels from the left edge: at $X"
drag_to $(( areaX + areaW - 278 - 8 + 10 )) $(( areaY + areaH - 220 - 8 + 10 ))
[ "$X,$Y" = "$(( areaX + areaW - 278 )),$(( areaY + areaH - 220 ))" ] \
    || fail "bottom-right corner: at $X,$Y"
# A right-button drag moves nothing; the menu opens when the button is released on the
# window.
xdotool mousemove $(( X + 10 )) $(( Y + 10 )) mousedown 3 mousemove $(( X + 40 )) $(( Y + 86 )) mouseup 3
wait_until "the widget's menu" popup_shown "$pid"
xdotool key Escape
wait_until "the menu to close" popup_closed "$pid"
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$X,$Y" = "$(( areaX + areaW - 278 )),$(( areaY + areaH - 220 ))" ] || fail "right drag moved it"

# Esc hides the widget into the tray; a click on the tray icon brings it back.
xdotool windowfocus --sync "$win" key Escape
wait_until "the widget to hide" bash -c "xwininfo -id $win | grep -q IsUnMapped"
wait_until "the tray icon" tray_icon_embedded
eval "$(xdotool getwindowgeometry --shell "$(tray_panel)")"
# A press on the icon released elsewhere is no click; the menu that a right click then
# opens shows that the press has been handled.
xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 )) mousedown 1 mousemove 600 400 mouseup 1
xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 )) click 3
wait_until "the tray icon's menu" popup_shown "$pid"
xwininfo -id "$win" | grep -q IsUnMapped || fail "a press released off the icon showed the widget"
xdotool key Escape
wait_until "the menu to close" popup_closed "$pid"
xdotool click 1
wait_until "the widget to come back" bash -c "xwininfo -id $win | grep -q IsViewable"
# A double-click on the tray icon ends with the widget hidden, from shown and from hidden.
# (Each click waits out the double-click interval of the click before it.)
for _ in shown hidden; do
    sleep 1
    xdotool click --repeat 2 --delay 60 1
    wait_until "the widget to hide" bash -c "xwininfo -id $win | grep -q IsUnMapped"
done
sleep 1
xdotool click 1
wait_until "the widget to come back" bash -c "xwininfo -id $win | grep -q IsViewable"
xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "taskbar entry after restore"

# Exit through the popup menu: the last item.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $(( X + 20 )) $(( Y + 20 )) click 3
sleep 0.5
xdotool key Up Return
wait_exit "$pid" 0
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft)" = $(( areaX + areaW - 278 )) ] \
    || fail "position not saved on exit"

# A close request from the window manager to the widget itself ends it as well.
start_tivora
close_window "$(window_of "$LAST_PID" Form1)"
wait_exit "$LAST_PID" 0
echo "desktop: ok"
