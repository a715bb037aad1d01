# Sourced by the bench scripts: a work folder and a private Xvfb with a screen of the
# given size, on which what the script starts runs. At exit the processes whose ids the
# script added to pids are ended, then the X server, and the folder is removed.
#
#   source bench/private_display.sh NAME WIDTHxHEIGHT
work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
pids=()
xvfb=""
cleanup() {
    for p in "${pids[@]}" $xvfb; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}" $xvfb; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/fifo"
Xvfb -displayfd 5 -screen 0 "$2x24" -nolisten tcp -noreset 5>"$work/fifo" >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 number <"$work/fifo"
export DISPLAY=":$number"
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
