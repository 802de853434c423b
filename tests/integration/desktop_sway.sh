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
export XDG_STATE_HOME=$T/state XDG_CURRENT_DESKTOP=sway:wlroots
export XDG_DATA_HOME="$T/data \"q\" 'a' \\b \$HOME \`c\` 写真"
BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
use_headless_sway 320x240

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
kill "$SWAY_PID"
poll "sway's end" test ! -e "$SWAYSOCK"
use_headless_sway 320x240
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

