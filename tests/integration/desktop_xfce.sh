#!/bin/bash
# Xfce, real xfconfd on a private bus: every workspace with a picture gets each
# placement; removing sets every style to none; a fresh channel gets one too;
# a refused style puts the picture back.
. "$(dirname "$0")/lib.sh"
with_session_bus "$@"

desktop_program_folder
use_display
export XDG_CURRENT_DESKTOP=XFCE
channel=(xfconf-query -c xfce4-desktop)
if [[ ${1:?case} == refused ]]; then  # a style the system locks, after the picture was taken: the picture is put back
    system=$T/system/xfce4/xfconf/xfce-perchannel-xml
    mkdir -p "$system" && cat >"$system/xfce4-desktop.xml" <<EOF || fail "cannot lock image-style"
<channel name="xfce4-desktop" version="1.0"><property name="backdrop" type="empty"><property name="screen0" type="empty">
<property name="monitorLOCKED" type="empty"><property name="workspace0" type="empty">
<property name="last-image" type="string" value="/usr/share/backgrounds/old.png"/>
<property name="image-style" type="int" value="5" locked="$(id -un)"/>
</property></property></property></property></channel>
EOF
    dbus-update-activation-environment "XDG_CONFIG_DIRS=$T/system" || fail "cannot hand xfconfd the lock"
    before=$("${channel[@]}" -l -v)
    run_changer
    assert_eq "$RC" 1 "exit code with a refused style (stderr: $ERR)"
    assert_eq "$("${channel[@]}" -l -v)" "$before" "the channel after a refused style"
    exit 0
fi
workspaces=(/backdrop/screen0/monitorHDMI-1/workspace0 /backdrop/screen0/monitorHDMI-1/workspace1
            /backdrop/screen0/monitoreDP-1/workspace0)
for w in "${workspaces[@]}"; do
    "${channel[@]}" -p "$w/last-image" -n -t string -s /usr/share/backgrounds/old.png || fail "xfconf-query"
    "${channel[@]}" -p "$w/image-style" -n -t int -s 5 || fail "xfconf-query"
done

previous=
check() {  # TILE STYLE
    local -A styles=([00]=1 [10]=2 [02]=3)
    local file w
    file=$("${channel[@]}" -p "${workspaces[0]}/last-image")
    is_handed "$file" png || fail "last-image is $file"
    [[ $file != "$previous" ]] || fail "last-image is $previous again"
    for w in "${workspaces[@]}"; do
        assert_eq "$("${channel[@]}" -p "$w/last-image")" "$file" "$w/last-image"
        assert_eq "$("${channel[@]}" -p "$w/image-style")" "${styles[$1$2]}" "$w/image-style"
    done
    assert_same_picture "$file" "$BITMAP" "the PNG handed to Xfce"
    previous=$file
}
each_placement check

"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
for w in "${workspaces[@]}"; do assert_eq "$("${channel[@]}" -p "$w/image-style")" 0 "$w/image-style after removing"; done

"${channel[@]}" -p /backdrop -r -R || fail "cannot empty the channel"
run_changer
assert_eq "$RC" 0 "exit code on a fresh channel (stderr: $ERR)"
output=$(xrandr --current | awk '$2 == "connected" { print $1; exit }')
[[ -n $output ]] || fail "the X server names no output"
file=$("${channel[@]}" -p "/backdrop/screen0/monitor$output/workspace0/last-image") ||
    fail "no picture for monitor$output/workspace0: $("${channel[@]}" -l)"
assert_same_picture "$file" "$BITMAP" "the PNG handed to a fresh Xfce"
