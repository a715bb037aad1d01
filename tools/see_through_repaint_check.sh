#!/bin/bash
# Checks by hand (not a test: it needs quiet stretches between ticks) that a widget
# with see-through white shows on screen what it painted. A shape change makes the X
# server report the newly shown pixels as to be painted; the widget drops the reports
# its own painting covers. Right after a tick the screen is taken, a window is laid over
# the widget and taken away (so that the toolkit paints all of it again), and the
# screen is taken again: the two must be equal, pixel for pixel. Rounds with a tick in
# between are skipped. Prints each round's differing pixels (compare -metric AE).
# Usage: tools/see_through_repaint_check.sh path/to/tivora [faces] [rounds]
set -u
tivora=$1 faces=${2:-9} rounds=${3:-12}
work=$(mktemp -d)
Xvfb -displayfd 5 -wr -screen 0 800x800x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
until [ -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=:$(cat "$work/display") TIVORA_HOME=$work QT_QPA_PLATFORM=xcb TIVORA_DEBUG=1
: >"$work/tivora.manifest"
{
    printf '[Main]\nWidth=3\npLeft=0\npTop=0\nShowWhiteBG=1\n[Tivora]\n'
    for i in $(seq 1 $((faces - 1))); do
        printf 'Clock_%02d_h=%d\nClock_%02d_m=%d\nClock_%02d_Desc=C%d\n' \
            "$i" $((i * 3)) "$i" $((i * 7 % 60)) "$i" "$i"
    done
} >"$work/tivora.ini"
"$tivora" 2>"$work/log" &
widget=$!
ticks() { grep -c ' tick ' "$work/log"; }
until [ "$(ticks)" -ge 3 ]; do sleep 0.1; done
for round in $(seq 1 "$rounds"); do
    n=$(ticks)
    while [ "$(ticks)" = "$n" ]; do sleep 0.02; done
    n=$(ticks)
    import -window root -crop 420x660+0+0 "$work/a.png"
    xmessage -geometry 430x670+0+0 over >/dev/null 2>&1 &
    sleep 0.15
    kill $!
    sleep 0.15
    import -window root -crop 420x660+0+0 "$work/b.png"
    if [ "$(ticks)" != "$n" ]; then
        echo "round $round: a tick in between, skipped"
        continue
    fi
    echo "round $round: $(compare -metric AE "$work/a.png" "$work/b.png" /dev/null 2>&1) pixels differ"
done
kill $widget
wait $widget 2>/dev/null
