#!/bin/bash
# Keys held when the changer starts hand over to the settings tool, and the
# changer then changes nothing. One case per run:
#   space | d | n | space-d | d-n | nokey | nokey-capitals
. "$(dirname "$0")/lib.sh"

new_program_folder
use_display
quadrants "$PICS/quad.bmp"
settings_before=$(cat "$SETTINGS")
root_before=$(root_pixmap)

# handed_over EXPECTED_RECORD: one start of the stand-in with that record;
# nothing else happened.
handed_over() {
    assert_eq "$RC" 0 "exit code of a hand-over (stderr: $ERR)"
    wait_for_launch
    assert_eq "$LAUNCH" "$1" "arguments the settings tool was started with"
    assert_eq "$(cat "$SETTINGS")" "$settings_before" "sarvoset.ini after a hand-over"
    [[ ! -e $BITMAP ]] || fail "the bitmap was written"
    [[ ! -e $REGISTRY ]] || fail "the registry store was written"
    assert_eq "$(root_pixmap)" "$root_before" "root pixmap after a hand-over"
}

changed_wallpaper() {
    assert_eq "$RC" 0 "exit code of a completed run (stderr: $ERR)"
    assert_no_launch
    assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$PICS/quad.bmp" "WallPaper in sarvoset.ini"
    [[ $(root_pixmap) != "$root_before" ]] || fail "the root pixmap did not change"
}

case ${1:?case} in
space)
    hold_keys space
    run_changer
    handed_over "args=0"
    ;;
d)
    hold_keys d
    run_changer
    handed_over $'args=1\narg=/delskip'
    ;;
n)
    hold_keys n
    run_changer
    handed_over $'args=1\narg=/nowall'
    ;;
space-d)
    hold_keys space d
    run_changer
    handed_over "args=0"
    ;;
d-n)
    hold_keys d n
    run_changer
    handed_over $'args=1\narg=/delskip'
    ;;
nokey)
    hold_keys space
    run_changer /nokey
    changed_wallpaper
    ;;
nokey-capitals)
    hold_keys space
    run_changer /NOKEY
    handed_over "args=0"
    ;;
*) fail "unknown case $1" ;;
esac
