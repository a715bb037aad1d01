# A clock bound to a time zone, painted on both sides of a daylight-saving change: it
# shows the zone's real time, as a fixed-offset clock with the zone's offset of the
# moment would. The --at time is local, so the local zone is fixed to UTC.
source "$(dirname "$0")/lib.sh" "$@"
export TZ=UTC

# The pixels' signature of a snapshot at the given time with the given clock keys.
#   snapshot AT KEYS...
snapshot() {
    local at=$1
    shift
    { printf '[Main]\nShowSystemTime=0\n[Tivora]\nClock_01_Desc=New York\n'; printf '%s\n' "$@"; } \
        >"$TIVORA_HOME/tivora.ini"
    env -u DISPLAY "$TIVORA" --snapshot "$WORK/shot.png" --at "$at" 2>"$WORK/err.log" \
        || fail "snapshot at $at failed: $(cat "$WORK/err.log")"
    identify -format '%#' "$WORK/shot.png"
}

zone=(Clock_01_h=-5 Clock_01_Zone=America/New_York)
# New York leaves standard time (UTC-5) at 07:00 UTC on 8 March 2026 for UTC-4.
for at in 2026-03-08T06:59:50 2026-03-08T07:00:10; do
    bound=$(snapshot "$at" "${zone[@]}")
    winter=$(snapshot "$at" Clock_01_h=-5)
    summer=$(snapshot "$at" Clock_01_h=-4)
    [ "$winter" != "$summer" ] || fail "the two fixed clocks look alike at $at"
    case $at in
    *T06:*) [ "$bound" = "$winter" ] || fail "before the change the zone's clock is not at UTC-5" ;;
    *) [ "$bound" = "$summer" ] || fail "after the change the zone's clock is not at UTC-4" ;;
    esac
done
# A moment with a zone suffix names the same instant from any local zone.
for at in 2026-03-08T07:00:10Z 2026-03-08T02:00:10-05:00; do
    [ "$(TZ=Asia/Tokyo snapshot "$at" "${zone[@]}")" = "$bound" ] || fail "--at $at is another instant"
done
# A zone this machine does not know leaves the clock at its stored offset.
[ "$(snapshot 2026-03-08T07:00:10 Clock_01_h=-5 Clock_01_Zone=Nowhere/Atlantis)" = "$winter" ] \
    || fail "an unknown zone did not leave the stored offset"
echo "zone snapshot: ok"
