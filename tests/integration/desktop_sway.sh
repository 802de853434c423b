#!/bin/bash
# sway, for real: a headless sway (as an unprivileged user, since sway
# refuses root) with swaybg, watched through grim screenshots. The sway
# backend with each placement and the removal, then the swaybg backend that
# serves other wlroots compositors, which must keep one swaybg per session.
# The bitmap's folder name holds every character sway's command parser
# treats specially.
. "$(dirname "$0")/lib.sh"
as_unprivileged "$@"

new_program_folder
without_box_module
export XDG_RUNTIME_DIR=$T/run XDG_STATE_HOME=$T/state
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_DATA_HOME="$T/data \"q\" 'a' \\b \$HOME \`c\` 写真"
BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
quadrants "$PICS/quad.bmp"

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

stop_sway() {
    kill "$sway_pid"
    poll "sway's end" test ! -e "$SWAYSOCK" -a ! -e "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
}

start_sway

expected_screens "$PICS/quad.bmp"
sway_shot() { grim "$1"; }

for placement in "0 0 centre" "1 0 tile" "0 2 stretch"; do
    read -r tile style name <<<"$placement"
    set_placement "$tile" "$style"
    run_changer
    assert_eq "$RC" 0 "exit code with $name (stderr: $ERR)"
    assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "Wallpaper in the registry store"
    # swaybg scales smoothly, our reference by nearest pixel.
    assert_screen_becomes sway_shot "$T/$name.png" "sway, $name" "$([[ $name == stretch ]] && echo "$SEAMS")"
done
"$SARVO_APPLY_TOOL" "" || fail "cannot remove the wallpaper"
assert_screen_becomes sway_shot "$BLACK" "sway, removed"

# The swaybg backend, in the same session: one swaybg at a time.
export SARVO_DESKTOP_BACKEND=wlroots
# A sway that has started no swaybg of its own, as other compositors have
# none.
stop_sway
start_sway
swaybg_pid() { read -r pid _ <"$XDG_STATE_HOME/sarvo-backdrop-changer/swaybg-wayland-1.pid" && echo "$pid"; }
CLEANUPS+=('kill "$(swaybg_pid)" 2>/dev/null')
set_placement 0 0
run_changer
assert_eq "$RC" 0 "exit code with swaybg (stderr: $ERR)"
first=$(swaybg_pid) || fail "no swaybg recorded"
assert_screen_becomes sway_shot "$CENTRE" "swaybg, centre"
set_placement 1 0
run_changer
assert_eq "$RC" 0 "exit code with swaybg again (stderr: $ERR)"
second=$(swaybg_pid)
[[ $second != "$first" ]] || fail "the second run recorded the same swaybg"
assert_screen_becomes sway_shot "$TILE" "swaybg, tile"
poll "the previous swaybg's end" eval '! kill -0 "$first" 2>/dev/null'
"$SARVO_APPLY_TOOL" "" || fail "cannot remove the wallpaper with swaybg"
assert_screen_becomes sway_shot "$BLACK" "swaybg, removed"

