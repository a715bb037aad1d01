# See-through white cuts the window to the pixels that are not white: a picture of
# nothing but white leaves no window at all, and a face keeps its dial.
source "$(dirname "$0")/lib.sh" "$@"
start_display
prepare_manifest

# The window's shape as the X server reports it ("none" when it has none).
shape_of() {
    xwininfo -shape -id "$1" | sed -n 's/^ *Window shape extents: *//p; s/^ *No window shape defined.*/none/p'
}
viewable() { xwininfo -id "$1" | grep -q IsViewable; }

printf '[Main]\nShowWhiteBG=1\nShowArray=0\nShowDigits=0\nShowDate=0\nShowDesc=0\n' \
    >"$TIVORA_HOME/tivora.ini"
start_tivora
win=$(window_of "$LAST_PID" Form1)
wait_until "the widget to be mapped" viewable "$win"
[ "$(shape_of "$win")" = 0x0+0+0 ] || fail "an all-white picture still shows: $(shape_of "$win")"
close_window "$win"
wait_exit "$LAST_PID" 0

printf '[Main]\nShowWhiteBG=1\n' >"$TIVORA_HOME/tivora.ini"
start_tivora
win=$(window_of "$LAST_PID" Form1)
wait_until "the widget to be mapped" viewable "$win"
shape=$(shape_of "$win")
case $shape in
none | 0x0+* | 139x220+0+0) fail "the face is not cut to its dial: $shape" ;;
esac
close_window "$win"
wait_exit "$LAST_PID" 0
echo "see-through: ok"
