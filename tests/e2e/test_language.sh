# The language file: a first start writes the templates of the main window, its
# messages and menu, and the about window, in that order; a caption translated in a
# Windows-1251 file shows as the window's title after a restart.
source "$(dirname "$0")/lib.sh" "$@"
start_display
prepare_manifest
lang="$TIVORA_HOME/langfile.lng"

start_tivora
pid=$LAST_PID
wait_until "the language file" grep -q '^Label7_h=' "$lang"
sections=$(grep '^\[' "$lang" | tr '\n' ' ')
[ "$sections" = "[Form1] [Lang] [Menu] [Form3] " ] || fail "sections in the new file: $sections"
[ "$(ini_value "$lang" Menu N4)" = "Выход" ] || fail "menu template: $(cat "$lang")"
close_window "$(app_window)"
wait_exit "$pid" 0

# "Часы" (clock) as the main window's caption, the whole file in Windows-1251 (which
# has no minus sign: the shift messages' one becomes a hyphen).
iconv -f UTF-8 -t CP1251//TRANSLIT "$lang" | sed 's/^Form1=Form1$/Form1=\xd7\xe0\xf1\xfb/' >"$WORK/lang.1251"
cp "$WORK/lang.1251" "$lang"
"$TIVORA" >>"$WORK/tivora.log" 2>&1 &
pid=$!
PIDS+=($pid)
wait_until "the translated caption" bash -c "xdotool search --all --pid $pid --name . \
    | xargs -r -n1 xdotool getwindowname | grep -qx 'Часы'"
cmp -s "$WORK/lang.1251" "$lang" || fail "a described window rewrote the language file"
close_window "$(app_window)"
wait_exit "$pid" 0
echo "language: ok"
