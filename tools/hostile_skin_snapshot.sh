#!/bin/bash
# Measures (not a test) what hostile skin files cost a snapshot: wall time and peak
# memory (GNU time's maximum resident set size, CPU time beside the wall time as it
# varies less on a loaded machine) of `tivora --snapshot`, three runs each,
# with the default skin and with skins that must be refused at once:
#   Huge:  a 60-byte BMP declaring 16384 x 2048 pixels (over the limit)
#   Short: a 58-byte BMP declaring 4096 x 4096 pixels (more than the file holds)
#   Cells: the default image with cWindth=cHeight=8000 (over the cell limit)
# Usage: tools/hostile_skin_snapshot.sh path/to/tivora
set -eu
tivora=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TIVORA_HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$TIVORA_HOME" -m 700 "$XDG_RUNTIME_DIR"
snapshot() { env -u DISPLAY "$tivora" --snapshot "$work/shot.png" --at 2026-12-07T03:00:00; }
snapshot 2>/dev/null # makes the default skin
skins=$TIVORA_HOME/Skins
python3 - "$skins" <<'PY'
import struct, sys
def bmp(path, w, h, pixels):
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, 0, 2835, 2835, 0, 0)
    open(path, 'wb').write(b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54) + info + pixels)
bmp(sys.argv[1] + '/Huge.bmp', 16384, 2048, b'\0' * 6)
bmp(sys.argv[1] + '/Short.bmp', 4096, 4096, b'\0' * 4)
PY
cp "$skins/Default.ini" "$skins/Huge.ini"
cp "$skins/Default.ini" "$skins/Short.ini"
cp "$skins/Default.bmp" "$skins/Cells.bmp"
printf '[Main]\ncWindth=8000\ncHeight=8000\n' >"$skins/Cells.ini"
for skin in Default Huge Short Cells; do
    printf '[Main]\nSkin=%s\n' "$skin" >"$TIVORA_HOME/tivora.ini"
    for run in 1 2 3; do
        /usr/bin/time -f "$skin: %e s wall, %U s user + %S s system, %M KB peak" \
            -o "$work/time" env -u DISPLAY "$tivora" --snapshot "$work/shot.png" \
            --at 2026-12-07T03:00:00 2>"$work/err"
        cat "$work/time"
        if [ "$run" = 1 ] && [ "$skin" != Default ]; then sed 's/^/    /' "$work/err"; fi
    done
done
