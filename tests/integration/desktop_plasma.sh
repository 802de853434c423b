#!/bin/bash
# Plasma (a stand-in on a private bus records the scripts; the real shell's test
# shows each placement): the plugin that tiles, the removal; an odd folder name;
# a refused picture explained in a box; a shell that never answers.
. "$(dirname "$0")/lib.sh"
with_session_bus "$@"

desktop_program_folder
use_display
export XDG_CURRENT_DESKTOP=KDE XDG_DATA_DIRS=$T/system-data
export XDG_DATA_HOME="$T/data \"q\" 'a' \\b \$HOME 写真"
BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
expected_screens "$PICS/quad.bmp"

record=$T/scripts
desktop_stand_in plasma "$record"
scripts() { cat "$record"; }
folder=$(dirname "$BITMAP")
handed() { local f; for f in "$folder"/SarvoChangerGraphic-*; do [[ ! -e $f ]] || printf '%s\n' "$f"; done; }
# run_tiled EXTENSION: a tiled run; HANDED, the copy it handed, named in its script as a file URI.
run_tiled() {
    : >"$record"
    set_placement 1 0
    run_changer
    assert_eq "$RC" 0 "exit code of a tiled run (stderr: $ERR)"
    HANDED=$(handed | tail -n 1)
    is_handed "$HANDED" "$1" || fail "handed for tiles: [$HANDED]"
    local uri; uri=$(python3 -c 'import sys, urllib.parse; print("file://" + urllib.parse.quote(sys.argv[1], safe="/"))' "$HANDED")
    assert_contains "$(scripts)" "d.writeConfig('Image', '${uri//\'/\\\'}');" "the handed picture in the script"
}

# Tiles through the tiling plugin where it is installed, of the bitmap itself...
mkdir -p "$XDG_DATA_DIRS/plasma/wallpapers/org.kde.tiled"
run_tiled bmp
assert_contains "$(scripts)" "d.wallpaperPlugin = 'org.kde.tiled';" "the plugin with the tiling plugin installed"
cmp -s "$HANDED" "$BITMAP" || fail "the handed picture is not the bitmap"
# ...else, where the shell does not tell a version whose image plugin tiles, laid out and stretched.
rm -r "$XDG_DATA_DIRS/plasma"
run_tiled png
assert_contains "$(scripts)" $'print(applicationVersion);--\n' "the shell's version asked first"
assert_contains "$(scripts)" "d.wallpaperPlugin = 'org.kde.image';" "the plugin of laid-out tiles"
assert_contains "$(scripts)" "d.writeConfig('FillMode', 0);" "the fill mode of laid-out tiles"
assert_same_picture "$HANDED" "$TILE" "the laid-out tiles"

: >"$record"
"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
assert_contains "$(scripts)" "d.wallpaperPlugin = 'org.kde.color';" "the plugin after removing the wallpaper"
assert_contains "$(scripts)" "d.writeConfig('Color', '0,0,0');" "the colour after removing the wallpaper"
[[ -z $(handed) ]] || fail "handed pictures left: $(ls "$folder")"

# The box's Qt must not take the Plasma call's Qt for its own (Qt would end the process).
touch "$record.refuse"
cp "$SARVO_QT_MODULE" "$PROG/"
run_changer_with_box SarvoBackdropChanger Return
assert_eq "$RC" 1 "exit code after a refused picture (stderr: $ERR)"
assert_eq "$BOX" yes "a box after a refused picture"

# A shell that never answers costs the run a few seconds.
mv "$record.refuse" "$record.hang"
without_box_module
CHANGER_LIMIT=30 run_changer
assert_eq "$RC" 1 "exit code with a shell that does not answer (stderr: $ERR)"
assert_contains "$ERR" "plasma: the Plasma shell: Did not receive a reply" "the reason, before the run's own deadline"
