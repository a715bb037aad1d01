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
    set +e
    stop_everything
    chmod -R u+w "$WORK" 2>/dev/null
    rm -rf "$WORK"
    exit $status
}
trap cleanup EXIT

# Ends every process this test started, directly or through another (a relaunched
# instance), by pid: politely first, then by force whatever still runs after 5 seconds
# (a program showing a modal box ignores SIGTERM). Waits, bounded, until they are gone:
# an X server still shutting down would remove the socket of the next test's server if
# that one took the same number.
stop_everything() {
    local pids signal pid end
    pids="${PIDS[*]} $(own_pids)"
    for signal in TERM KILL; do
        pids=$(running $pids)
        [ -n "$pids" ] || return 0
        kill -$signal $pids 2>/dev/null
        end=$((SECONDS + 5))
        while [ -n "$(running $pids)" ] && [ "$SECONDS" -lt "$end" ]; do
            sleep 0.05
        done
    done
    pids=$(running $pids)
    [ -z "$pids" ] || echo "could not end processes $pids" >&2
}

# The processes that carry this test's runtime folder in their environment: everything
# it started. Read with shell builtins only, so no helper process shows up in the list.
own_pids() {
    local dir var
    for dir in /proc/[0-9]*; do
        while IFS= read -r -d '' var; do
            if [ "$var" = "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" ]; then
                echo "${dir#/proc/}"
                break
            fi
        done 2>/dev/null <"$dir/environ"
    done
}

# Whether a process runs (a zombie has ended; it only waits to be reaped).
alive() {
    local stat
    { read -r stat <"/proc/$1/stat"; } 2>/dev/null || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

# Those of the given pids that still run.
running() {
    local pid
    for pid in "$@"; do
        if alive "$pid"; then echo "$pid"; fi
    done
}

ended() { ! alive "$1"; }

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$WORK/tivora.log" ]; then
        echo "--- what the program printed:" >&2
        tail -n 20 "$WORK/tivora.log" >&2
    fi
    exit 1
}

# Every call of the X tools is bounded: a tool that does not answer (xdotool can loop
# over a window that vanishes while it looks at it) counts as a failed attempt and says
# so, instead of stopping the test until ctest's limit.
bounded() {
    local tool=$1 code
    shift
    timeout 10 "$tool" "$@" || {
        code=$?
        [ $code -ne 124 ] || echo "$tool $* did not answer within 10 seconds" >&2
        return $code
    }
}
xdotool() { bounded xdotool "$@"; }
xprop() { bounded xprop "$@"; }
xwininfo() { bounded xwininfo "$@"; }
xdpyinfo() { bounded xdpyinfo "$@"; }
export -f bounded xdotool xprop xwininfo xdpyinfo # for the checks run through bash -c

# Provides an X display: the test command's, or a private Xvfb (with, on request, a
# window manager, a tray host, or a log of the clients that connect, with their pids,
# in $WORK/xvfb.log). A server must not reset when its last client leaves: connections
# made during a reset fail.
#   start_display [--own] [--wm] [--tray] [--audit] [--size=WIDTHxHEIGHT]
#                 (--own: private, nothing more)
start_display() {
    # A plain display is shared: the one scripts/test.sh started, when there is one.
    # (The tests run one at a time and end every process they start.) Any other is
    # always private.
    if [ $# -eq 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local fifo="$WORK/display.fifo" audit=() size=1280x1024 arg number
    for arg in "$@"; do
        [ "$arg" = --audit ] && audit=(-audit 4)
        [[ $arg == --size=* ]] && size=${arg#--size=}
    done
    mkfifo "$fifo"
    Xvfb -displayfd 5 -screen 0 "${size}x24" -nolisten tcp -noreset "${audit[@]}" \
        5>"$fifo" >/dev/null 2>"$WORK/xvfb.log" &
    PIDS+=($!)
    read -r -t 20 number <"$fifo" || fail "Xvfb did not start"
    export DISPLAY=":$number"
    for arg in "$@"; do
        case $arg in
        --wm)
            openbox --sm-disable >/dev/null 2>&1 &
            PIDS+=($!)
            wait_until "openbox to manage the screen" xprop -root _NET_SUPPORTING_WM_CHECK
            # The check is set before openbox handles map requests; a window mapped
            # then may never be shown. Ready means a window it was asked to show shows.
            wait_until "openbox to show windows" wm_shows_a_probe
            ;;
        --tray)
            trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
            PIDS+=($!)
            wait_until "the tray host" tray_present
            ;;
        esac
    done
}

# Shows a probe window and waits (a few seconds) until the window manager lists it as
# its client; fails when it does not, so that a caller can try again.
wm_shows_a_probe() {
    xev -name tivora-probe -geometry 8x8+0+0 >/dev/null 2>&1 &
    local probe=$! window="" end=$((SECONDS + 3))
    PIDS+=($probe)
    until [ -n "$window" ] && wm_lists "$window"; do
        if [ "$SECONDS" -ge "$end" ]; then
            kill "$probe" 2>/dev/null
            return 1
        fi
        sleep 0.05
        window=$(probe_window)
    done
    kill "$probe"
    wait_until "the window manager to let the probe window go" wm_forgot "$window"
}
probe_window() {
    local id
    id=$(xdotool search --name '^tivora-probe$' 2>/dev/null | head -n1) || true
    [ -n "$id" ] && printf '0x%x' "$id"
}
wm_lists() { [[ " $(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,//g') " == *" $1 "* ]]; }
wm_forgot() { ! wm_lists "$1"; }
# Waits until the window manager has handled every request made before: it has shown a
# window asked for after them, and has let it go again.
wm_caught_up() { wait_until "the window manager to catch up" wm_shows_a_probe; }

