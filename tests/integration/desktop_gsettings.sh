#!/bin/bash
# The desktops that keep their wallpaper in GSettings, with the real dconf
# service and the desktops' real schemas on a private session bus: the
# changer with each placement, then the wallpaper removed. One desktop per
# run (one bus, one dconf for all its cases):
#   gnome | cinnamon | mate
. "$(dirname "$0")/lib.sh"
with_session_bus "$@"

new_program_folder
without_box_module
quadrants "$PICS/quad.bmp"
# No X server is opened for a picture this small; DISPLAY only makes it a
# graphical session.
export DISPLAY=:sarvo-none

case ${1:?desktop} in
gnome) export XDG_CURRENT_DESKTOP=ubuntu:GNOME schema=org.gnome.desktop.background key=picture-uri uri=1 ;;
cinnamon) export XDG_CURRENT_DESKTOP=X-Cinnamon schema=org.cinnamon.desktop.background key=picture-uri uri=1 ;;
mate) export XDG_CURRENT_DESKTOP=MATE schema=org.mate.background key=picture-filename uri=0 ;;
*) fail "unknown desktop $1" ;;
esac

setting() { gsettings get "$schema" "$1"; }

# The picture the settings name, as a path.
shown_file() {
    local value
    value=$(setting "$key")
    value=${value#\'}
    value=${value%\'}
    [[ $uri == 1 ]] && value=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.argv[1][7:]))' "$value")
    echo "$value"
}

previous=
for placement in "0 0 centered" "1 0 wallpaper" "0 2 stretched"; do
    read -r tile style option <<<"$placement"
    set_placement "$tile" "$style"
    run_changer
    assert_eq "$RC" 0 "exit code with $option (stderr: $ERR)"
    assert_eq "$(setting picture-options)" "'$option'" "picture-options"
    file=$(shown_file)
    [[ $file == "$(dirname "$BITMAP")"/SarvoChangerGraphic-[ab].png ]] || fail "the settings name $file"
    [[ $file != "$previous" ]] || fail "the same name twice: a desktop that caches by path would not reload"
    [[ -z $previous || ! -e $previous ]] || fail "the previous picture $previous was left behind"
    assert_same_picture "$file" "$BITMAP" "the PNG handed to the desktop"
    [[ $1 != gnome ]] || assert_eq "$(setting picture-uri-dark)" "$(setting picture-uri)" "picture-uri-dark"
    assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "Wallpaper in the registry store"
    previous=$file
done

# Removing the wallpaper, as the settings tool and the uninstaller do.
"$SARVO_APPLY_TOOL" "" || fail "cannot remove the wallpaper"
if [[ $1 == mate ]]; then
    assert_eq "$(setting picture-filename)" "''" "picture-filename after removing"
else
    assert_eq "$(setting picture-options)" "'none'" "picture-options after removing"
fi
[[ ! -e $previous ]] || fail "the handed picture $previous was left after removing the wallpaper"
assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "" "Wallpaper in the registry store after removing"

# Without a session bus GSettings would report success and store nothing:
# the run stops before the bitmap is replaced, and says why.
before=$(sha256sum <"$BITMAP")
DBUS_SESSION_BUS_ADDRESS=unix:path=$T/no-bus run_changer
assert_eq "$RC" 1 "exit code without a session bus"
assert_contains "$ERR" "壁紙を設定できませんでした。" "message without a session bus"
assert_contains "$ERR" "no session bus" "reason without a session bus"
assert_eq "$(sha256sum <"$BITMAP")" "$before" "the bitmap without a session bus"
