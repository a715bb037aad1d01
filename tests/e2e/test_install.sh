# An installed Tivora: staged with `cmake --install` into a temporary root that is then
# write-protected, started from there without TIVORA_HOME and with a home folder of its
# own. The first start, the save on "/close" from a second installed instance and the
# save on close all land in the per-user folder, created on the first start, and
# nowhere else. Nothing is installed on this machine.
source "$(dirname "$0")/lib.sh" "$@"
start_display

stage="$WORK/root"
cmake --install "$(dirname "$TIVORA")" --prefix "$stage/usr" >"$WORK/install.log" 2>&1 \
    || fail "cannot stage the install: $(tail -n 3 "$WORK/install.log")"
chmod -R a-w "$stage"
TIVORA="$stage/usr/bin/tivora" # what start_tivora runs and the clean-up ends
[ -x "$TIVORA" ] || fail "no installed program"

unset TIVORA_HOME
export HOME="$WORK/user"
export XDG_CONFIG_HOME="$HOME/config"
# Font and shader caches belong to the libraries, not the program: keep them out of
# the home folder whose contents are checked.
export XDG_CACHE_HOME="$WORK/cache"
mkdir -p "$HOME"
data="$XDG_CONFIG_HOME/tivora"
staged() { (cd "$stage" && find . -printf '%p %m %s %T@\n' | sort); }
before=$(staged)
cd "$stage/usr/bin"

# First start: the manifest goes to the per-user folder, made for the owner only, and
# the program starts itself anew, in the user's language.
LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8 "$TIVORA" >>"$WORK/tivora.log" 2>&1 &
PIDS+=($!)
wait_exit "$!" 0
cmp <(printf '%s\r\n' "$(expected_manifest)") "$data/tivora.manifest" \
    || fail "no manifest in the per-user folder"
[ "$(stat -c %a "$data")" = 700 ] || fail "per-user folder has mode $(stat -c %a "$data")"
wait_until "the relaunched instance" has_main_window
first=$(list_tivora_pids)
[ "$(wc -w <<<"$first")" -eq 1 ] || fail "expected one running instance, found: $first"
[ ! -e "$data/tivora.ini" ] || fail "settings written at start-up"

# A second installed instance with "/close": the first saves where it keeps its files.
start_tivora /close
second=$LAST_PID
only_second() { [ "$(list_tivora_pids)" = "$second" ]; }
wait_until "the first instance to end" only_second
[ "$(ini_value "$data/tivora.ini" Main Skin)" = Default ] || fail "the first instance did not save"
close_window "$(window_of "$second" Tivora)"
wait_exit "$second" 0

[ -f "$data/Skins/Default.bmp" ] && [ -f "$data/Skins/Default.ini" ] && [ -f "$data/langfile.lng" ] \
    || fail "default skin or language file not in the per-user folder"
elsewhere=$(find "$HOME" -type f ! -path "$data/*")
[ -z "$elsewhere" ] || fail "files written outside the per-user folder: $elsewhere"
[ "$(staged)" = "$before" ] || fail "the installed files changed"
cmp -s "$stage/usr/share/tivora/lang/de.lng" "$data/langfile.lng" || fail "German not installed"
echo "install: ok"
