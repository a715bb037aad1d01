# Shared by the end-to-end tests. Each test runs the real program in a temporary data
# folder (TIVORA_HOME) on an X display of its own, and cleans everything up on exit.
#   source lib.sh "$@"    (arguments: path of tivora, path of tivora_send_close)
set -euo pipefail

TIVORA=$1
SEND_CLOSE=$2
WORK=$(mktemp -d /tmp/tivora-e2e.XXXXXX)
export TIVORA_HOME="$WORK/home"
mkdir -p "$TIVORA_HOME"
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
PIDS=()

cleanup() {
    local status=$?
    local others
    others=$(list_tivora_pids)
    for pid in $others "${PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    # Wait until everything has really ended: an X server still shutting down would
    # remove the socket of the next test's server if that one took the same number.
    for pid in "${PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    for pid in $others; do
        while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
    done
    chmod -R u+w "$WORK" 2>/dev/null || true
    rm -rf "$WORK"
    exit $status
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$WORK/tivora.log" ]; then
        echo "--- what the program printed:" >&2
        tail -n 20 "$WORK/tivora.log" >&2
    fi
    exit 1
}

# Provides an X display: the test command's, or a private Xvfb (with, on request, a
# window manager and a tray host). A server must not reset when its last client leaves:
# connections made during a reset fail.
#   start_display [--wm] [--tray]
start_display() {
    # A plain display is shared: the one scripts/test.sh started, when there is one.
    # (The tests run one at a time and end every process they start.) A desktop with a
    # window manager and a tray is always private.
    if [ $# -eq 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local fifo="$WORK/display.fifo"
    mkfifo "$fifo"
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$fifo" >/dev/null 2>&1 &
    PIDS+=($!)
    local number
    read -r -t 20 number <"$fifo" || fail "Xvfb did not start"
    export DISPLAY=":$number"
    for arg in "$@"; do
        case $arg in
        --wm)
            openbox --sm-disable >/dev/null 2>&1 &
            PIDS+=($!)
            wait_until "openbox to manage the screen" xprop -root _NET_SUPPORTING_WM_CHECK
            ;;
        --tray)
            trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
            PIDS+=($!)
            wait_until "the tray host" tray_present
            ;;
        esac
    done
}

tray_present() { [ -n "$(tray_panel)" ]; }

# The tray host's panel, which holds the embedded icons.
tray_panel() {
    exact_titles panel $(xdotool search --name '^panel$' 2>/dev/null || true) | head -n1
}

# Whether the panel holds an icon of the program (its icon window is named after it).
tray_icon_embedded() {
    xwininfo -tree -id "$(tray_panel)" | grep -q '"tivora"'
}

# Repeats a command until it succeeds (10 s at most).
#   wait_until "what we wait for" command args...
wait_until() {
    local what=$1
    shift
    for _ in $(seq 1 200); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.05
    done
    fail "timed out waiting for $what"
}

# Window ids of windows titled exactly $1, one per line (xdotool's own name match
# ignores letter case, so the names are compared again here).
windows_titled() {
    exact_titles "$1" $(xdotool search --name "^$1\$" 2>/dev/null || true)
}

exact_titles() {
    local title=$1 w
    shift
    for w in "$@"; do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$title" ] && echo "$w"
    done
    return 0
}

app_window() { windows_titled Tivora | head -n1; }
main_window() { windows_titled Form1 | head -n1; }
has_app_window() { [ -n "$(app_window)" ]; }
has_main_window() { [ -n "$(main_window)" ]; }

list_tivora_pids() {
    pgrep -f -x "$TIVORA( .*)?" 2>/dev/null || true
}

# Writes the manifest so that the next start is a normal one.
prepare_manifest() {
    printf '%s\r\n' "$(expected_manifest)" >"$TIVORA_HOME/tivora.manifest"
}

expected_manifest() {
    printf '%s' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"><assemblyIdentity version="1.0.0.0" processorArchitecture="X86" name="company" type="win32" /><description>not necessary</description><dependency><dependentAssembly><assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="X86" publicKeyToken="6595b64144ccf1df" language="*" /></dependentAssembly></dependency></assembly>'
}

# Starts an instance in the background (normal start, manifest present) and waits for
# its main window; sets LAST_PID.
#   start_tivora [args...]
start_tivora() {
    "$TIVORA" "$@" >>"$WORK/tivora.log" 2>&1 &
    LAST_PID=$!
    PIDS+=($LAST_PID)
    wait_until "the main window of pid $LAST_PID" window_of_pid "$LAST_PID"
}

window_of_pid() {
    xdotool search --all --pid "$1" --name '^Form1$' 2>/dev/null | head -n1 | grep -q .
}

# The id of a window of the given process titled $2.
window_of() {
    exact_titles "$2" $(xdotool search --all --pid "$1" --name "^$2\$" 2>/dev/null || true) | head -n1
}

# Opens the options dialog through the widget's popup menu (its second item,
# "Настройки") and waits for it to be mapped; sets OPTIONS_DIALOG to its window id.
#   open_options_dialog PID WIDGET_WINDOW
open_options_dialog() {
    local pid=$1 X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$2")"
    xdotool mousemove $((X + 20)) $((Y + 20)) click 3
    wait_until "the popup menu" popup_shown "$pid"
    xdotool key Down Down Return
    wait_until "the options dialog" has_window "$pid" "Опции"
    OPTIONS_DIALOG=$(window_of "$pid" "Опции")
    wait_until "the dialog to be mapped" bash -c "xwininfo -id $OPTIONS_DIALOG | grep -q IsViewable"
}

# Whether a popup menu of the process is on the screen: a window of its own on the root,
# bypassing the window manager (the tray icon's window, also named after the program,
# sits inside the tray).
popup_shown() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' \
            && xwininfo -tree -id "$w" 2>/dev/null | grep -q 'Parent window id: .*(the root window)' \
            && return 0
    done
    return 1
}
popup_closed() { ! popup_shown "$1"; }

has_window() { [ -n "$(window_of "$1" "$2")" ]; }

# Sends a close request to a window and waits for it to be gone.
close_window() {
    "$SEND_CLOSE" "$1" 10 || fail "window $1 did not close"
}

# Waits for a process to end and checks its exit code.
#   wait_exit PID EXPECTED_CODE
wait_exit() {
    local code=0
    for _ in $(seq 1 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$1" 2>/dev/null && fail "process $1 did not end"
    wait "$1" || code=$?
    [ "$code" -eq "$2" ] || fail "process $1 ended with $code, expected $2"
}

ini_value() { # file section key
    tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" -F= '
        /^\[/ { cur = $0; next }
        cur == s && $1 == k { sub(/^[^=]*=/, ""); print; exit }'
}
