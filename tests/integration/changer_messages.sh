#!/bin/bash
# Runs that stop with a message, without a display: the message goes to
# standard error exactly, the exit code is 1, and the files are left as they
# were. One case per run:
#   folder-missing | empty-catalogue | broken-picture | no-session
# and, with a display, the same kind of message in a box:
#   box
. "$(dirname "$0")/lib.sh"

new_program_folder
no_display

# A previous run's state that a stopped run must keep.
printf '[Sarvo Changer]\r\nFolderPath=%s\r\nWallPaper=%s\r\n' "$PICS" "$T/old/last.jpg" >"$SETTINGS"
mkdir -p "$(dirname "$BITMAP")"
quadrants "$BITMAP" 8 8
cp "$BITMAP" "$T/bitmap-before"

bitmap_untouched() {
    cmp -s "$BITMAP" "$T/bitmap-before" || fail "the bitmap was changed"
}

case ${1:?case} in
folder-missing | empty-catalogue | broken-picture)
    case $1 in
    folder-missing)
        rmdir "$PICS"
        text=$'指定したフォルダがありません。\nSettingToolでもう一度指定しなおしてください。' ;;
    empty-catalogue)
        printf 'no picture' >"$PICS/readme.txt"
        mkdir "$PICS/sub"
        printf 'x' >"$PICS/sub/photo.png"
        text=$'指定したフォルダに画像がありません。\n以下の指定されたフォルダをご確認ください。\n\n'"$PICS/" ;;
    broken-picture)
        printf 'this is no JPEG' >"$PICS/broken photo.jpg"
        text=$'以下の画像ファイルは壊れています。\n'"$PICS/broken photo.jpg" ;;
    esac
    settings_before=$(cat "$SETTINGS")
    run_changer
    assert_eq "$RC" 1 "exit code of a run stopped with a message"
    assert_eq "$ERR" "SarvoBackdropChanger"$'\n'"$text" "standard error"
    assert_eq "$(cat "$SETTINGS")" "$settings_before" "sarvoset.ini"
    assert_no_launch
    bitmap_untouched
    ;;
box)
    use_display
    printf 'this is no JPEG' >"$PICS/broken photo.jpg"
    timeout 60 "$PROG/SarvoChanger" >"$T/stdout" 2>"$T/stderr" &
    changer=$!
    CLEANUPS+=("kill $changer 2>/dev/null")
    box=$(timeout 30 xdotool search --sync --name '^SarvoBackdropChanger$' | head -n 1)
    [[ -n $box ]] || fail "no box titled SarvoBackdropChanger appeared"
    kill -0 "$changer" 2>/dev/null || fail "the changer did not wait for the box"
    xdotool windowfocus --sync "$box" key Return || fail "cannot answer the box"
    wait "$changer"
    RC=$?
    assert_eq "$RC" 1 "exit code of a run stopped with a message"
    [[ $(cat "$T/stderr") != *壊れています* ]] || fail "the message went to standard error as well"
    assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$T/old/last.jpg" "WallPaper in sarvoset.ini"
    bitmap_untouched
    ;;
no-session)
    # A good picture, but nowhere to show it: the reason is told, nothing is
    # recorded as applied.
    quadrants "$PICS/quad.bmp"
    run_changer
    assert_eq "$RC" 1 "exit code of a run stopped with a message"
    assert_contains "$ERR" "SarvoBackdropChanger" "caption on standard error"
    assert_contains "$ERR" "no graphical session" "reason on standard error"
    assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$T/old/last.jpg" "WallPaper in sarvoset.ini"
    assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "" "Wallpaper in the registry store"
    ;;
*) fail "unknown case $1" ;;
esac
