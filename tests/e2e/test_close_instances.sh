# "/close" asks every other instance to close and waits until each has saved and
# ended before this instance reads its settings; other spellings are ignored.
source "$(dirname "$0")/lib.sh" "$@"
start_display

homeA="$WORK/a"
homeB="$WORK/b"
mkdir -p "$homeA" "$homeB"
for h in "$homeA" "$homeB"; do
    TIVORA_HOME=$h prepare_manifest
    printf '[Main]\r\npLeft=%s\r\npTop=40\r\n' "$([ "$h" = "$homeA" ] && echo 100 || echo 200)" >"$h/tivora.ini"
done
TIVORA_HOME=$homeA start_tivora
pidA=$LAST_PID
TIVORA_HOME=$homeB start_tivora
pidB=$LAST_PID

# Other letter case, another leading character, or "/close" as the second argument:
# nobody is asked to close. The toolkit's own options are no options of the program:
# the instance still opens on this display, where "/close" reaches it. (An instance asked
# to close would have lost its application window before the new one showed its own.)
for args in "/CLOSE" "-close" "x /close" "-platform offscreen" "-display :nosuch"; do
    TIVORA_HOME=$homeB start_tivora $args
    [ -n "$(window_of "$pidA" Tivora)" ] && [ -n "$(window_of "$pidB" Tivora)" ] \
        || fail "'$args' closed another instance"
    close_window "$(window_of "$LAST_PID" Tivora)"
    wait_exit "$LAST_PID" 0
done

# B's settings file is gone: only B's save on close can bring it back before the new
# instance reads it.
rm "$homeB/tivora.ini"
TIVORA_HOME=$homeB start_tivora /close
pidC=$LAST_PID
wait_exit "$pidA" 0
wait_exit "$pidB" 0
[ "$(ini_value "$homeA/tivora.ini" Main pLeft)" = 100 ] || fail "A did not save"
[ "$(ini_value "$homeB/tivora.ini" Main pLeft)" = 200 ] || fail "B did not save"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$pidC" Form1)")"
[ "$X" = 200 ] && [ "$Y" = 40 ] || fail "new instance at $X,$Y: it did not read B's saved settings"
close_window "$(window_of "$pidC" Tivora)"
wait_exit "$pidC" 0
echo "close instances: ok"
