# A snapshot without a display: the grid painted at a given time, pixel by pixel where
# the geometry puts the hands, the default skin files created, nothing else written.
source "$(dirname "$0")/lib.sh" "$@"
printf '[Main]\nWidth=2\n[Tivora]\nClock_01_h=3\nClock_01_Desc=East\nClock_02_h=-1\nClock_02_m=30\n' \
    >"$TIVORA_HOME/tivora.ini"
before=$(md5sum <"$TIVORA_HOME/tivora.ini")

shot="$WORK/shot.png"
env -u DISPLAY "$TIVORA" --snapshot "$shot" --at 2026-12-07T03:00:00 2>"$WORK/err.log" \
    || fail "snapshot failed: $(cat "$WORK/err.log")"
[ "$(identify -format '%wx%h' "$shot")" = "278x440" ] || fail "size $(identify -format '%wx%h' "$shot")"
[ "$(md5sum <"$TIVORA_HOME/tivora.ini")" = "$before" ] || fail "settings changed by a snapshot"
[ ! -e "$TIVORA_HOME/tivora.manifest" ] || fail "manifest written by a snapshot"

pixel() { convert "$shot" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
dark() { local p r g b; p=$(pixel "$1" "$2"); IFS=, read -r r g b <<<"$p"; [ $((r + g + b)) -lt 200 ] || fail "pixel $1,$2 is $p, expected a hand"; }
light() { local p r g b; p=$(pixel "$1" "$2"); IFS=, read -r r g b <<<"$p"; [ $((r + g + b)) -gt 600 ] || fail "pixel $1,$2 is $p, expected the dial"; }

# Sorted: -0:30 (top left), system time 03:00 (top right), +3:00 = 06:00 (bottom left).
[ "$(pixel 0 0)" = "255,255,255" ] || fail "corner is $(pixel 0 0), expected white"
# -0:30 shows 02:30:00: minute hand straight down from the pivot (68,68) to (68,107).
dark 68 100
light 36 68
# 03:00:00: hour hand to the right (+25,0), minute and second hands straight up (0,-39).
dark $((139 + 68 + 20)) 68
dark $((139 + 68)) 35
light $((139 + 68)) 100
# 06:00:00: hour hand straight down, minute hand up.
dark 68 $((220 + 68 + 20))
dark 68 $((220 + 68 - 35))
light $((68 + 20)) $((220 + 68))
# The empty fourth cell shows the background colour (the skin's corner pixel).
[ "$(pixel 200 300)" = "255,255,255" ] || fail "empty cell is $(pixel 200 300)"

# The default skin: a 139 x 139 picture of 24 bits per pixel and the eleven keys.
bmp="$TIVORA_HOME/Skins/Default.bmp"
[ "$(identify -format '%wx%h' "$bmp")" = "139x139" ] || fail "Default.bmp size"
[ "$(od -An -tu2 -j28 -N2 "$bmp" | tr -d ' ')" = 24 ] || fail "Default.bmp is not 24 bits per pixel"
keys=$(tr -d '\r' <"$TIVORA_HOME/Skins/Default.ini" | sed -n 's/=.*//p' | tr '\n' ' ')
[ "$keys" = "Info strlX strlY hLen mLen sLen hColor mColor sColor cWindth cHeight " ] \
    || fail "Default.ini keys: $keys"

# A skin whose image cannot be loaded: the built-in skin draws the same picture as the
# default skin's files, and the error output names the file and what is wrong with it.
cp "$shot" "$WORK/default.png"
head -c 1000 "$bmp" >"$TIVORA_HOME/Skins/Cut.bmp"
printf '[Main]\nstrlX=5\ncWindth=300\n' >"$TIVORA_HOME/Skins/Cut.ini"
sed -i 's/^\[Main\]$/[Main]\nSkin=Cut/' "$TIVORA_HOME/tivora.ini"
env -u DISPLAY "$TIVORA" --snapshot "$shot" --at 2026-12-07T03:00:00 2>"$WORK/err.log" \
    || fail "snapshot with a damaged skin failed"
grep -q 'Cut.bmp: pixel data cut short' "$WORK/err.log" || fail "error output: $(cat "$WORK/err.log")"
cmp -s "$shot" "$WORK/default.png" || fail "the damaged skin's picture differs from the default's"

# An edited Default.ini is never overwritten; a bad --at is refused.
echo "; mine" >>"$TIVORA_HOME/Skins/Default.ini"
env -u DISPLAY "$TIVORA" --snapshot "$shot" 2>/dev/null || fail "second snapshot failed"
grep -q '; mine' "$TIVORA_HOME/Skins/Default.ini" || fail "Default.ini overwritten"
if env -u DISPLAY "$TIVORA" --snapshot "$shot" --at 2026-13-01T00:00:00 2>/dev/null; then
    fail "an impossible date was accepted"
fi
echo "snapshot: ok"
