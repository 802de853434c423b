#!/bin/bash
# The real SarvoChanger: placements (two monitors, stale root properties, each
# pixmap freed by the next, then removed), keys (Space, D, N hand over; /nokey),
# no-session (the message on standard error, nothing changed), missing-decoder
# (a JPEG XL picture read from the program folder's module; without libjxl,
# the broken-picture message names the format).
. "$(dirname "$0")/lib.sh"

new_program_folder
quadrants "$PICS/quad.bmp"
settings_before=$(cat "$SETTINGS")

# A completed run: recorded in both stores, both root properties naming one pixmap.
assert_completed() {
    assert_eq "$RC|$(ini_value "$SETTINGS" WallPaper)|$(ini_value "$REGISTRY" Wallpaper)" "0|$PICS/quad.bmp|$BITMAP" \
        "exit code (stderr: $ERR)|WallPaper in sarvoset.ini|Wallpaper in the registry store"
    [[ $(root_pixmap) != none ]] || fail "_XROOTPMAP_ID is not set"
    assert_eq "$(root_pixmap ESETROOT_PMAP_ID)" "$(root_pixmap)" "ESETROOT_PMAP_ID and _XROOTPMAP_ID"
}

case ${1:?case} in
placements)
    use_display  # the stale properties' owner is gone: the changer neither dies of it nor gives up
    split_screen
    assert_eq "$("$SARVO_SERVICE_TOOL" screen)" "160 240" "size of the primary monitor, the left half"
    previous=$("$SARVO_ROOT_TOOL" stale) || fail "cannot leave stale properties"
    quad=$PICS/quad.bmp
    for placement in "- - -size 160x240 xc:black $quad -gravity center -composite" \
                     "1 0 -size 160x240 tile:$quad" "0 2 $quad -filter point -resize 160x240!"; do
        read -r tile style expected <<<"$placement"
        [[ $tile == - ]] || set_placement "$tile" "$style"
        run_changer
        assert_completed
        # shellcheck disable=SC2086  # the arguments of one monitor's expected half
        "$IM_CONVERT" $expected "$T/half.png"
        "$IM_CONVERT" "$T/half.png" "$T/half.png" +append "$T/expected.png"
        root_shot "$T/root.png" || fail "cannot read the root window"
        assert_same_picture "$T/root.png" "$T/expected.png" "picture with placement $tile/$style on each monitor"
        shown=$(root_pixmap)
        [[ $shown != "$previous" ]] || fail "the run did not publish a new pixmap"
        if "$SARVO_ROOT_TOOL" alive "$previous"; then fail "the old pixmap $previous was not freed"; fi
        previous=$shown
    done
    "$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
    assert_eq "$(root_pixmap) $(root_pixmap ESETROOT_PMAP_ID)" "none none" "root properties after removing"
    if "$SARVO_ROOT_TOOL" alive "$previous"; then fail "the removed wallpaper's pixmap was not freed"; fi
    "$IM_CONVERT" -size 320x240 xc:black "$T/black.png"
    root_shot "$T/root.png" || fail "cannot read the root window"
    assert_same_picture "$T/root.png" "$T/black.png" "root after removing the wallpaper"
    grep -q $'^Wallpaper=\r\\?$' "$REGISTRY" || fail "registry store: Wallpaper is not empty: $(cat "$REGISTRY")"
    ;;
keys)
    use_display
    root_before=$(root_pixmap)
    for held in "space:args=0" $'d:args=1\narg=/delskip' $'n:args=1\narg=/nowall'; do
        rm -f "$LAUNCHES"
        hold_keys "${held%%:*}"
        run_changer
        release_keys
        assert_eq "$RC" 0 "exit code of a hand-over (stderr: $ERR)"
        wait_for_launch
        assert_eq "$LAUNCH" "${held#*:}" "arguments the settings tool was started with"
        assert_eq "$(cat "$SETTINGS")|$(root_pixmap)" "$settings_before|$root_before" "sarvoset.ini|root pixmap after a hand-over"
        [[ ! -e $BITMAP ]] || fail "the bitmap was written"
    done
    rm -f "$LAUNCHES"
    hold_keys space
    run_changer /nokey
    assert_no_launch
    assert_completed
    ;;
no-session)
    no_display  # a previous run's state is kept
    printf 'WallPaper=%s\r\n' "$T/old/last.jpg" >>"$SETTINGS"
    mkdir -p "$(dirname "$BITMAP")"
    quadrants "$BITMAP" 8 8
    cp "$BITMAP" "$T/bitmap-before"
    settings_before=$(cat "$SETTINGS")
    run_changer
    assert_eq "$RC|$(cat "$SETTINGS")" "1|$settings_before" "exit code of a stopped run|sarvoset.ini"
    cmp -s "$BITMAP" "$T/bitmap-before" || fail "the bitmap was changed"
    assert_contains "$ERR" $'SarvoBackdropChanger\n壁紙を設定できませんでした。' "message on standard error"
    assert_contains "$ERR" "no graphical session" "reason on standard error"
    [[ ! -e $REGISTRY ]] || fail "the registry store was written"
    ;;
missing-decoder)
    no_display  # the picture is read before the desktop is asked for
    printf 'MoreFormats=1\r\n' >>"$SETTINGS"
    rm "$PICS/quad.bmp"
    cp "$(dirname "$0")/../fuzz/corpus/picture/alpha.jxl" "$PICS/alpha.jxl"
    run_changer
    assert_eq "$RC" 1 "exit code of a run without a desktop"
    assert_contains "$ERR" "壁紙を設定できませんでした。" "message after the picture was read"
    LD_LIBRARY_PATH=$SARVO_UNLOADABLE_LIBRARIES run_changer
    assert_eq "$RC" 1 "exit code without libjxl"
    assert_contains "$ERR" $'以下の画像ファイルは壊れています。\n'"$PICS/alpha.jxl"$'\nこのシステムにはJPEG XL形式の画像を読み込む機能がありません。' \
        "message on standard error"
    ;;
*) fail "unknown case $1" ;;
esac
