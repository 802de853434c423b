#!/bin/bash
# The Linux release archive unpacked under a path with blanks, quotes, $, % and
# non-ASCII: archive (its programs and empty folders; the readme's packages
# bring every library the programs load), life-cycle (changer, settings window
# by keys, log-on and menu entries started by GLib, each menu
# action starting the settings tool as its held key does).
. "$(dirname "$0")/lib.sh"

T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-package.XXXXXX") || fail "no temporary folder"
trap cleanup EXIT
cpack --config "$SARVO_CPACK_CONFIG" -G TGZ -B "$T/out" >"$T/cpack.log" 2>&1 || fail "cpack: $(cat "$T/cpack.log")"
archives=("$T"/out/sarvo-backdrop-changer-*-linux-x86_64.tar.gz)
[[ ${#archives[@]} == 1 ]] || fail "not one archive in $(ls "$T/out")"
[[ -f ${archives[0]} ]] || fail "no archive in $(ls "$T/out")"
unpacked="$T/my \"sarvo\" \$HOME 50% ダウンロード 先"
mkdir -p "$unpacked"
tar -xzf "${archives[0]}" -C "$unpacked" || fail "cannot unpack ${archives[0]}"
folder=$(echo "$unpacked"/*)
[[ -d $folder ]] || fail "not one program folder: $folder"
[[ $(basename "$folder") == sarvo-backdrop-changer-*-linux-x86_64 ]] || fail "the program folder's name: $folder"

use_display
export HOME=$T/home XDG_CONFIG_HOME=$T/config XDG_DATA_HOME=$T/data XDG_RUNTIME_DIR=$T/run
mkdir -m 700 "$T/run"
unset SARVO_DESKTOP_BACKEND XDG_CURRENT_DESKTOP WAYLAND_DISPLAY XDG_SESSION_TYPE
BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
REGISTRY=$XDG_CONFIG_HOME/sarvo-backdrop-changer/registry.ini
AUTOSTART=$XDG_CONFIG_HOME/autostart/SarvoChanger.desktop
APPS=$XDG_DATA_HOME/applications
MENU=$APPS/sarvo-backdrop-changer.desktop TOOL_MENU=$APPS/sarvo-setting-tool.desktop

case ${1:?case} in
archive)
    for program in SarvoChanger SarvoSetTool SarvoUninstaller; do [[ -x $folder/$program ]] || fail "no $program"; done
    for sub in TrashBox WallPaper; do
        [[ -d $folder/$sub ]] || fail "no $sub folder"
        [[ -z $(ls -A "$folder/$sub") ]] || fail "$sub: not empty"
    done
    packages=$(cat "$SARVO_RUNTIME_PACKAGES")
    assert_contains "$(cat "$folder/README.txt")" "$packages" "the readme names the runtime packages"
    # Every library the programs and modules load is a file of a package the readme's list brings along.
    closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
        --no-enhances $packages 2>/dev/null | grep -v '^[ <]' | sort -u)
    [[ -n $closure ]] || fail "apt-cache knows none of: $packages"
    # shellcheck disable=SC2086  # one package a word
    brought=$(dpkg -L $closure 2>/dev/null | sed 's|.*/||' | sort -u)
    binaries=("$folder"/Sarvo* "$folder"/*.so)
    # Libraries opened by name at run time (GIO, Qt's platform plugins), found where the system keeps them.
    opened=()
    while read -r name; do
        path=$(ldconfig -p | awk -v n="$name" '$1 == n { print $NF; exit }')
        [[ -n $path ]] || path=$(find /usr/lib -path '*/qt6/plugins/*' -name "$name" -print -quit)
        [[ -n $path ]] || fail "the programs open $name, which is not installed here"
        opened+=("$path")
    done < <(strings -a "${binaries[@]}" | grep -E '^lib[A-Za-z0-9_.+-]*\.so(\.[0-9]+)*$' | sort -u)
    loaded=$(for binary in "${binaries[@]}" "${opened[@]}"; do ldd "$binary"; done)
    [[ $loaded != *"not found"* ]] || fail "a library is not found: $(grep 'not found' <<<"$loaded")"
    # What a settings window maps besides: the plugins Qt loads, its translations, the fonts.
    open_window "$folder/SarvoSetTool" 'Sarvo Changer SettingTool'
    mapped=$(awk '$6 ~ /^\/usr\// { print $6 }' "/proc/$PID/maps" | sort -u)
    close_window
    libraries=$( (sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p' <<<"$loaded"; printf '%s\n' "${opened[@]}"; grep '\.so' <<<"$mapped") | sort -u)
    while read -r library; do
        grep -qxF "$(basename "$library")" <<<"$brought" ||
            fail "the programs load $library, which no package the readme's packages bring holds"
    done <<<"$libraries"
    ;;
life-cycle)
    quadrants "$folder/WallPaper/first picture.bmp"
    timeout 60 "$folder/SarvoChanger" >"$T/stdout" 2>"$T/stderr" || fail "the changer failed: $(cat "$T/stderr")"
    [[ -f $BITMAP ]] || fail "the changer wrote no bitmap: $(cat "$T/stderr")"
    [[ $(root_pixmap) != none ]] || fail "the changer put up no wallpaper: $(cat "$T/stderr")"
    open_window "$folder/SarvoSetTool" 'Sarvo Changer SettingTool'
    # Focus order: folder box, its button, help, log-on box, delete-skip, placements (centred).
    xdotool key ctrl+a && xdotool type --delay 20 "$T/typed" || fail "cannot type"
    poll "FolderPath following the typing" eval '[[ $(ini_value "$folder/sarvoset.ini" FolderPath) == "$T/typed" ]]'
    xdotool key --delay 50 Tab Tab Tab space
    poll "the log-on entry" test -s "$AUTOSTART"
    xdotool key --delay 50 Tab Tab Down
    poll "the tiled placement" eval '[[ $(ini_value "$REGISTRY" TileWallpaper) == 1 ]]'
    assert_eq "$(ini_value "$REGISTRY" WallpaperStyle)" 0 "WallpaperStyle of the tiled placement"
    close_window
    assert_eq "$(ini_value "$folder/sarvoset.ini" StartUp)" 1 "StartUp after the settings window closed"
    # GLib starts each action (and the settings tool's own entry, "-") with the settings tool's exact
    # arguments, seen by a recorder (what the tool does with them: its own tests).
    mv "$folder/SarvoSetTool" "$T/SarvoSetTool"
    printf '#!/bin/sh\nprintf "%%s|" "$0" "$@" >"%s"\necho >>"%s"\n' "$T/tool" "$T/tool" >"$folder/SarvoSetTool"
    chmod +x "$folder/SarvoSetTool"
    for start in "settings:" "delete-skip:/delskip|" "wallpaper-off:/nowall|" "-:"; do
        rm -f "$T/tool"
        if [[ $start == -:* ]]; then gio launch "$TOOL_MENU" || fail "GLib did not start $TOOL_MENU"
        else launch_action "$MENU" "${start%%:*}"; fi
        poll "a start of the settings tool" eval '[[ $(wc -l <"$T/tool") == 1 ]] 2>/dev/null'
        assert_eq "$(cat "$T/tool")" "$folder/SarvoSetTool|${start#*:}" "arguments GLib started the settings tool with"
    done
    printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$#" >"%s"\n' "$T/started" >"$folder/SarvoChanger"  # a recorder
    for entry in "$AUTOSTART" "$MENU"; do
        rm -f "$T/started"
        gio launch "$entry" || fail "GLib did not start $entry"
        poll "the start GLib made" eval '[[ $(wc -l <"$T/started") == 2 ]] 2>/dev/null'
        assert_eq "$(cat "$T/started")" "$folder/SarvoChanger"$'\n'0 "program GLib started for $entry, and its argument count"
    done
    ;;
*) fail "unknown case $1" ;;
esac
