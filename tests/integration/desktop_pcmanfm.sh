#!/bin/bash
# LXDE: pcmanfm --desktop on an X server of the test's own; each placement and
# the removal, on the screen (LXQt's pcmanfm-qt: the real shells' test).
. "$(dirname "$0")/lib.sh"

[[ ${1:?desktop} == lxde ]] || fail "unknown desktop $1"
program=pcmanfm desktop=LXDE
# Else the desktops would start a session bus through X11 that outlives the test.
with_session_bus "$@"

desktop_program_folder
export XDG_RUNTIME_DIR=$T/run XDG_STATE_HOME=$T/state XDG_CURRENT_DESKTOP=$desktop QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
own_xvfb

# No desktop icons (pcmanfm shows the wastebasket wherever GVfs is installed): only the wallpaper is compared.
mkdir -p "$XDG_CONFIG_HOME/pcmanfm/default"
printf '[*]\nshow_trash=0\nshow_documents=0\nshow_mounts=0\n' >"$XDG_CONFIG_HOME/pcmanfm/default/desktop-items-0.conf"
"$program" --desktop </dev/null >"$T/desktop.log" 2>&1 & desktop_pid=$!
CLEANUPS=("kill $desktop_pid 2>/dev/null; wait $desktop_pid 2>/dev/null" "${CLEANUPS[@]}")
desktop_up() {
    kill -0 "$desktop_pid" 2>/dev/null || fail "$program --desktop ended: $(tail -n 5 "$T/desktop.log")"
    [[ $(xwininfo -root -children 2>/dev/null) == *"child"*"0x"* ]]
}
poll "$program's desktop window" desktop_up

expected_screens "$PICS/quad.bmp"
check() { assert_screen_becomes root_shot "$(screen_of "$1" "$2")" "$program with $1/$2" "$([[ $2 == 2 ]] && echo "$SEAMS")"; }
each_placement check
"$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
assert_screen_becomes root_shot "$BLACK" "$program after removing the wallpaper"
