# Snapshots at a scale: at 1 the very picture of the unscaled widget; at 2 twice the size
# and, pixel for pixel, close to the picture at 1 enlarged, hands and texts in place.
source "$(dirname "$0")/lib.sh" "$@"
snap() { env -u DISPLAY "$TIVORA" --snapshot "$@" --at 2026-12-07T03:00:00 2>>"$WORK/err.log" || fail "snapshot $*: $(cat "$WORK/err.log")"; }
pixels() { convert "$1" rgb:- | md5sum | cut -d' ' -f1; }
differing() { compare -metric AE -fuzz 50% "$@" null: 2>&1 || true; }

# Without texts (whose pixels depend on the installed fonts) the picture is known: the
# one the program painted before it knew of scales.
printf '[Main]\nWidth=2\nShowDigits=0\nShowDate=0\nShowDesc=0\nShowDelimiters=1\n[Tivora]\nClock_01_h=3\nClock_02_h=-1\nClock_02_m=30\n' \
    >"$TIVORA_HOME/tivora.ini"
snap "$WORK/plain.png"
snap "$WORK/one.png" --scale 1
cmp -s "$WORK/plain.png" "$WORK/one.png" || fail "--scale 1 differs from the default"
[ "$(pixels "$WORK/one.png")" = 84d69345244fbbd4531d551183749d6b ] || fail "the picture at scale 1 changed"

# With texts: at 2, each dial (no text) matches the enlarged one but for the smoothing at
# the edges, and the whole picture but for the glyphs' edges; a hand or a text out of
# place differs in hundreds of pixels more.
printf '[Main]\nWidth=2\n[Tivora]\nClock_01_h=3\nClock_01_Desc=East\nClock_02_h=-1\nClock_02_m=30\n' \
    >"$TIVORA_HOME/tivora.ini"
snap "$WORK/one.png"
snap "$WORK/two.png" --scale 2
[ "$(identify -format '%wx%h' "$WORK/two.png")" = 556x880 ] || fail "size $(identify -format '%wx%h' "$WORK/two.png")"
convert "$WORK/one.png" -filter Triangle -resize 200% "$WORK/enlarged.png"
for dial in 278x278+0+0 278x278+278+0 278x278+0+440; do
    n=$(differing "$WORK/two.png" "$WORK/enlarged.png" -crop "$dial")
    [ "$n" -le 40 ] || fail "dial $dial differs in $n pixels"
done
n=$(differing "$WORK/two.png" "$WORK/enlarged.png")
[ "$n" -le 1500 ] || fail "the picture differs in $n pixels"
snap "$WORK/half.png" --scale 1.5
[ "$(identify -format '%wx%h' "$WORK/half.png")" = 417x660 ] || fail "size at 1.5 $(identify -format '%wx%h' "$WORK/half.png")"

for bad in 0 9 x2 ""; do
    if env -u DISPLAY "$TIVORA" --snapshot "$WORK/bad.png" --scale "$bad" 2>/dev/null; then
        fail "scale '$bad' accepted"
    fi
done
echo "scaled snapshot: ok"
