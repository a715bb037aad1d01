# The command line: --help and --version answer without starting or writing anything;
# --language en installs the shipped English file, after which the menu and the options
# dialog speak English; a Wayland platform choice gives way to xcb with a note.
source "$(dirname "$0")/lib.sh" "$@"

out=$("$TIVORA" --help) || fail "--help failed"
[[ $out == "usage: tivora"*"--language CODE"*"SIGTERM"* ]] || fail "--help printed: $out"
[ "$("$TIVORA" -h)" = "$out" ] || fail "-h differs from --help"
[ "$("$TIVORA" --version)" = "tivora 2.1" ] || fail "--version printed: $("$TIVORA" --version)"
code=0
"$TIVORA" --language xx 2>/dev/null || code=$?
[ "$code" -eq 2 ] || fail "--language xx ended with $code"
[ -z "$(ls -A "$TIVORA_HOME")" ] || fail "files written: $(ls -A "$TIVORA_HOME")"

start_display
prepare_manifest
lang="$TIVORA_HOME/langfile.lng"

# The width of the popup menu, opened on the widget of process $1.
menu_width() {
    local pid=$1 X Y WIDTH HEIGHT SCREEN WINDOW w
    eval "$(xdotool getwindowgeometry --shell "$(window_of "$pid" Form1)")"
    xdotool mousemove $((X + 20)) $((Y + 20)) click 3
    wait_until "the popup menu" popup_shown "$pid"
    for w in $(xdotool search --all --pid "$pid" --onlyvisible 2>/dev/null || true); do
        if [[ $(xwininfo -id "$w") == *"Override Redirect State: yes"* ]]; then
            eval "$(xdotool getwindowgeometry --shell "$w")"
            MENU_WIDTH=$WIDTH
        fi
    done
}

start_tivora
pid=$LAST_PID
wait_until "the language file" grep -q '^Label7_h=' "$lang"
menu_width "$pid"
russian=$MENU_WIDTH
xdotool key Escape
close_window "$(app_window)"
wait_exit "$pid" 0

QT_QPA_PLATFORM=wayland start_tivora --language en
pid=$LAST_PID
grep -q 'QT_QPA_PLATFORM=wayland replaced by xcb' "$WORK/tivora.log" || fail "no note on the platform"
cmp -s "$(dirname "$TIVORA")/lang/en.lng" "$lang" || fail "English not installed"
grep -q '^N4=Выход$' "$lang.bak" || fail "the Russian file was not kept"
menu_width "$pid"
[ "$MENU_WIDTH" -lt "$russian" ] || fail "menu $MENU_WIDTH pixels wide, the Russian one $russian"
xdotool key Down Down Return
wait_until "the options dialog in English" window_shown "$pid" Options
close_window "$(window_of "$pid" Options)"
close_window "$(app_window)"
wait_exit "$pid" 0
echo "command line: ok"
