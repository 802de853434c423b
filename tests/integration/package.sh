#!/bin/bash
# The Linux release archive: made by CPack and unpacked into a folder whose
# path holds blanks, quotes, $, % and non-ASCII. One case per run:
#   archive     laid out as one program folder, needing no library outside
#               the Debian packages its readme names
#   life-cycle  a user's whole time with the suite: the changer puts up a
#               picture; the settings tool's window, of a fixed size, is
#               driven with the keyboard (a folder typed, the log-on start
#               ticked, tiles chosen), and the log-on entry is checked by the
#               desktop's own validator and started through GLib; the
#               uninstaller's window removes the current version: the log-on
#               entry, the bitmap and the wallpaper are gone, the program
#               folder is as it was
#   SARVO_CPACK_CONFIG      the build's CPackConfig.cmake
#   SARVO_RUNTIME_PACKAGES  the file listing the readme's packages
. "$(dirname "$0")/lib.sh"

T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-package.XXXXXX") || fail "no temporary folder"
trap cleanup EXIT

cpack --config "$SARVO_CPACK_CONFIG" -G TGZ -B "$T/out" >"$T/cpack.log" 2>&1 || fail "cpack: $(cat "$T/cpack.log")"
archives=("$T"/out/sarvo-backdrop-changer-*-linux-x86_64.tar.gz)
[[ ${#archives[@]} == 1 && -f ${archives[0]} ]] || fail "no single archive in $(ls "$T/out")"
unpacked="$T/my \"sarvo\" \$HOME 50% ダウンロード 先"
mkdir -p "$unpacked"
tar -xzf "${archives[0]}" -C "$unpacked" || fail "cannot unpack ${archives[0]}"
folder=$(echo "$unpacked"/*)
[[ -d $folder && $(basename "$folder") == sarvo-backdrop-changer-*-linux-x86_64 ]] || fail "not one program folder: $folder"

use_display
export HOME=$T/home XDG_CONFIG_HOME=$T/config XDG_DATA_HOME=$T/data XDG_RUNTIME_DIR=$T/run
mkdir -m 700 "$T/run"
unset SARVO_DESKTOP_BACKEND XDG_CURRENT_DESKTOP WAYLAND_DISPLAY XDG_SESSION_TYPE
BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
REGISTRY=$XDG_CONFIG_HOME/sarvo-backdrop-changer/registry.ini
AUTOSTART=$XDG_CONFIG_HOME/autostart/SarvoChanger.desktop

# answer_box NOT-THIS-ONE: waits for a message box other than the window
# NOT-THIS-ONE (a box just answered), confirms it with Return; sets BOX.
answer_box() {
    box_up() { BOX=$(xdotool search --onlyvisible --name '^SarvoUninstaller$' 2>/dev/null | grep -vx "${1:-none}" | head -n 1) && [[ -n $BOX ]]; }
    poll "a message box" box_up "$@"
    xdotool windowfocus --sync "$BOX" key Return || fail "cannot answer the box"
}

# tree_state: every file of the program folder with its checksum, and every folder.
tree_state() {
    (cd "$folder" && find . -type d | sort && find . -type f -exec sha256sum {} + | sort -k 2)
}

case ${1:?case} in
archive)
    # The layout: the programs and their Qt module, two empty folders, readme, licence.
    for entry in "$folder"/*; do
        name=$(basename "$entry")
        [[ $name =~ ^(Sarvo[A-Za-z]+|sarvo-[a-z-]+\.so|README\.txt|LICENSE\.txt|TrashBox|WallPaper)$ ]] ||
            fail "unexpected in the program folder: $name"
    done
    for program in SarvoChanger SarvoSetTool SarvoUninstaller; do [[ -x $folder/$program ]] || fail "no $program"; done
    for sub in TrashBox WallPaper; do [[ -d $folder/$sub && -z $(ls -A "$folder/$sub") ]] || fail "$sub: not empty"; done
    packages=$(cat "$SARVO_RUNTIME_PACKAGES")
    assert_contains "$(cat "$folder/README.txt")" "$packages" "the readme names the runtime packages"

    # Every library the programs and modules load belongs to a package that the
    # readme's list brings along.
    closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
        --no-enhances $packages 2>/dev/null | grep -v '^ ' | sort -u)
    [[ -n $closure ]] || fail "apt-cache knows none of: $packages"
    # The libraries, under each name the package database may know them by
    # (with and without the /usr prefix), asked of dpkg in one call.
    loaded=$(for binary in "$folder"/Sarvo* "$folder"/*.so; do [[ -f $binary ]] && ldd "$binary"; done)
    [[ $loaded != *"not found"* ]] || fail "a library is not found: $(grep 'not found' <<<"$loaded")"
    libraries=$(sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p' <<<"$loaded" | sort -u)
    [[ -n $libraries ]] || fail "ldd found no libraries"
    names=$(while read -r library; do
        real=$(realpath "$library")
        printf '%s\n' "$library" "$real" "${real#/usr}" "/usr$real"
    done <<<"$libraries" | sort -u)
    mapfile -t name_list <<<"$names"
    owners=$(dpkg -S "${name_list[@]}" 2>/dev/null)
    while read -r library; do
        real=$(realpath "$library")
        package=$(grep -F -e ": $library" -e ": $real" -e ": ${real#/usr}" -e ": /usr$real" <<<"$owners" |
            head -n 1 | cut -d: -f1)
        [[ -n $package ]] || fail "$library is loaded by the programs, but no Debian package holds it"
        grep -qx "$package" <<<"$closure" || fail "the programs need $package ($library), which the readme's packages do not bring"
    done <<<"$libraries"
    ;;
life-cycle)
    quadrants "$folder/WallPaper/first picture.bmp"
    quadrants "$folder/TrashBox/skipped.bmp"
    timeout 60 "$folder/SarvoChanger" >"$T/stdout" 2>"$T/stderr" || fail "the changer failed: $(cat "$T/stderr")"
    [[ -f $BITMAP && $(root_pixmap) != none ]] || fail "the changer put up no wallpaper: $(cat "$T/stderr")"

    # The window's client area is 4155 x 5700 twips: 277 x 380 pixels at 96
    # DPI, and neither minimise (8, 0x20) nor maximise (16, 0x40) is offered.
    open_window "$folder/SarvoSetTool" 'Sarvo Changer SettingTool'
    hints=$(xprop -id "$WIN" WM_NORMAL_HINTS _MOTIF_WM_HINTS)
    assert_contains "$hints" "program specified minimum size: 277 by 380" "fixed size"
    assert_contains "$hints" "program specified maximum size: 277 by 380" "fixed size"
    read -r functions decorations < <(sed -n 's/^_MOTIF_WM_HINTS.* = [^,]*, \([^,]*\), \([^,]*\),.*/\1 \2/p' <<<"$hints")
    (( (functions & 0x18) == 0 && (decorations & 0x60) == 0 )) || fail "minimise or maximise offered: $hints"
    # The focus starts in the folder box; then, in focus order, the folder
    # button, the help text, the log-on box, the delete-skip button and the
    # placement list, which opens on the centred placement the changer used.
    xdotool key ctrl+a && xdotool type --delay 20 "$T/typed" || fail "cannot type"
    poll "FolderPath following the typing" eval '[[ $(ini_value "$folder/sarvoset.ini" FolderPath) == "$T/typed" ]]'
    xdotool key --delay 50 Tab Tab Tab space
    poll "the log-on entry" test -s "$AUTOSTART"
    # The list opens on the centred placement the changer used: one down is tiled.
    xdotool key --delay 50 Tab Tab Down
    poll "the tiled placement" eval '[[ $(ini_value "$REGISTRY" TileWallpaper) == 1 ]]'
    assert_eq "$(ini_value "$REGISTRY" WallpaperStyle)" 0 "WallpaperStyle of the tiled placement"
    close_window
    assert_eq "$(ini_value "$folder/sarvoset.ini" StartUp)" 1 "StartUp after the settings window closed"
    # The desktop's own readers of the log-on entry: the validator, and GLib
    # starting it (with a recorder in the changer's place).
    validation=$(desktop-file-validate "$AUTOSTART" 2>&1) && [[ -z $validation ]] || fail "desktop-file-validate: $validation"
    printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$#" >"%s"\n' "$T/started" >"$folder/SarvoChanger"
    "$SARVO_LAUNCH_TOOL" "$AUTOSTART" || fail "GLib did not start the log-on entry"
    assert_eq "$(cat "$T/started")" "$folder/SarvoChanger"$'\n'0 "program GLib started, and its argument count"
    before=$(tree_state)

    # The uninstaller opens on the current version's button: press it, say
    # Yes, confirm that it is done. The window stays open until closed.
    open_window "$folder/SarvoUninstaller" 'Sarvo Changer Uninstaller'
    xdotool key space
    answer_box
    question=$BOX
    answer_box "$question"
    poll "the closing box's end" eval '[[ -z $(xdotool search --name "^SarvoUninstaller\$" 2>/dev/null) ]]'
    kill -0 "$PID" 2>/dev/null || fail "the uninstaller ended with its removal ($(cat "$T/window.out"))"
    close_window

    [[ ! -e $AUTOSTART ]] || fail "the log-on entry is still there"
    [[ ! -e $(dirname "$BITMAP") ]] || fail "the bitmap folder is still there: $(ls -A "$(dirname "$BITMAP")")"
    assert_eq "$(root_pixmap) $(root_pixmap ESETROOT_PMAP_ID)" "none none" "the root window's picture"
    tr -d '\r' <"$REGISTRY" | grep -qx "Wallpaper=" || fail "the store's Wallpaper is not empty: $(cat "$REGISTRY")"
    assert_eq "$(tree_state)" "$before" "the program folder after the uninstaller"
    ;;
*) fail "unknown case $1" ;;
esac
