#!/bin/bash
# The changer shows the picture on the X root window with the placement in
# the registry store, and records it. One case per run:
#   centre | tile | stretch | no-pair | larger | replace | stale | huge |
#   two-monitors
. "$(dirname "$0")/lib.sh"

new_program_folder
use_display
quadrants "$PICS/quad.bmp"

# A completed run: exit 0, the picture recorded in sarvoset.ini, the bitmap
# recorded in the registry store, both root properties naming one pixmap.
assert_completed() {
    assert_eq "$RC" 0 "exit code of a completed run (stderr: $ERR)"
    assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$1" "WallPaper in sarvoset.ini"
    assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "Wallpaper in the registry store"
    [[ $(root_pixmap) != none ]] || fail "_XROOTPMAP_ID is not set"
    assert_eq "$(root_pixmap ESETROOT_PMAP_ID)" "$(root_pixmap)" "ESETROOT_PMAP_ID and _XROOTPMAP_ID"
}

# shows TILE STYLE IMAGE-ARGUMENT...: a run with that placement pair (none
# when TILE is "-") completes and the root shows what ImageMagick makes of
# the picture with the arguments.
shows() {
    [[ $1 == - ]] || set_placement "$1" "$2"
    run_changer
    assert_completed "$PICS/quad.bmp"
    "$IM_CONVERT" "${@:3}" "$T/expected.png"
    assert_root_shows "$T/expected.png" "picture with placement $1/$2"
}

case ${1:?case} in
centre) shows 0 0 -size 320x240 xc:black "$PICS/quad.bmp" -gravity center -composite ;;
tile) shows 1 0 -size 320x240 "tile:$PICS/quad.bmp" ;;
stretch) shows 0 2 "$PICS/quad.bmp" -filter point -resize '320x240!' ;;
# Nothing stored yet: centred, and the store gains "Wallpaper".
no-pair) shows - - -size 320x240 xc:black "$PICS/quad.bmp" -gravity center -composite ;;
larger)
    # A JPEG larger than the screen, centred: cut on every side.
    rm "$PICS/quad.bmp"
    quadrants "$T/large.bmp" 400 300
    "$IM_CONVERT" "$T/large.bmp" -quality 100 -sampling-factor 1x1 "$PICS/large photo.jpg"
    set_placement 0 0
    run_changer
    assert_completed "$PICS/large photo.jpg"
    "$IM_CONVERT" "$T/large.bmp" -crop 320x240+40+30 +repage "$T/expected.png"
    # JPEG is lossy: compare with the tolerance of its rounding.
    "$SARVO_ROOT_TOOL" dump "$T/root.ppm" || fail "cannot read the root window"
    differing=$("$IM_COMPARE" -metric AE -fuzz 4% "$T/root.ppm" "$T/expected.png" null: 2>&1)
    assert_eq "$differing" 0 "pixels of the cut picture off by more than 4%"
    ;;
replace)
    # A second run frees the first run's pixmap and publishes its own.
    quadrants "$PICS/second.bmp" 32 32
    run_changer
    first_picture=$(ini_value "$SETTINGS" WallPaper)
    first=$(root_pixmap)
    run_changer
    assert_completed "$([[ $first_picture == "$PICS/quad.bmp" ]] && echo "$PICS/second.bmp" || echo "$PICS/quad.bmp")"
    second=$(root_pixmap)
    [[ $second != "$first" ]] || fail "the second run did not publish a new pixmap"
    "$SARVO_ROOT_TOOL" alive "$second" || fail "the new pixmap $second does not exist"
    if "$SARVO_ROOT_TOOL" alive "$first"; then fail "the old pixmap $first was not freed"; fi
    ;;
stale)
    # Both properties name a pixmap whose owner is gone: the kill fails, and
    # the changer must neither die of it nor give up.
    stale=$("$SARVO_ROOT_TOOL" stale) || fail "cannot leave stale properties"
    assert_eq "$(root_pixmap)" "$stale" "stale _XROOTPMAP_ID in place"
    set_placement 1 0
    run_changer
    assert_completed "$PICS/quad.bmp"
    "$IM_CONVERT" -size 320x240 "tile:$PICS/quad.bmp" "$T/expected.png"
    assert_root_shows "$T/expected.png" "tiled picture over stale properties"
    ;;
two-monitors)
    # Each monitor shows the picture by itself: tiled from its own corner,
    # and stretched to its own size.
    "$SARVO_ROOT_TOOL" split || fail "cannot make two monitors"
    CLEANUPS+=('"$SARVO_ROOT_TOOL" unsplit')
    set_placement 1 0
    run_changer
    assert_completed "$PICS/quad.bmp"
    "$IM_CONVERT" -size 160x240 "tile:$PICS/quad.bmp" -size 160x240 "tile:$PICS/quad.bmp" +append "$T/expected.png"
    assert_root_shows "$T/expected.png" "picture tiled on each monitor"
    set_placement 0 2
    run_changer
    assert_eq "$RC" 0 "exit code of the second run (stderr: $ERR)"
    "$IM_CONVERT" "$PICS/quad.bmp" -filter point -resize '160x240!' "$T/half.png"
    "$IM_CONVERT" "$T/half.png" "$T/half.png" +append "$T/expected.png"
    assert_root_shows "$T/expected.png" "picture stretched on each monitor"
    ;;
huge)
    # A 6000 x 4000 photo becomes the wallpaper like any other. (Its peak
    # memory against the bitmap's size is measured by bench/run.sh.)
    rm "$PICS/quad.bmp"
    "$IM_CONVERT" -size 6000x4000 gradient:red-blue -quality 90 "$PICS/huge.jpg" || fail "no huge picture"
    set_placement 0 2
    run_changer
    assert_completed "$PICS/huge.jpg"
    assert_eq "$(stat -c %s "$BITMAP")" 72000054 "size of the bitmap"
    ;;
*) fail "unknown case $1" ;;
esac
