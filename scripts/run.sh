#!/usr/bin/env bash
# Builds Tivora (release) and starts the widget. Without a display it paints one
# snapshot picture instead and says where it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTIVORA_TESTS=OFF -DTIVORA_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target tivora

if [ -n "${DISPLAY:-}" ]; then
    echo "Starting Tivora (its files live in ${TIVORA_HOME:-$build})"
    "$build/tivora" "$@"
else
    shot="$root/build/snapshot.png"
    "$build/tivora" --snapshot "$shot"
    echo "No display: wrote a snapshot of the widget to $shot"
fi
