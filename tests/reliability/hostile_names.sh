#!/bin/bash
# Hostile names for the program folder and the picture folder: nothing executed;
# settool: a picture whose name holds a line break is never added.
. "$(dirname "$0")/../integration/lib.sh"

new_program_folder
odd=$'$HOME `touch pwned` $(touch pwned) 50% %s%n \'q\' "dq"'
mv "$PROG" "$T/prog $odd" && PROG="$T/prog $odd" SETTINGS="$T/prog $odd/sarvoset.ini"
mkdir "$T/pics $odd" && PICS="$T/pics $odd"
printf '[Sarvo Changer]\r\nFolderPath=%s\r\n' "$PICS" >"$SETTINGS"
quadrants "$T/picture.bmp" 8 8
cd "$T" || fail "no scratch folder"

case ${1:?case} in
settool)
    no_display
    with_settool
    mkdir "$T/album"
    cp "$T/picture.bmp" "$T/album/"$'line\nbreak.bmp'
    err=$("$PROG/SarvoSetTool" "/add$T/album/"$'line\nbreak.bmp' 2>&1) && fail "a line break's name was added"
    assert_contains "$err" "改行を含む名前の画像は壁紙にできません。" "message for a line break's name"
    [[ -e "$T/album/"$'line\nbreak.bmp' ]] || fail "the picture with a line break's name was moved"
    ;;
*) fail "unknown case $1" ;;
esac
[[ -z $(find "$T" / -maxdepth 1 -name pwned) ]] || fail "a name was executed"
