#!/bin/bash
# Hostile names for the program folder, the picture folder and the pictures:
# nothing executed nor mangled; a line break's name never chosen nor added.
# changer: each shown, recorded, handed over; settool: each added, delete-skipped;
# the changer started from its menu entry in that folder.
. "$(dirname "$0")/../integration/lib.sh"

new_program_folder
odd=$'$HOME `touch pwned` $(touch pwned) 50% %s%n \'q\' "dq"'
mv "$PROG" "$T/prog $odd" && PROG="$T/prog $odd" SETTINGS="$T/prog $odd/sarvoset.ini"
mkdir "$T/pics $odd" && PICS="$T/pics $odd"
printf '[Sarvo Changer]\r\nFolderPath=%s\r\n' "$PICS" >"$SETTINGS"
names=("$odd.bmp" $'caf\xe9 \xff.gif' "--nokey.jpg" "-x.bmp")
quadrants "$T/picture.bmp" 8 8
cd "$T" || fail "no scratch folder"

case ${1:?case} in
changer)
    use_display
    without_box_module
    for name in "${names[@]}"; do
        rm -f "$PICS"/* "$LAUNCHES"
        cp "$T/picture.bmp" "$PICS/$name"
        run_changer
        assert_eq "$RC" 0 "exit code with [$name] (stderr: $ERR)"
        assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$PICS/$name" "WallPaper with [$name]"
        run_changer "$PICS/$name"
        wait_for_launch
        assert_eq "$LAUNCH" $'args=1\narg=/add'"$PICS/$name" "the settings tool's start with [$name]"
    done
    rm -f "$PICS"/*
    cp "$T/picture.bmp" "$PICS/"$'line\nbreak.bmp'
    run_changer
    assert_eq "$RC" 1 "exit code with only a line break's name"
    assert_contains "$ERR" "指定したフォルダに画像がありません。" "message with only a line break's name"
    ;;
settool)
    no_display
    with_settool
    cp "$SARVO_STANDIN" "$PROG/SarvoChanger"
    mkdir "$T/album"
    for name in "${names[@]}"; do
        cp "$T/picture.bmp" "$T/album/$name"
        "$PROG/SarvoSetTool" "/add$T/album/$name" || fail "cannot add [$name]"
        cmp -s "$PICS/$name" "$T/picture.bmp" || fail "[$name] was not added as it is named: $(ls "$PICS")"
        printf '[Sarvo Changer]\r\nFolderPath=%s\r\nWallPaper=%s\r\n' "$PICS" "$PICS/$name" >"$SETTINGS"
        "$PROG/SarvoSetTool" /delskip || fail "cannot delete-skip [$name]"
        cmp -s "$PROG/TrashBox/$name" "$T/picture.bmp" || fail "[$name] is not in TrashBox: $(ls "$PROG/TrashBox")"
    done
    cp "$T/picture.bmp" "$T/album/"$'line\nbreak.bmp'
    err=$("$PROG/SarvoSetTool" "/add$T/album/"$'line\nbreak.bmp' 2>&1) && fail "a line break's name was added"
    assert_contains "$err" "改行を含む名前の画像は壁紙にできません。" "message for a line break's name"
    [[ -e "$T/album/"$'line\nbreak.bmp' ]] || fail "the picture with a line break's name was moved"
    "$PROG/SarvoSetTool" 2>/dev/null  # no window here, but the menu's entries first
    rm -f "$LAUNCHES"
    gio launch "$XDG_DATA_HOME/applications/sarvo-backdrop-changer.desktop" || fail "GLib did not start the menu entry"
    wait_for_launch
    assert_eq "$LAUNCH" "args=0" "the changer's start from its menu entry"
    ;;
*) fail "unknown case $1" ;;
esac
[[ -z $(find "$T" / -maxdepth 1 -name pwned) ]] || fail "a name was executed"
