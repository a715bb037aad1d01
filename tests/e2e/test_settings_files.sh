# The settings file written on close, a write-protected settings file (one warning per
# save, and the program still ends), a manifest that cannot be created, no display, the
# temporary file of a save cut short removed at start-up.
source "$(dirname "$0")/lib.sh" "$@"
start_display
prepare_manifest

# Only the program's own leftovers go; files a person named alike stay untouched.
printf '[Main]\n' >"$TIVORA_HOME/.tivora.ini.tivora-save-Ab12Cd"
chmod 0600 "$TIVORA_HOME/.tivora.ini.tivora-save-Ab12Cd"
mkdir -p "$TIVORA_HOME/Skins"
lookalikes=".tivora.ini.backup .langfile.lng.orig01 .notes.ini.copy42 Skins/.Default.bmp.before"
for f in $lookalikes; do printf 'mine\n' >"$TIVORA_HOME/$f"; chmod 0600 "$TIVORA_HOME/$f"; done
start_tivora
[ ! -e "$TIVORA_HOME/.tivora.ini.tivora-save-Ab12Cd" ] || fail "temporary file of an earlier save kept"
for f in $lookalikes; do
    [ "$(cat "$TIVORA_HOME/$f")" = mine ] || fail "$f touched at start-up"
    rm -f "$TIVORA_HOME/$f"
done
close_window "$(window_of "$LAST_PID" Tivora)"
wait_exit "$LAST_PID" 0
expected=$(printf '%s\n' '[Main]' Width=10 ShowArray=1 ShowDate=1 ShowDesc=1 ShowDigits=1 \
    ShowDelimiters=0 ShowWhiteBG=0 ShowTextWhiteBG=0 ShowSystemTime=1 Skin=Default \
    ActiveTr=255 PassiveTr=255 StayOnTop=1 SysTimeDesc=System pTop=263 pLeft=373)
[ "$(tr -d '\r' <"$TIVORA_HOME/tivora.ini")" = "$expected" ] \
    || fail "unexpected settings file: $(cat "$TIVORA_HOME/tivora.ini")"
[ -f "$TIVORA_HOME/Skins/Default.bmp" ] && [ -f "$TIVORA_HOME/Skins/Default.ini" ] \
    || fail "default skin not created"

# A termination signal (logout, kill) closes the widget like any other way out: the
# settings are saved.
printf '[Main]\npLeft=77\n' >"$TIVORA_HOME/tivora.ini"
start_tivora
kill -TERM "$LAST_PID"
wait_exit "$LAST_PID" 0
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Main pLeft)" = 77 ] || fail "not saved on SIGTERM"
[ "$(ini_value "$TIVORA_HOME/tivora.ini" Main Width)" = 10 ] || fail "not saved on SIGTERM"

# Read-only settings: the warning box shows once; after it is dismissed the program ends.
chmod 0444 "$TIVORA_HOME/tivora.ini"
before=$(md5sum <"$TIVORA_HOME/tivora.ini")
start_tivora
pid=$LAST_PID
"$SEND_CLOSE" "$(window_of "$pid" Tivora)" 0
# Every warning box waits for its own answer: a program that showed a second one, at once
# or after the first, would not end after the one answer given here.
dismiss_box "$pid" Warning
wait_exit "$pid" 0
[ "$(md5sum <"$TIVORA_HOME/tivora.ini")" = "$before" ] || fail "read-only settings file changed"
[ -z "$(find "$TIVORA_HOME" -maxdepth 1 -name '.tivora*')" ] || fail "temporary file left behind"

# Read-only settings and a termination signal: no one may be there to answer a box, so
# the warning goes to the error output and the program ends.
start_tivora
kill -TERM "$LAST_PID"
wait_exit "$LAST_PID" 0
grep -q 'Warning: Не удалось сохранить настройки' "$WORK/tivora.log" || fail "no warning on the error output"

# A manifest that cannot be created: "Application Error" box, then exit code 1.
locked="$WORK/locked"
mkdir -p "$locked"
chmod 0555 "$locked"
TIVORA_HOME=$locked "$TIVORA" >>"$WORK/tivora.log" 2>&1 &
pid=$!
PIDS+=($pid)
dismiss_box "$pid" "Application Error"
wait_exit "$pid" 1
[ -z "$(ls -A "$locked")" ] || fail "files written into a write-protected folder"

# Without a display: one clear line, a non-zero exit code, no abort.
set +e
out=$(env -u DISPLAY -u QT_QPA_PLATFORM "$TIVORA" 2>&1)
code=$?
set -e
[ "$code" -ne 0 ] && [ "$code" -lt 128 ] || fail "exit code $code without a display"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] && grep -q 'display' <<<"$out" || fail "unclear message: $out"
echo "settings files: ok"
