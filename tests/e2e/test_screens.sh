# The widget stays reachable when screens change: on a screen split into two monitors
# it stays on the right one, and when that monitor goes away (and the screen shrinks to
# the left one) it moves onto the left one; a start where no monitor shows it does the
# same.
source "$(dirname "$0")/lib.sh" "$@"
start_display --size=2560x1024
prepare_manifest
# The left monitor takes the display's one output, so no monitor spans the whole screen.
xrandr --setmonitor left 1280/338x1024/270+0+0 screen >/dev/null
xrandr --setmonitor right 1280/338x1024/270+1280+0 none >/dev/null
[ "$(xrandr --listmonitors | head -n1)" = "Monitors: 2" ] || fail "no two monitors: $(xrandr --listmonitors)"
printf '[Main]\npLeft=1833\npTop=300\n' >"$TIVORA_HOME/tivora.ini"

placed() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$X,$Y" = "$1,$2" ] || { echo "at $X,$Y"; return 1; }
}
start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)
wait_until "the widget on the right monitor" placed 1833 300

xrandr --delmonitor right
xrandr --newmode 1280x1024 0 1280 0 0 0 1024 0 0 0
xrandr --addmode screen 1280x1024
xrandr --output screen --mode 1280x1024 --fb 1280x1024
wait_until "the widget to come onto the left monitor" placed $(( 1280 - 139 )) 300

# Started where no monitor shows it.
kill "$pid"
wait_exit "$pid" 0
printf '[Main]\npLeft=1833\npTop=-500\n' >"$TIVORA_HOME/tivora.ini"
start_tivora
win=$(window_of "$LAST_PID" Form1)
wait_until "the widget to start on the left monitor" placed $(( 1280 - 139 )) 0
echo "screens: ok"