tray_present() { [ -n "$(tray_panel)" ]; }

# The tray host's panel, which holds the embedded icons.
tray_panel() {
    first_titled panel $(xdotool search --name '^panel$' 2>/dev/null || true)
}

# Whether the panel holds an icon of the program (its icon window is named after it).
tray_icon_embedded() {
    [[ $(xwininfo -tree -id "$(tray_panel)") == *'"tivora"'* ]]
}

# Repeats a command until it succeeds, for 20 seconds at most. On a timeout the
# failure names what the command printed last.
#   wait_until "what we wait for" command args...
wait_until() {
    local what=$1 end=$((SECONDS + 20)) out
    shift
    until out=$("$@" 2>&1); do
        [ "$SECONDS" -lt "$end" ] || fail "timed out waiting for $what${out:+ ($out)}"
        sleep 0.05
    done
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

# The first of the given windows titled exactly $1. (A pipe into head could end the
# listing early, which pipefail reports as a failure.)
first_titled() {
    local title=$1 w
    shift
    for w in "$@"; do
        if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$title" ]; then
            echo "$w"
            return 0
        fi
    done
    return 0
}

# Running instances of the program under test that this test started, directly or not.
list_tivora_pids() {
    local pid program
    program=$(readlink -f "$TIVORA")
    for pid in $(own_pids); do
        [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$program" ] && alive "$pid" && echo "$pid"
    done
    return 0
}

app_window() { first_titled Tivora $(xdotool search --name '^Tivora$' 2>/dev/null || true); }
main_window() { first_titled Form1 $(xdotool search --name '^Form1$' 2>/dev/null || true); }
has_app_window() { [ -n "$(app_window)" ]; }
has_main_window() { [ -n "$(main_window)" ]; }

# Writes the manifest so that the next start is a normal one.
prepare_manifest() {
    printf '%s\r\n' "$(expected_manifest)" >"$TIVORA_HOME/tivora.manifest"
}

expected_manifest() {
    printf '%s' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"><assemblyIdentity version="1.0.0.0" processorArchitecture="X86" name="company" type="win32" /><description>not necessary</description><dependency><dependentAssembly><assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="X86" publicKeyToken="6595b64144ccf1df" language="*" /></dependentAssembly></dependency></assembly>'
}

# Starts an instance in the background (normal start, manifest present) and waits until
# its main window is shown; sets LAST_PID.
#   start_tivora [args...]
start_tivora() {
    "$TIVORA" "$@" >>"$WORK/tivora.log" 2>&1 &
    LAST_PID=$!
    PIDS+=($LAST_PID)
    wait_until "the main window of pid $LAST_PID" window_shown "$LAST_PID" Form1
}

# Whether the process shows a window titled $2.
window_shown() {
    [ -n "$(first_titled "$2" $(xdotool search --all --pid "$1" --onlyvisible --name "^$2\$" 2>/dev/null || true))" ]
}

# The id of a window of the given process titled $2.
window_of() {
    first_titled "$2" $(xdotool search --all --pid "$1" --name "^$2\$" 2>/dev/null || true)
}

# Opens the options dialog through the widget's popup menu (its second item,
# "Настройки") and waits for it to be shown; sets OPTIONS_DIALOG to its window id.
#   open_options_dialog PID WIDGET_WINDOW
open_options_dialog() {
    local pid=$1 X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$2")"
    xdotool mousemove $((X + 20)) $((Y + 20)) click 3
    wait_until "the popup menu" popup_shown "$pid"
    xdotool key Down Down Return
    wait_until "the options dialog" window_shown "$pid" "Опции"
    OPTIONS_DIALOG=$(window_of "$pid" "Опции")
}

# Whether a popup menu of the process is on the screen: a window of its own on the root,
# bypassing the window manager (the tray icon's window, also named after the program,
# sits inside the tray).
popup_shown() {
    local w popup=$'Parent window id: [^\n]*[(]the root window[)].*Override Redirect State: yes'
    for w in $(xdotool search --all --pid "$1" --onlyvisible 2>/dev/null || true); do
        [[ $(xwininfo -tree -stats -id "$w" 2>/dev/null) =~ $popup ]] && return 0
    done
    return 1
}
popup_closed() { ! popup_shown "$1"; }

has_window() { [ -n "$(window_of "$1" "$2")" ]; }

# Sends a close request to a window and waits for it to be gone.
close_window() {
    "$SEND_CLOSE" "$1" 10 || fail "window $1 did not close"
}

# Waits until a message box titled $2 of process $1 is shown, then closes it as its
# title bar's close button would (the box's only button, OK, answers that).
dismiss_box() {
    wait_until "the box \"$2\"" window_shown "$1" "$2"
    close_window "$(window_of "$1" "$2")"
}

# Waits for a process started by this shell to end and checks its exit code.
#   wait_exit PID EXPECTED_CODE
wait_exit() {
    local code=0
    wait_until "process $1 to end" ended "$1"
    wait "$1" || code=$?
    [ "$code" -eq "$2" ] || fail "process $1 ended with $code, expected $2"
}

ini_value() { # file section key
    tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" -F= '
        /^\[/ { cur = $0; next }
        cur == s && $1 == k { sub(/^[^=]*=/, ""); print; exit }'
}
