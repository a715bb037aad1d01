# The widget shows its picture the instant its window is mapped, never an empty window
# until the first paint arrives: the map tool (third argument) maps the window itself,
# with the server grabbed, and reads it back before the program can paint.
source "$(dirname "$0")/lib.sh" "$@"
MAP_TIME=$3
start_display --own
prepare_manifest
while read -r dpi options; do
    echo "Xft.dpi: $dpi" | xrdb -nocpp -merge
    printf '[Main]\n%s\n' "$options" >"$TIVORA_HOME/tivora.ini"
    result=$(timeout 30 "$MAP_TIME" "$TIVORA" 2>>"$WORK/tivora.log") ||
        fail "the map tool failed at $dpi DPI, $options: $result"
    [ "${result#* }" = 1 ] || fail "an empty window at the map at $dpi DPI, $options"
done <<'CASES'
96
96 ShowWhiteBG=1
192
CASES
echo "first picture: ok"
