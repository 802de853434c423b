#!/bin/bash
# Plasma (a stand-in on a private bus records the scripts): whole scripts for each
# placement, tiling with and without the plugin, the removal; an odd folder name;
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

uri() { python3 -c 'import sys, urllib.parse; print("file://" + urllib.parse.quote(sys.argv[1], safe="/"))' "$1"; }

script() {  # PLUGIN LINE...: the script putting PLUGIN on every desktop, with LINE...
    printf "var all = desktops();\nfor (var i = 0; i < all.length; i++) {\n    var d = all[i];\n"
    printf "    d.wallpaperPlugin = '%s';\n    d.currentConfigGroup = ['Wallpaper', '%s', 'General'];\n" "$1" "$1"
    printf '    %s\n' "${@:2}"
    printf "}\n--\n"
}
picture_script() {  # FILE PLUGIN [FILL-MODE]
    local quoted
    quoted=$(uri "$1")
    script "$2" "d.writeConfig('Image', '${quoted//\'/\\\'}');" ${3:+"d.writeConfig('FillMode', $3);"}
}
# run_with TILE STYLE EXTENSION PLUGIN [FILL-MODE]: a run whose script (after
# ASKED, the scripts before it) shows the copy it handed (HANDED, the newest) so.
folder=$(dirname "$BITMAP")
handed() { local f; for f in "$folder"/SarvoChangerGraphic-*; do [[ ! -e $f ]] || printf '%s\n' "$f"; done; }
run_with() {
    : >"$record"
    set_placement "$1" "$2"
    run_changer
    assert_eq "$RC/$(ini_value "$REGISTRY" Wallpaper)" "0/$BITMAP" "exit code (stderr: $ERR) and stored Wallpaper"
    HANDED=$(handed | tail -n 1)
    is_handed "$HANDED" "$3" || fail "handed for $1/$2: [$HANDED]"
    assert_eq "$(cat "$record")" "${ASKED:-}$(picture_script "$HANDED" "${@:4}")" "script for $1/$2"
}

run_with 0 0 bmp org.kde.image 6
cmp -s "$HANDED" "$BITMAP" || fail "the handed picture is not the bitmap"
run_with 0 2 bmp org.kde.image 0
# Tiles through the tiling plugin where it is installed, else the image
# plugin's own where the shell's version has them, else laid out and stretched.
mkdir -p "$XDG_DATA_DIRS/plasma/wallpapers/org.kde.tiled"
run_with 1 0 bmp org.kde.tiled
rm -r "$XDG_DATA_DIRS/plasma"
ASKED=$'print(applicationVersion);--\n' run_with 1 0 png org.kde.image 0
assert_same_picture "$HANDED" "$TILE" "the laid-out tiles"

: >"$record"
"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
assert_eq "$(cat "$record")" "$(script org.kde.color "d.writeConfig('Color', '0,0,0');")" "script that removes the wallpaper"
[[ -z $(handed) ]] || fail "handed pictures left: $(ls "$folder")"

# The box's Qt must not take the Plasma call's Qt for its own (Qt would end the process).
touch "$record.refuse"
cp "$SARVO_QT_MODULE" "$PROG/"
run_changer_with_box SarvoBackdropChanger Return
assert_eq "$RC/$BOX" "1/yes" "exit code and box after a refused picture (stderr: $ERR)"

# A shell that never answers costs the run a few seconds.
mv "$record.refuse" "$record.hang"
without_box_module
CHANGER_LIMIT=30 run_changer
assert_eq "$RC" 1 "exit code with a shell that does not answer (stderr: $ERR)"
assert_contains "$ERR" "plasma：Plasma のシェル：Did not receive a reply" "the reason, before the run's own deadline"
