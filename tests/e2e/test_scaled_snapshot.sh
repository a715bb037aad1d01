# Snapshots at a scale: at 1 the very picture of the unscaled widget; at 2 twice the size
# and close to the picture at 1 enlarged, with every hand and text in its place.
source "$(dirname "$0")/lib.sh" "$@"
snap() { env -u DISPLAY "$TIVORA" --snapshot "$@" --at 2026-12-07T03:00:00 2>/dev/null || fail "snapshot $*"; }
differing() { compare -metric AE -fuzz 50% "$@" null: 2>&1 || true; }

# Without texts (whose pixels depend on the installed fonts) the picture at scale 1 is
# the one painted before there were scales.
printf '[Main]\nWidth=2\nShowDigits=0\nShowDate=0\nShowDesc=0\nShowDelimiters=1\n[Tivora]\nClock_01_h=3\nClock_02_h=-1\nClock_02_m=30\n' \
    >"$TIVORA_HOME/tivora.ini"
snap "$WORK/one.png" --scale 1
[ "$(convert "$WORK/one.png" rgb:- | md5sum)" = "84d69345244fbbd4531d551183749d6b  -" ] \
    || fail "the picture at scale 1 changed"

# With texts at 2: the dials match the enlarged ones but for smoothed edges, the whole
# but for the glyphs' edges; a hand out of place differs in 150 pixels or more.
sed -i 's/^Show.*=0$//; s/^Clock_01_h=3$/&\nClock_01_Desc=East/' "$TIVORA_HOME/tivora.ini"
snap "$WORK/one.png"
snap "$WORK/two.png" --scale 2
[ "$(identify -format '%wx%h' "$WORK/two.png")" = 556x880 ] || fail "size at 2"
convert "$WORK/one.png" -filter Triangle -resize 200% "$WORK/enlarged.png"
for dial in 278x278+0+0 278x278+278+0 278x278+0+440; do
    n=$(differing "$WORK/two.png" "$WORK/enlarged.png" -crop "$dial")
    [ "$n" -le 40 ] || fail "dial $dial differs in $n pixels"
done
n=$(differing "$WORK/two.png" "$WORK/enlarged.png")
[ "$n" -le 1500 ] || fail "the picture differs in $n pixels"
if env -u DISPLAY "$TIVORA" --snapshot "$WORK/bad.png" --scale 9 2>/dev/null; then fail "scale 9 accepted"; fi
echo "scaled snapshot: ok"
