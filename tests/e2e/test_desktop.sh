# The widget on a desktop with a window manager and a tray: no taskbar entry, kept
# above other windows, dragged with snapping to the work area, hidden to the tray and
# brought back, given the keyboard back when the about window closes, ended through the
# popup menu's exit item and by a close request.
source "$(dirname "$0")/lib.sh" "$@"
start_display --wm --tray
prepare_manifest
printf '[Main]\npLeft=300\npTop=300\n[Tivora]\nClock_01_h=3\nClock_01_Desc=East\n' >"$TIVORA_HOME/tivora.ini"

start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)

has_state() { [[ $(xprop -id "$win" _NET_WM_STATE) == *"$1"* ]]; }
# (-f: the focus window itself; looking for its top-level can loop forever when that
# window goes away meanwhile.)
has_keyboard() { [ "$(xdotool getwindowfocus -f)" = "$win" ]; }
# Whether the widget is at X,Y (and of the size W x H); the window manager places and
# moves it in its own time. Prints where it is when it is not.
placed() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$X,$Y" = "$1,$2" ] && { [ $# -eq 2 ] || [ "$WIDTH,$HEIGHT" = "$3,$4" ]; } && return 0
    echo "at $X,$Y, ${WIDTH}x$HEIGHT"
    return 1
}
# Gives the widget the keyboard, again until it has it (the window manager may move the
# focus meanwhile).
take_keyboard() {
    xdotool windowfocus "$win"
    has_keyboard
}

# From here on every map and unmap of the widget is logged in order, so that each step
# below can wait for exactly the changes it causes. A property set on the widget shows
# up in the log once the log has started.
stdbuf -oL xev -id "$win" -event structure -event property >"$WORK/xev.log" 2>&1 &
PIDS+=($!)
log_started() {
    xprop -id "$win" -f _TIVORA_TEST_PROBE 8s -set _TIVORA_TEST_PROBE ready
    grep -q _TIVORA_TEST_PROBE "$WORK/xev.log"
}
wait_until "the event log" log_started
shown_since() { # expected changes, e.g. "Unmap Map"
    local seen
    seen=$(sed -n 's/^\(Map\|Unmap\)Notify event, serial [0-9]*, synthetic NO.*/\1/p' \
        "$WORK/xev.log" | paste -sd ' ')
    [ "$seen" = "$1" ] || { echo "$seen"; return 1; }
}

# A newly started widget has the keyboard: Esc hides it into the tray, a click on the
# tray icon brings it back.
wait_until "the new widget to have the keyboard" has_keyboard
xdotool key Escape
wait_until "Esc to hide the new widget" shown_since "Unmap"
wait_until "the tray icon" tray_icon_embedded
eval "$(xdotool getwindowgeometry --shell "$(tray_panel)")"
# Clicks on the icon alternate between two points farther apart than a double-click may
# move, so that only the clicks meant as a double-click count as one.
iconA="$(( X + WIDTH / 2 - 6 )) $(( Y + HEIGHT / 2 ))"
iconB="$(( X + WIDTH / 2 + 6 )) $(( Y + HEIGHT / 2 ))"
xdotool mousemove $iconA click 1
wait_until "the widget to come back" shown_since "Unmap Map"
wait_until "no taskbar entry" has_state _NET_WM_STATE_SKIP_TASKBAR
wait_until "the widget kept above others" has_state _NET_WM_STATE_ABOVE
wait_until "two faces at 300,300" placed 300 300 278 220

# The work area as the window manager publishes it (the tray panel may take a strip).
read -r areaX areaY areaW areaH _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/, */ /g')

drag_to() { # cursor x, cursor y; the window is grabbed 10 pixels inside its corner
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove $(( X + 10 )) $(( Y + 10 )) mousedown 1
    xdotool mousemove $(( $1 - 5 )) $(( $2 - 5 )) mousemove "$1" "$2" mouseup 1
}
drag_to $(( areaX + 8 + 10 )) 410
wait_until "the snap to the left edge from 8 pixels" placed "$areaX" 400
drag_to $(( areaX + 9 + 10 )) 410
wait_until "no snap from 9 pixels" placed $(( areaX + 9 )) 400
right=$(( areaX + areaW - 278 )) bottom=$(( areaY + areaH - 220 ))
drag_to $(( right - 8 + 10 )) $(( bottom - 8 + 10 ))
wait_until "the snap to the bottom-right corner" placed "$right" "$bottom"
# A right-button drag moves nothing; the menu opens when the button is released on the
# window.
xdotool mousemove $(( right + 10 )) $(( bottom + 10 )) mousedown 3 \
    mousemove $(( right + 40 )) $(( bottom + 86 )) mouseup 3
wait_until "the widget's menu" popup_shown "$pid"
xdotool key Escape
wait_until "the menu to close" popup_closed "$pid"
wm_caught_up
placed "$right" "$bottom" >/dev/null || fail "a right-button drag moved the widget"

# Esc hides the widget into the tray.
wait_until "the widget to have the keyboard" take_keyboard
xdotool key Escape
wait_until "the widget to hide" shown_since "Unmap Map Unmap"
# A press on the icon released elsewhere is no click; the menu that a right click then
# opens shows that the press has been handled.
xdotool mousemove $iconA mousedown 1 mousemove 600 400 mouseup 1
xdotool mousemove $iconB click 3
wait_until "the tray icon's menu" popup_shown "$pid"
wm_caught_up
shown_since "Unmap Map Unmap" >/dev/null || fail "a press released off the icon showed the widget"
xdotool key Escape
wait_until "the menu to close" popup_closed "$pid"
xdotool mousemove $iconA click 1
wait_until "the widget to come back" shown_since "Unmap Map Unmap Map"
# A double-click on the tray icon ends with the widget hidden, from shown and from hidden
# (where its first click shows the widget).
xdotool mousemove $iconB click --repeat 2 --delay 60 1
wait_until "the widget to hide" shown_since "Unmap Map Unmap Map Unmap"
xdotool mousemove $iconA click --repeat 2 --delay 60 1
wait_until "the widget to show and hide" shown_since "Unmap Map Unmap Map Unmap Map Unmap"
xdotool mousemove $iconB click 1
wait_until "the widget to come back" shown_since "Unmap Map Unmap Map Unmap Map Unmap Map"
wait_until "no taskbar entry after restore" has_state _NET_WM_STATE_SKIP_TASKBAR

# Closing a window of the program gives the keyboard back to the widget, so Esc and
# the menu key reach it again.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $(( X + 20 )) $(( Y + 20 )) click 3
wait_until "the popup menu" popup_shown "$pid"
xdotool key Up Up Return
wait_until "the about window" window_shown "$pid" Form3
about=$(window_of "$pid" Form3)
about_has_keyboard() { xdotool windowfocus "$about"; [ "$(xdotool getwindowfocus -f)" = "$about" ]; }
wait_until "the about window to have the keyboard" about_has_keyboard
xdotool key Escape
wait_until "the about window to close" bash -c "! xwininfo -id $about >/dev/null 2>&1"
wait_until "the widget to take the keyboard back" has_keyboard

# Exit through the popup menu: the last item.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $(( X + 20 )) $(( Y + 20 )) click 3
wait_until "the popup menu" popup_shown "$pid"
xdotool key Up Return
wait_exit "$pid" 0
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft)" = "$right" ] \
    || fail "position not saved on exit"

# A close request from the window manager to the widget itself ends it as well.
start_tivora
close_window "$(window_of "$LAST_PID" Form1)"
wait_exit "$LAST_PID" 0
echo "desktop: ok"
