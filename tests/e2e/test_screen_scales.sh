# A widget dragged from a screen at scale 1 onto one at scale 2 is drawn at the new
# scale at once; the settings keep its place in screen pixels.
source "$(dirname "$0")/lib.sh" "$@"
start_display --own
xrandr --setmonitor L 640/169x1024/270+0+0 none
xrandr --setmonitor R 640/169x1024/270+640+0 none
prepare_manifest
printf '[Main]\npLeft=100\npTop=100\n' >"$TIVORA_HOME/tivora.ini"

QT_SCREEN_SCALE_FACTORS="L=1;R=2" start_tivora
pid=$LAST_PID
win=$(window_of "$pid" Form1)
placed() { eval "$(xdotool getwindowgeometry --shell "$win")"; [ "$X,$Y,$WIDTH,$HEIGHT" = "$1" ]; }
wait_until "the widget at scale 1" placed 100,100,139,220
# Grabbed 10 pixels inside its corner (10 designed pixels) and dropped at 900,300, on
# the right screen at (640 + 260 / 2, 300 / 2) designed pixels.
xdotool mousemove 110 110 mousedown 1 mousemove 400 300 mousemove 900 300 mouseup 1
wait_until "the widget drawn at scale 2" placed 880,280,278,440

close_window "$(window_of "$pid" Tivora)"
wait_exit "$pid" 0
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft),$(ini_value "$TIVORA_HOME/tivora.ini" Main pTop)" = 880,280 ] \
    || fail "saved at $(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft),$(ini_value "$TIVORA_HOME/tivora.ini" Main pTop)"
echo "screen scales: ok"
