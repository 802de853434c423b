#!/bin/bash
# sway, for real: a headless sway (as an unprivileged user, since sway
# refuses root) with swaybg, watched through grim screenshots. The sway
# backend with each placement and the removal, then the swaybg backend that
# serves other wlroots compositors, which must keep one swaybg per session.
# The bitmap's folder name holds every character sway's command parser
# treats specially.
. "$(dirname "$0")/lib.sh"
as_unprivileged "$@"

desktop_program_folder
export XDG_RUNTIME_DIR=$T/run XDG_STATE_HOME=$T/state
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_DATA_HOME="$T/data \"q\" 'a' \\b \$HOME \`c\` 写真"
BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp

printf 'output HEADLESS-1 mode 320x240\n' >"$T/sway.config"
export WAYLAND_DISPLAY=wayland-1 XDG_CURRENT_DESKTOP=sway:wlroots
unset DISPLAY

# start_sway: a headless sway of its own, ended with the test.
start_sway() {
    # sway takes its socket's path from SWAYSOCK when that is set.
    unset SWAYSOCK
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
        sway -c "$T/sway.config" </dev/null >"$T/sway.log" 2>&1 &
    sway_pid=$!
    CLEANUPS+=("kill $sway_pid 2>/dev/null")
    local socket=$XDG_RUNTIME_DIR/sway-ipc.$(id -u).$sway_pid.sock
    poll "sway's start ($(tail -n 5 "$T/sway.log"))" test -S "$socket" -a -e "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
    export SWAYSOCK=$socket
}

start_sway

expected_screens "$PICS/quad.bmp"

# swaybg scales smoothly, our reference by nearest pixel.
check() { assert_screen_becomes grim "$(screen_of "$1" "$2")" "sway, $1/$2" "$([[ $2 == 2 ]] && echo "$SEAMS")"; }
each_placement check
"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
assert_screen_becomes grim "$BLACK" "sway, removed"

# The swaybg backend, in the same session: one swaybg at a time.
export SARVO_DESKTOP_BACKEND=wlroots
# A sway that has started no swaybg of its own, as other compositors have
# none.
kill "$sway_pid"
poll "sway's end" test ! -e "$SWAYSOCK" -a ! -e "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
start_sway
swaybg_pid() { read -r pid _ <"$XDG_STATE_HOME/sarvo-backdrop-changer/swaybg-wayland-1.pid" && echo "$pid"; }
CLEANUPS+=('kill "$(swaybg_pid)" 2>/dev/null')
first=
for placement in "0 0 $CENTRE" "1 0 $TILE"; do
    read -r tile style expected <<<"$placement"
    set_placement "$tile" "$style"
    run_changer
    assert_eq "$RC" 0 "exit code with swaybg (stderr: $ERR)"
    pid=$(swaybg_pid) || fail "no swaybg recorded"
    [[ $pid != "$first" ]] || fail "the second run recorded the same swaybg"
    assert_screen_becomes grim "$expected" "swaybg, $tile/$style"
    first=${first:-$pid}
done
poll "the previous swaybg's end" eval '! kill -0 "$first" 2>/dev/null'
"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper with swaybg"
assert_screen_becomes grim "$BLACK" "swaybg, removed"

