# shellcheck shell=bash disable=SC2034  # the variables set here are read by the test scripts
# Helpers of the desktop shells' tests, on top of tests/integration/lib.sh.
. "$(dirname "${BASH_SOURCE[0]}")/../integration/lib.sh"

# skip WHY: CTest counts the test as skipped (SKIP_RETURN_CODE), with the reason.
skip() { echo "SKIPPED: $*"; exit 77; }
needs() { local p; for p; do command -v "$p" >/dev/null || skip "$p is not installed (scripts/setup.sh installs it)"; done; }

SCREEN_W=960 SCREEN_H=720
# shell_folder DESKTOP: the program folder, an X server of its own (960x720)
# whose name the bus's services learn, XDG_CURRENT_DESKTOP=DESKTOP.
shell_folder() {
    desktop_program_folder
    export XDG_CURRENT_DESKTOP=$1 XDG_STATE_HOME=$T/state XDG_CACHE_HOME=$T/cache QT_QPA_PLATFORM=xcb
    own_xvfb "${SCREEN_W}x${SCREEN_H}x24"
    dbus-update-activation-environment DISPLAY XDG_CURRENT_DESKTOP XDG_STATE_HOME XDG_CACHE_HOME QT_QPA_PLATFORM ||
        fail "cannot hand the display to the session bus"
}
# start NAME COMMAND...: a process of the shell (STARTED), stopped when the test ends; its log is $T/NAME.log.
start() {
    "${@:2}" </dev/null >"$T/$1.log" 2>&1 & STARTED=$!
    CLEANUPS=("stop $STARTED" "${CLEANUPS[@]}")
}
# stop PID: ends a process started here, killed when it has not ended 5 s after it was asked
# (gnome-shell can hang on its way out).
stop() {
    local i
    kill "$1" 2>/dev/null
    for ((i = 0; i < 50; i++)); do [[ $(ps -o stat= -p "$1") == [^Z]* ]] || break; sleep 0.1; done
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
# up WHAT COMMAND...: like poll, but a shell that never comes up skips the test.
up() {
    local i
    for ((i = 0; i < 600; i++)); do "${@:2}" && return 0; sleep 0.1; done
    skip "$1 did not come up within 60 s: $(tail -n 3 "$T"/*.log 2>/dev/null)"
}
desktop_window() { xwininfo -root -children 2>/dev/null | grep -q "$1"; }  # a child of the root matching $1

# run_with N TILE STYLE: picture N (0, 1, 2, ...: quadrants of colours of its own, 64x48) alone in
# PICS, the changer run with that placement; sets PICTURE.
PALETTE=('#ff0000' '#00ff00' '#0000ff' '#ffff00' '#00ffff' '#ff00ff' '#ffffff' '#ff8000' '#8000ff' '#008080' '#808000' '#800000')
run_with() {
    local colours=("${PALETTE[@]:$(( $1 % 3 * 4 )):4}")
    rm -f "$PICS"/*
    PICTURE=$PICS/picture$1.bmp
    quadrants "$PICTURE" 64 48 "${colours[@]}"
    set_placement "$2" "$3"
    run_changer
    assert_eq "$RC" 0 "exit code of run $1 (stderr: $ERR)"
}
# assert_shown SHOOT TILE STYLE WHAT: SHOOT's screenshots show PICTURE so placed (TILE STYLE "- -": no
# picture, black), as far as the middle of the screen tells (a shell's panels and icons sit at its edges).
assert_shown() {
    local w=$SCREEN_W h=$SCREEN_H expected=$T/expected.png outside
    outside="0,0:$((w - 1)),$((h / 4 - 1)) 0,$((h * 3 / 4)):$((w - 1)),$((h - 1)) 0,0:$((w / 4 - 1)),$((h - 1)) $((w * 3 / 4)),0:$((w - 1)),$((h - 1))"
    case $2$3 in
    --) "$IM_CONVERT" -size "${w}x$h" xc:black "$expected" ;;
    10) "$IM_CONVERT" -size "${w}x$h" "tile:$PICTURE" "$expected" ;;
    02) "$IM_CONVERT" "$PICTURE" -filter point -resize "${w}x$h!" "$expected"
        outside+=" $((w / 2 - 16)),0:$((w / 2 + 15)),$((h - 1)) 0,$((h / 2 - 16)):$((w - 1)),$((h / 2 + 15))" ;;
    *) "$IM_CONVERT" -size "${w}x$h" xc:black "$PICTURE" -gravity center -composite "$expected"
        outside="0,0:$((w - 1)),$((h / 2 - 25)) 0,$((h / 2 + 24)):$((w - 1)),$((h - 1)) 0,0:$((w / 2 - 33)),$((h - 1)) $((w / 2 + 32)),0:$((w - 1)),$((h - 1))" ;;
    esac
    assert_screen_becomes "$1" "$expected" "$4" "$outside"
}

# private_system_bus: a second bus of the test's own as the system bus, and
# WITHOUT_SYSTEMD, a command prefix that hides /run/systemd (which would send
# a shell looking for a login manager on that bus) in a mount namespace.
private_system_bus() {
    local hide='mount -t tmpfs none /run/systemd && exec "$0" "$@"' user=()
    printf '<busconfig><type>system</type><listen>unix:path=%s</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy></busconfig>\n' \
        "$T/system-bus" >"$T/system-bus.conf"
    start system-bus dbus-daemon --nofork --config-file="$T/system-bus.conf"
    poll "the private system bus" test -S "$T/system-bus"
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$T/system-bus
    WITHOUT_SYSTEMD=()
    [[ -e /run/systemd ]] || return 0
    [[ $(id -u) == 0 ]] || user=(-U --map-current-user)
    WITHOUT_SYSTEMD=(unshare "${user[@]}" -m sh -c "$hide")
    "${WITHOUT_SYSTEMD[@]}" true 2>"$T/unshare.log" || skip "cannot hide /run/systemd in a mount namespace: $(cat "$T/unshare.log")"
}
