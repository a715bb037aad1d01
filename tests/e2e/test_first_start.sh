# First start: the manifest is written byte for byte, the program starts itself anew
# (without the arguments it was given) and ends with code 0 without showing a window.
source "$(dirname "$0")/lib.sh" "$@"
start_display

"$TIVORA" /close >"$WORK/first.log" 2>&1 || fail "first start ended with $?"
[ -z "$(main_window)" ] || true
cmp <(printf '%s\r\n' "$(expected_manifest)") "$TIVORA_HOME/tivora.manifest" \
    || fail "manifest content differs"

# The relaunched instance runs normally: its windows appear and it writes nothing yet.
wait_until "the relaunched instance" has_main_window
[ ! -e "$TIVORA_HOME/tivora.ini" ] || fail "settings written at start-up"

# A second start finds the manifest and runs normally beside the first.
start_tivora
[ "$(windows_titled Tivora | wc -l)" -eq 2 ] || fail "expected two application windows"

# Closing both through their application windows saves the settings and ends them.
for w in $(windows_titled Tivora); do close_window "$w"; done
wait_until "every instance to end" bash -c "! pgrep -f -x '$TIVORA' >/dev/null"
[ -s "$TIVORA_HOME/tivora.ini" ] || fail "no settings written on close"
echo "first start: ok"
