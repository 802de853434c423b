#!/bin/bash
# Headless sway (as "nobody"), seen through grim: the sway backend's placements
# and removal with shell syntax in the folder name (sway expands it as a shell word); Qt's
# screen size; the swaybg backend of other compositors, one swaybg a session.
. "$(dirname "$0")/lib.sh"
as_unprivileged "$@"

desktop_program_folder
export XDG_STATE_HOME=$T/state XDG_CURRENT_DESKTOP=sway:wlroots SARVO_DESKTOP_BACKEND=sway
export XDG_DATA_HOME="$T/data \"q\" 'a' \\b \$HOME \`c\` 写真 Jo (old) & {x}; <y> | *?[ ~ #"
BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
use_headless_sway 320x240
expected_screens "$PICS/quad.bmp"
check() { assert_screen_becomes grim "$(screen_of "$1" "$2")" "sway, $1/$2" "$([[ $2 == 2 ]] && echo "$SEAMS")"; }
each_placement check
"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
assert_screen_becomes grim "$BLACK" "sway, removed"

assert_eq "$("$SARVO_SERVICE_TOOL" screen)" "320 240" "size of sway's one output"
swaymsg output HEADLESS-1 scale 1.5 >/dev/null || fail "cannot scale sway's output"  # Qt: 214x160 at scale 2
assert_eq "$("$SARVO_SERVICE_TOOL" screen)" "320 240" "size of sway's one output at 150%"
swaymsg output HEADLESS-1 scale 1 >/dev/null || fail "cannot scale sway's output back"

# The swaybg backend, on a sway with no swaybg of its own, as other compositors.
export SARVO_DESKTOP_BACKEND=wlroots
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
