#!/bin/bash
# Headless sway (as "nobody"), seen through grim: the sway backend's placements
# and removal with shell syntax in the folder name (sway expands it as a shell word); Qt's
# screen size.
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
