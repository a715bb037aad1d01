# The widget in daily use under a window manager: every way out saves where the window
# really is, an OK neither moves it nor makes it a normal window, boxes open in front of
# the window they concern, the menu opens while a dialog is open, and the end of the
# session saves.
source "$(dirname "$0")/lib.sh" "$@"
start_display --wm --tray
xserver=${PIDS[0]}
prepare_manifest

# INI with the widget at LEFT,TOP and N fixed-offset clocks; further lines follow.
write_ini() { # left top clocks [more [Main] lines]
    local i
    {
        printf '[Main]\npLeft=%s\npTop=%s\n%s' "$1" "$2" "${4:-}"
        printf '[Tivora]\n'
        for ((i = 1; i <= $3; i++)); do printf 'Clock_%02d_h=%d\n' "$i" $((i % 24)); done
    } >"$TIVORA_HOME/tivora.ini"
}
where() { # window: "X Y" of its top-left as the X server has it
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y"
}
saved() { echo "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft) $(ini_value "$TIVORA_HOME/tivora.ini" Main pTop)"; }
at() { [ "$(where "$1")" = "$2" ] || { where "$1"; return 1; }; }
menu_at() { # pid window: opens the widget's menu with a right click on it
    eval "$(xdotool getwindowgeometry --shell "$2")"
    xdotool mousemove $((X > 0 ? X + 20 : 20)) $((Y > 0 ? Y + 20 : 20)) click 3
    wait_until "the popup menu" popup_shown "$1"
}
menu_exit() { # pid window
    menu_at "$1" "$2"
    xdotool key Up Return
}
ended_window() { ! xwininfo -id "$1" >/dev/null 2>&1; }
has_state() { [[ $(xprop -id "$1" _NET_WM_STATE) == *"$2"* ]]; }
lacks_state() { ! has_state "$@"; }
# Clicks a point of the options dialog's client area (xdotool would give the frame's
# position for a decorated window).
click_dialog() {
    local x y
    read -r x y < <(xwininfo -id "$OPTIONS_DIALOG" | sed -n 's/.*Absolute upper-left [XY]: *//p' | paste -sd ' ')
    xdotool mousemove $((x + $1)) $((y + $2)) click 1
}

# Menu exit saves the real position, and the next start shows that position: at the
# right edge, past it, and with 1,000 clocks (taller than the screen, which the window
# manager places by its own rules).
for case in "right edge:1002:300:1" "past the edge:1150:300:1" "1000 clocks:0:300:1000"; do
    IFS=: read -r name left top clocks <<<"$case"
    write_ini "$left" "$top" "$clocks"
    start_tivora
    win=$(window_of "$LAST_PID" Form1)
    wm_caught_up
    real=$(where "$win")
    menu_exit "$LAST_PID" "$win"
    wait_exit "$LAST_PID" 0
    [ "$(saved)" = "$real" ] || fail "$name: shown at $real, saved $(saved)"
    start_tivora
    win=$(window_of "$LAST_PID" Form1)
    wait_until "$name: the next start at $real" at "$win" "$real"
    close_window "$(window_of "$LAST_PID" Tivora)"
    wait_exit "$LAST_PID" 0
done

# An OK that widens the widget past the right edge and switches the on-top state keeps
# the window (its id), its place and its states.
write_ini 1002 300 7 $'Width=2\n'
start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)
wm_caught_up
wait_until "the widget kept above others" has_state "$win" _NET_WM_STATE_ABOVE
for case in "off:8:lacks_state" "on:3:has_state"; do
    IFS=: read -r onTop faces above <<<"$case"
    open_options_dialog "$pid" "$win"
    click_dialog 216 91                               # cb5
    click_dialog 390 285                              # cwidth
    xdotool key ctrl+a BackSpace type "$faces"
    click_dialog 253 369                              # OK
    wait_until "the dialog to close ($onTop)" ended_window "$OPTIONS_DIALOG"
    [ "$(window_of "$pid" Form1)" = "$win" ] || fail "on top $onTop: a new widget window"
    wait_until "on top $onTop: ABOVE follows" "$above" "$win" _NET_WM_STATE_ABOVE
    for state in _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER; do
        has_state "$win" $state || fail "on top $onTop: $state lost"
    done
    wm_caught_up
    at "$win" "1002 300" >/dev/null || fail "on top $onTop: OK moved the widget to $(where "$win")"
    [ "$(saved)" = "1002 300" ] || fail "on top $onTop: saved $(saved)"
done

# A box opens above every window of the program, with the keyboard, owned by the window
# it concerns: the dialog for an OK that cannot save, the widget for Exit.
chmod 0444 "$TIVORA_HOME/tivora.ini"
box_in_front_of() { # pid owner
    local box
    box=$(window_of "$1" Warning)
    [ -n "$box" ] || return 1
    box=$(printf '0x%x' "$box")
    [ "$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*, //; s/.*# //')" = "$box" ] || return 1
    [ "$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')" = "$box" ] || return 1
    [[ $(xprop -id "$box" WM_TRANSIENT_FOR) == *"# $(printf '0x%x' "$2")" ]]
}
open_options_dialog "$pid" "$win"
xdotool key Return
wait_until "the box in front of the dialog" box_in_front_of "$pid" "$OPTIONS_DIALOG"
dismiss_box "$pid" Warning
wait_until "the dialog to close" ended_window "$OPTIONS_DIALOG"
menu_exit "$pid" "$win"
wait_until "the box in front of the widget" box_in_front_of "$pid" "$win"
dismiss_box "$pid" Warning
wait_exit "$pid" 0
chmod 0644 "$TIVORA_HOME/tivora.ini"

# The widget's and the tray icon's menu open while a dialog is open; Exit closes the
# dialog and saves.
for case in "Опции:Down Down Return:widget" "Form3:Down Down Down Return:tray"; do
    IFS=: read -r dialog keys from <<<"$case"
    write_ini 100 100 1
    start_tivora
    pid=$LAST_PID
    win=$(window_of "$pid" Form1)
    wm_caught_up
    menu_at "$pid" "$win"
    xdotool key $keys
    wait_until "the window $dialog" window_shown "$pid" "$dialog"
    if [ "$from" = tray ]; then
        wait_until "the tray icon" tray_icon_embedded
        eval "$(xdotool getwindowgeometry --shell "$(tray_panel)")"
        xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
        wait_until "the tray icon's menu over $dialog" popup_shown "$pid"
    else
        menu_at "$pid" "$win"
    fi
    xdotool key Up Return
    wait_exit "$pid" 0
    [ "$(saved)" = "100 100" ] || fail "exit over $dialog saved $(saved)"
done

# A hang-up and the end of the X server save what was moved.
for end in hangup server; do
    write_ini 400 300 1
    start_tivora
    pid=$LAST_PID
    win=$(window_of "$pid" Form1)
    wm_caught_up
    xdotool mousemove 410 310 mousedown 1 mousemove 530 430 mousemove 543 443 mouseup 1
    wait_until "the drag" at "$win" "533 433"
    if [ $end = hangup ]; then kill -HUP "$pid"; else kill "$xserver"; fi
    wait_until "the program to end ($end)" ended "$pid"
    [ "$(saved)" = "533 433" ] || fail "$end: saved $(saved)"
done
echo "daily use: ok"
