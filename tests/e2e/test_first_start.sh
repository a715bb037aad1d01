# First start: the manifest is written byte for byte, the program starts itself anew
# (without the arguments it was given) and ends with code 0 without showing a window.
source "$(dirname "$0")/lib.sh" "$@"
start_display --audit

"$TIVORA" /close >"$WORK/first.log" 2>&1 &
first=$!
PIDS+=($first)
wait_exit "$first" 0
cmp <(printf '%s\r\n' "$(expected_manifest)") "$TIVORA_HOME/tivora.manifest" \
    || fail "manifest content differs"

# The relaunched instance runs normally: its windows appear and it writes nothing yet.
wait_until "the relaunched instance" has_main_window
relaunched=$(xdotool getwindowpid "$(main_window)")
[ "$relaunched" != "$first" ] || fail "the first start showed the window itself"
[ ! -e "$TIVORA_HOME/tivora.ini" ] || fail "settings written at start-up"
# The display logs every client with its pid: the relaunched instance is there, the first
# start never connected, so it cannot have shown a window.
grep -q "pid=$relaunched )" "$WORK/xvfb.log" || fail "the display logged no clients"
! grep -q "pid=$first )" "$WORK/xvfb.log" || fail "the first start opened the display"

# A second start finds the manifest and runs normally beside the first.
start_tivora
[ "$(windows_titled Tivora | wc -l)" -eq 2 ] || fail "expected two application windows"

# Closing both through their application windows saves the settings and ends them.
for w in $(windows_titled Tivora); do close_window "$w"; done
wait_exit "$LAST_PID" 0
wait_until "the relaunched instance to end" ended "$relaunched"
[ -s "$TIVORA_HOME/tivora.ini" ] || fail "no settings written on close"
echo "first start: ok"
