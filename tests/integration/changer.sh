#!/bin/bash
# The real SarvoChanger as a process. One case per run; with a display (the
# shared Xvfb, whose root shows the wallpaper):
#   placements     centred (also with no pair stored), tiled, stretched
#   replace        a second run frees the first run's pixmap
#   stale          root properties naming a pixmap whose owner is gone
#   two-monitors   each monitor shows the picture by itself
#   keys           Space, D and N held hand over; "/nokey" skips them
#   box            a stopping run's message in a box
# and without one:
#   no-session     nowhere to show the picture: said so on standard error,
#                  exit code 1, nothing changed
. "$(dirname "$0")/lib.sh"

new_program_folder
quadrants "$PICS/quad.bmp"
settings_before=$(cat "$SETTINGS")

# A completed run: exit 0, the picture recorded in sarvoset.ini, the bitmap
# in the registry store, both root properties naming one pixmap.
assert_completed() {
    assert_eq "$RC" 0 "exit code of a completed run (stderr: $ERR)"
    assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$1" "WallPaper in sarvoset.ini"
    assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "Wallpaper in the registry store"
    [[ $(root_pixmap) != none ]] || fail "_XROOTPMAP_ID is not set"
    assert_eq "$(root_pixmap ESETROOT_PMAP_ID)" "$(root_pixmap)" "ESETROOT_PMAP_ID and _XROOTPMAP_ID"
}
# The settings tool was started with RECORD; nothing else happened.
assert_handed_over() {
    assert_eq "$RC" 0 "exit code of a hand-over (stderr: $ERR)"
    wait_for_launch
    assert_eq "$LAUNCH" "$1" "arguments the settings tool was started with"
    assert_eq "$(cat "$SETTINGS")" "$settings_before" "sarvoset.ini after a hand-over"
    [[ ! -e $BITMAP ]] || fail "the bitmap was written"
}
# A run stopped with a message keeps a previous run's state.
stopped_run() {
    printf 'WallPaper=%s\r\n' "$T/old/last.jpg" >>"$SETTINGS"
    mkdir -p "$(dirname "$BITMAP")"
    quadrants "$BITMAP" 8 8
    cp "$BITMAP" "$T/bitmap-before"
    settings_before=$(cat "$SETTINGS")
}
assert_kept() {
    assert_eq "$RC" 1 "exit code of a run stopped with a message"
    assert_eq "$(cat "$SETTINGS")" "$settings_before" "sarvoset.ini"
    cmp -s "$BITMAP" "$T/bitmap-before" || fail "the bitmap was changed"
}

case ${1:?case} in
placements)
    use_display
    for placement in "- - -size 320x240 xc:black $PICS/quad.bmp -gravity center -composite" \
                     "1 0 -size 320x240 tile:$PICS/quad.bmp" "0 2 $PICS/quad.bmp -filter point -resize 320x240!"; do
        read -r tile style expected <<<"$placement"
        [[ $tile == - ]] || set_placement "$tile" "$style"
        run_changer
        assert_completed "$PICS/quad.bmp"
        # shellcheck disable=SC2086  # the arguments of the expected screen
        "$IM_CONVERT" $expected "$T/expected.png"
        assert_root_shows "$T/expected.png" "picture with placement $tile/$style"
    done
    ;;
replace)
    use_display
    quadrants "$PICS/second.bmp" 32 32
    run_changer
    first_picture=$(ini_value "$SETTINGS" WallPaper) first=$(root_pixmap)
    run_changer
    assert_completed "$([[ $first_picture == "$PICS/quad.bmp" ]] && echo "$PICS/second.bmp" || echo "$PICS/quad.bmp")"
    second=$(root_pixmap)
    [[ $second != "$first" ]] || fail "the second run did not publish a new pixmap"
    "$SARVO_ROOT_TOOL" alive "$second" || fail "the new pixmap $second does not exist"
    if "$SARVO_ROOT_TOOL" alive "$first"; then fail "the old pixmap $first was not freed"; fi
    ;;
stale)
    # The kill of the stale pixmap's owner fails; the changer must neither
    # die of it nor give up.
    use_display
    stale=$("$SARVO_ROOT_TOOL" stale) || fail "cannot leave stale properties"
    assert_eq "$(root_pixmap)" "$stale" "stale _XROOTPMAP_ID in place"
    set_placement 1 0
    run_changer
    assert_completed "$PICS/quad.bmp"
    "$IM_CONVERT" -size 320x240 "tile:$PICS/quad.bmp" "$T/expected.png"
    assert_root_shows "$T/expected.png" "tiled picture over stale properties"
    ;;
two-monitors)
    # Tiled from each monitor's own corner, stretched to its own size.
    use_display
    split_screen
    set_placement 1 0
    run_changer
    assert_completed "$PICS/quad.bmp"
    "$IM_CONVERT" -size 160x240 "tile:$PICS/quad.bmp" -size 160x240 "tile:$PICS/quad.bmp" +append "$T/expected.png"
    assert_root_shows "$T/expected.png" "picture tiled on each monitor"
    set_placement 0 2
    run_changer
    "$IM_CONVERT" "$PICS/quad.bmp" -filter point -resize '160x240!' "$T/half.png"
    "$IM_CONVERT" "$T/half.png" "$T/half.png" +append "$T/expected.png"
    assert_root_shows "$T/expected.png" "picture stretched on each monitor"
    ;;
keys)
    use_display
    root_before=$(root_pixmap)
    for held in "space:args=0" $'d:args=1\narg=/delskip' $'n:args=1\narg=/nowall'; do
        rm -f "$LAUNCHES"
        hold_keys "${held%%:*}"
        run_changer
        release_keys
        assert_handed_over "${held#*:}"
        assert_eq "$(root_pixmap)" "$root_before" "root pixmap after a hand-over"
    done
    rm -f "$LAUNCHES"
    hold_keys space
    run_changer /nokey
    assert_no_launch
    assert_completed "$PICS/quad.bmp"
    ;;
box)
    use_display
    stopped_run
    printf 'this is no JPEG' >"$PICS/broken photo.jpg"
    rm "$PICS/quad.bmp"
    timeout 60 "$PROG/SarvoChanger" >"$T/stdout" 2>"$T/stderr" &
    changer=$!
    CLEANUPS+=("kill $changer 2>/dev/null")
    box=$(timeout 30 xdotool search --sync --name '^SarvoBackdropChanger$' | head -n 1)
    [[ -n $box ]] || fail "no box titled SarvoBackdropChanger appeared"
    kill -0 "$changer" 2>/dev/null || fail "the changer did not wait for the box"
    xdotool windowfocus --sync "$box" key Return || fail "cannot answer the box"
    wait "$changer"
    RC=$?
    assert_kept
    [[ $(cat "$T/stderr") != *壊れています* ]] || fail "the message went to standard error as well"
    ;;
no-session)
    no_display
    stopped_run
    run_changer
    assert_kept
    assert_contains "$ERR" $'SarvoBackdropChanger\n壁紙を設定できませんでした。' "message on standard error"
    assert_contains "$ERR" "no graphical session" "reason on standard error"
    [[ ! -e $REGISTRY ]] || fail "the registry store was written"
    ;;
*) fail "unknown case $1" ;;
esac
