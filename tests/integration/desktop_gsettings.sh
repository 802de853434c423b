#!/bin/bash
# GNOME, MATE: real dconf and schemas on a private session bus; each
# placement, the removal, a refused placement, and a run without a session bus.
. "$(dirname "$0")/lib.sh"
with_session_bus "$@"

desktop_program_folder
export DISPLAY=:sarvo-none  # a graphical session; no X server is opened for so small a picture
desktop=${1:?desktop}
case $desktop in
gnome) export XDG_CURRENT_DESKTOP=ubuntu:GNOME schema=org.gnome.desktop.background key=picture-uri ;;
mate) export XDG_CURRENT_DESKTOP=MATE schema=org.mate.background key=picture-filename ;;
*) fail "unknown desktop $1" ;;
esac
setting() { gsettings get "$schema" "$1"; }

previous='' before=''
check() {  # TILE STYLE
    local -A options=([00]=centered [10]=wallpaper [02]=stretched)
    local file
    assert_eq "$(setting picture-options)" "'${options[$1$2]}'" "picture-options"
    file=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.argv[1].strip("\x27").removeprefix("file://")))' \
        "$(setting "$key")")
    is_handed "$file" png || fail "the settings name $file"
    [[ $file != "$previous" ]] || fail "the same name twice: a desktop that caches by path would not reload"
    [[ -z $before || ! -e $before ]] || fail "the picture handed before the last, $before, was left behind"
    assert_same_picture "$file" "$BITMAP" "the PNG handed to the desktop"
    [[ $desktop != gnome ]] || assert_eq "$(setting picture-uri-dark)" "$(setting picture-uri)" "picture-uri-dark"
    before=$previous previous=$file
}
each_placement check

# picture-options locked by the administrator after the picture was taken: the picture is put back.
if [[ $desktop == gnome ]]; then
    mkdir -p "$T/locks.d/locks" && echo /org/gnome/desktop/background/picture-options >"$T/locks.d/locks/background"
    dconf compile "$T/locks.db" "$T/locks.d" && printf 'user-db:user\nfile-db:%s\n' "$T/locks.db" >"$T/profile" ||
        fail "cannot lock picture-options"
    before=$(setting picture-uri)
    DCONF_PROFILE=$T/profile run_changer
    assert_eq "$RC" 1 "exit code of a refused placement (stderr: $ERR)"
    assert_eq "$(setting picture-uri)" "$before" "picture-uri after a refused placement"
fi

"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
if [[ $desktop == mate ]]; then
    assert_eq "$(setting picture-filename)" "''" "picture-filename after removing"
else
    assert_eq "$(setting picture-options)" "'none'" "picture-options after removing"
fi
[[ ! -e $previous ]] || fail "the handed picture $previous was left after removing the wallpaper"
assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "" "Wallpaper in the registry store after removing"

# Without a session bus GSettings would report success and store nothing: the run stops first.
before=$(sha256sum <"$BITMAP")
DBUS_SESSION_BUS_ADDRESS=unix:path=$T/no-bus run_changer
assert_eq "$RC" 1 "exit code without a session bus"
assert_contains "$ERR" "壁紙を設定できませんでした。" "message without a session bus"
assert_contains "$ERR" "${desktop}：セッション バスに接続できませんでした（" "reason without a session bus"
assert_eq "$(sha256sum <"$BITMAP")" "$before" "the bitmap without a session bus"
