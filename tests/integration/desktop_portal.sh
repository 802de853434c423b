#!/bin/bash
# An unknown Wayland session: swaybg hands over to the portal (a stand-in on a
# private bus), given the open file; it cannot remove a wallpaper, and says so.
. "$(dirname "$0")/lib.sh"
with_session_bus "$@"

desktop_program_folder
unset DISPLAY
export WAYLAND_DISPLAY=wayland-sarvo-none XDG_STATE_HOME=$T/state

record=$T/portal
desktop_stand_in portal "$record"

set_placement 1 0
run_changer
assert_eq "$RC" 0 "exit code through the portal (stderr: $ERR)"
assert_same_picture "png:$record" "$BITMAP" "the picture the portal was handed"
assert_contains "$(cat "$record.options")" "'set-on': <'background'>, 'show-preview': <false>" "the portal's options"
assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "Wallpaper in the registry store"

why=$("$SARVO_SERVICE_TOOL" apply "" 2>&1)
assert_eq "$?" 1 "exit code of removing the wallpaper through the portal"
assert_contains "$why" "wlroots：swaybg がすぐに終了しました" "reason of the swaybg backend"
assert_contains "$why" "portal：デスクトップ ポータルでは壁紙を消せません。" "reason of the portal"
assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "Wallpaper in the registry store after the refusal"

