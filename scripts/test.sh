#!/usr/bin/env bash
# Builds Tivora with its tests and runs every test through ctest. Core tests run
# under AddressSanitizer and UBSan, UI tests on Qt's offscreen platform, and the
# end-to-end tests drive the real program on the Xvfb display that this script starts
# (the desktop test brings its own, with a window manager and a tray host).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j2

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp -noreset 4>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 display_number <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display_number"

ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
