#!/bin/bash
# A picture given to the changer goes to the settings tool as "/add" and the
# picture's absolute path; nothing else happens. One case per run:
#   relative | odd-names | not-a-picture
. "$(dirname "$0")/lib.sh"

new_program_folder
no_display
quadrants "$PICS/quad.bmp"
settings_before=$(cat "$SETTINGS")

handed_over() {
    assert_eq "$RC" 0 "exit code of a hand-over (stderr: $ERR)"
    wait_for_launch
    assert_eq "$LAUNCH" $'args=1\narg=/add'"$1" "arguments the settings tool was started with"
    assert_eq "$(cat "$SETTINGS")" "$settings_before" "sarvoset.ini after a hand-over"
    [[ ! -e $BITMAP ]] || fail "the bitmap was written"
}

case ${1:?case} in
relative)
    mkdir -p "$T/album"
    cp "$PICS/quad.bmp" "$T/album/Sea.JPG"
    cd "$T/album" || fail "no album"
    run_changer Sea.JPG
    handed_over "$T/album/Sea.JPG"
    ;;
odd-names)
    dir="$T/my \"best\" \$HOME 'pics' 写真"
    mkdir -p "$dir"
    for name in 'a b.gif' 'say "cheese".jpeg' '$PATH.bmp' 'ü ß 夏.jpg'; do
        rm -f "$LAUNCHES"
        cp "$PICS/quad.bmp" "$dir/$name"
        run_changer "$dir/$name"
        handed_over "$dir/$name"
    done
    ;;
not-a-picture)
    # An existing file that is no picture by name: no hand-over; the changer
    # goes on with a wallpaper change, which fails here for want of a display.
    printf 'notes' >"$T/notes.txt"
    run_changer "$T/notes.txt"
    assert_no_launch
    assert_contains "$ERR" "no graphical session" "reason of the failed change"
    assert_eq "$RC" 1 "exit code of a run stopped with a message"
    ;;
*) fail "unknown case $1" ;;
esac
