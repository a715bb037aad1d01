# The widget on a desktop with four workspaces: it is on every one of them, through an
# on-top switch, a hide to the tray and back, and a restart of the window manager;
# the dialogs open on the workspace the user is on.
source "$(dirname "$0")/lib.sh" "$@"
start_display --wm --tray
xdotool set_num_desktops 4
prepare_manifest
printf '[Main]\npLeft=300\npTop=300\n' >"$TIVORA_HOME/tivora.ini"
start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)

on_workspace() { # which workspace
    xdotool set_desktop "$1"
    [ "$(xprop -root _NET_CURRENT_DESKTOP | sed 's/.*= //')" = "$1" ]
}
everywhere() {
    [ "$(xprop -id "$win" _NET_WM_DESKTOP | sed 's/.*= //')" = 4294967295 ] || return 1
    [[ $(xwininfo -id "$win") == *"Map State: IsViewable"* ]]
}
wait_until "the widget on every workspace" everywhere
wait_until "the second workspace" on_workspace 1
wait_until "the widget still shown on the second workspace" everywhere

# An on-top switch through the options dialog, which opens on this workspace.
open_options_dialog "$pid" "$win"
[ "$(xprop -id "$OPTIONS_DIALOG" _NET_WM_DESKTOP | sed 's/.*= //')" = 1 ] \
    || fail "the dialog is not on the user's workspace"
read -r x y < <(xwininfo -id "$OPTIONS_DIALOG" | sed -n 's/.*Absolute upper-left [XY]: *//p' | paste -sd ' ')
xdotool mousemove $((x + 216)) $((y + 91)) click 1 mousemove $((x + 253)) $((y + 369)) click 1 # cb5, OK
wait_until "the switch" bash -c "[[ \$(xprop -id $win _NET_WM_STATE) != *ABOVE* ]]"
wait_until "the widget on every workspace after the switch" everywhere

# Hidden with a double-click on the tray icon and shown with a click, on workspace 2.
wait_until "the third workspace" on_workspace 2
wait_until "the tray icon" tray_icon_embedded
eval "$(xdotool getwindowgeometry --shell "$(tray_panel)")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click --repeat 2 --delay 60 1
wait_until "the widget to hide" bash -c "[[ \$(xwininfo -id $win) == *IsUnMapped* ]]"
xdotool mousemove $((X + WIDTH / 2 + 6)) $((Y + HEIGHT / 2)) click 1
alive "$pid" || fail "ended"; xdotool search --all --pid "$pid" >&2; wait_until "the widget back on every workspace" everywhere

# A new window manager finds the widget on every workspace.
openbox --replace --sm-disable >/dev/null 2>&1 &
PIDS+=($!)
wm_caught_up
wait_until "the fourth workspace" on_workspace 3
wait_until "the widget on every workspace after a window manager restart" everywhere
echo "workspaces: ok"
