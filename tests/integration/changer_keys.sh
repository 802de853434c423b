#!/bin/bash
# Keys held when the changer starts hand over to the settings tool, and the
# changer then changes nothing; "/nokey", spelt exactly, skips the keys. One
# case per run:
#   space | d | n | space-d | d-n | nokey | nokey-capitals
. "$(dirname "$0")/lib.sh"

new_program_folder
use_display
quadrants "$PICS/quad.bmp"
settings_before=$(cat "$SETTINGS")
root_before=$(root_pixmap)

# CASE: the keys held, the changer's argument, and the stand-in's record of
# its start ("" for none: the wallpaper changes).
case ${1:?case} in
space) keys=(space) argument=() record="args=0" ;;
d) keys=(d) argument=() record=$'args=1\narg=/delskip' ;;
n) keys=(n) argument=() record=$'args=1\narg=/nowall' ;;
space-d) keys=(space d) argument=() record="args=0" ;;
d-n) keys=(d n) argument=() record=$'args=1\narg=/delskip' ;;
nokey) keys=(space) argument=(/nokey) record="" ;;
nokey-capitals) keys=(space) argument=(/NOKEY) record="args=0" ;;
*) fail "unknown case $1" ;;
esac

hold_keys "${keys[@]}"
run_changer "${argument[@]}"
if [[ -n $record ]]; then
    # One start of the stand-in; nothing else happened.
    assert_eq "$RC" 0 "exit code of a hand-over (stderr: $ERR)"
    wait_for_launch
    assert_eq "$LAUNCH" "$record" "arguments the settings tool was started with"
    assert_eq "$(cat "$SETTINGS")" "$settings_before" "sarvoset.ini after a hand-over"
    [[ ! -e $BITMAP ]] || fail "the bitmap was written"
    [[ ! -e $REGISTRY ]] || fail "the registry store was written"
    assert_eq "$(root_pixmap)" "$root_before" "root pixmap after a hand-over"
else
    assert_eq "$RC" 0 "exit code of a completed run (stderr: $ERR)"
    assert_no_launch
    assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$PICS/quad.bmp" "WallPaper in sarvoset.ini"
    [[ $(root_pixmap) != "$root_before" ]] || fail "the root pixmap did not change"
fi
