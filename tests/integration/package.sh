#!/bin/bash
# The Linux release archive: made by CPack and unpacked into a folder whose
# path holds blanks and non-ASCII. One case per run:
#   archive     laid out as one program folder, needing no library outside
#               the Debian packages its readme names, and working from there
#   life-cycle  a user's whole time with the suite: the changer puts up a
#               picture, the settings tool's window ticks the log-on start,
#               the uninstaller's window removes the current version; the
#               log-on entry, the bitmap and the wallpaper are gone, the
#               program folder is as it was
#   SARVO_CPACK_CONFIG      the build's CPackConfig.cmake
#   SARVO_RUNTIME_PACKAGES  the file listing the readme's packages
. "$(dirname "$0")/lib.sh"

T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-package.XXXXXX") || fail "no temporary folder"
trap cleanup EXIT

cpack --config "$SARVO_CPACK_CONFIG" -G TGZ -B "$T/out" >"$T/cpack.log" 2>&1 || fail "cpack: $(cat "$T/cpack.log")"
archives=("$T"/out/sarvo-backdrop-changer-*-linux-x86_64.tar.gz)
[[ ${#archives[@]} == 1 && -f ${archives[0]} ]] || fail "no single archive in $(ls "$T/out")"
mkdir -p "$T/ダウンロード 先"
tar -xzf "${archives[0]}" -C "$T/ダウンロード 先" || fail "cannot unpack ${archives[0]}"
folder=$(echo "$T/ダウンロード 先"/*)
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
    local i
    BOX=
    for ((i = 0; i < 300; i++)); do
        BOX=$(xdotool search --name '^SarvoUninstaller$' 2>/dev/null | grep -vx "${1:-none}" | head -n 1)
        [[ -n $BOX ]] && break
        sleep 0.1
    done
    [[ -n $BOX ]] || fail "no message box appeared"
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
    for sub in TrashBox WallPaper; do
        [[ -d $folder/$sub && -z $(ls -A "$folder/$sub") ]] || fail "$sub is missing or not empty"
    done
    packages=$(cat "$SARVO_RUNTIME_PACKAGES")
    assert_contains "$(cat "$folder/README.txt")" "$packages" "the readme names the runtime packages"

    # Every library the programs and modules load belongs to a package that the
    # readme's list brings along.
    closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
        --no-enhances $packages 2>/dev/null | grep -v '^ ' | sort -u)
    [[ -n $closure ]] || fail "apt-cache knows none of: $packages"
    # The libraries, under each name the package database may know them by
    # (with and without the /usr prefix), asked of dpkg in one call.
    libraries=$(for binary in "$folder"/Sarvo* "$folder"/*.so; do
        [[ -f $binary ]] && ldd "$binary"
    done | sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p' | sort -u)
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
    for binary in "$folder"/Sarvo* "$folder"/*.so; do
        [[ -f $binary ]] || continue
        ! ldd "$binary" | grep -q 'not found' || fail "$(basename "$binary") has a library not found: $(ldd "$binary" | grep 'not found')"
    done

    # The unpacked changer works from there.
    quadrants "$folder/WallPaper/first picture.bmp"
    timeout 60 "$folder/SarvoChanger" >"$T/stdout" 2>"$T/stderr" || fail "the unpacked changer failed: $(cat "$T/stderr")"
    assert_eq "$(ini_value "$folder/sarvoset.ini" WallPaper)" "$folder/WallPaper/first picture.bmp" "WallPaper recorded"
    ;;
life-cycle)
    quadrants "$folder/WallPaper/first picture.bmp"
    quadrants "$folder/TrashBox/skipped.bmp"
    timeout 60 "$folder/SarvoChanger" >"$T/stdout" 2>"$T/stderr" || fail "the changer failed: $(cat "$T/stderr")"
    [[ -f $BITMAP && $(root_pixmap) != none ]] || fail "the changer put up no wallpaper: $(cat "$T/stderr")"

    # The settings window opens on the folder box; the log-on box is third
    # in the focus order after it.
    open_window "$folder/SarvoSetTool" 'Sarvo Changer SettingTool'
    xdotool key --delay 50 Tab Tab Tab space
    poll "the log-on entry" test -s "$AUTOSTART"
    close_window
    assert_eq "$(ini_value "$folder/sarvoset.ini" StartUp)" 1 "StartUp after the settings window closed"
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
