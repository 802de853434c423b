#!/bin/bash
# A picture per monitor (Monitors=1) on real displays: Xvfb with two RandR
# monitors, one upright: x11 (the root's pixels in each monitor's region, and
# the spanned bitmap still whole when the same file is applied again); sway
# (headless, as "nobody", two outputs, one turned upright: a screenshot of each output).
. "$(dirname "$0")/lib.sh"
[[ ${1:?case} != sway ]] || as_unprivileged "$@"

new_program_folder
printf 'Monitors=1\r\n' >>"$SETTINGS"
quadrants "$PICS/wide.bmp" 96 54
quadrants "$PICS/tall.bmp" 54 96
if [[ $1 == sway ]]; then
    export XDG_STATE_HOME=$T/state XDG_CURRENT_DESKTOP=sway:wlroots
    outputs=$'output HEADLESS-1 position 0 0\noutput HEADLESS-2 mode 320x160 position 320 0 transform 90'
    SWAY_OUTPUTS=2 use_headless_sway 320x180 "$outputs"
else
    own_xvfb 480x320x24
    xrandr --setmonitor '*sarvo-wide' 320/320x180/180+0+0 screen >/dev/null &&
        xrandr --setmonitor sarvo-tall 160/160x320/320+320+0 none >/dev/null || fail "cannot make two monitors"
fi

case $1 in
x11)
    assert_eq "$("$SARVO_SERVICE_TOOL" monitors)" "sarvo-wide* 0,0 320x180;sarvo-tall 320,0 160x320;" "monitors RandR lists"
    run_changer
    assert_eq "$RC" 0 "exit code (stderr: $ERR)"
    assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$PICS/wide.bmp" "WallPaper"
    # Each centred in its own monitor; the corner below the wide one is no monitor's.
    "$IM_CONVERT" -size 480x320 xc:black "$PICS/wide.bmp" -geometry +112+63 -composite \
        "$PICS/tall.bmp" -geometry +373+112 -composite "$T/expected.png"
    root_shot "$T/root.png" || fail "cannot read the root window"
    assert_same_picture "$T/root.png" "$T/expected.png" "each monitor's picture in its region"
    # A later apply of the same file (a new placement chosen, the wallpaper on again) keeps it whole.
    set_placement 0 2
    "$SARVO_SERVICE_TOOL" apply "$BITMAP" || fail "cannot apply the bitmap again"
    root_shot "$T/root.png" || fail "cannot read the root window"
    assert_same_picture "$T/root.png" "$T/expected.png" "the spanned bitmap applied again"
    ;;
sway)
    assert_eq "$("$SARVO_SERVICE_TOOL" monitors)" "HEADLESS-1* 0,0 320x180;HEADLESS-2 320,0 160x320;" "outputs sway lists"
    "$IM_CONVERT" -size 320x180 xc:black "$PICS/wide.bmp" -geometry +112+63 -composite "$T/wide-output.png"
    "$IM_CONVERT" -size 160x320 xc:black "$PICS/tall.bmp" -geometry +53+112 -composite "$T/tall-output.png"
    wide_shot() { grim -o HEADLESS-1 "$1"; }
    tall_shot() { grim -o HEADLESS-2 "$1"; }
    # sway's own backgrounds, then, on a sway with none of its own, one swaybg for every output.
    for backend in sway wlroots; do
        SARVO_DESKTOP_BACKEND=$backend run_changer
        assert_eq "$RC" 0 "exit code on $backend (stderr: $ERR)"
        assert_screen_becomes wide_shot "$T/wide-output.png" "the landscape output's picture on $backend"
        assert_screen_becomes tall_shot "$T/tall-output.png" "the upright output's picture on $backend"
        [[ $backend == wlroots ]] && break
        kill "$SWAY_PID"
        poll "sway's end" test ! -e "$SWAYSOCK"
        SWAY_OUTPUTS=2 use_headless_sway 320x180 "$outputs"
        CLEANUPS+=('read -r pid _ <"$XDG_STATE_HOME/sarvo-backdrop-changer/swaybg-wayland-1.pid" && kill "$pid"')
        # The next run starts afresh, or each monitor would get the other's picture.
        printf '[Sarvo Changer]\r\nFolderPath=%s\r\nMonitors=1\r\n' "$PICS" >"$SETTINGS"
        rm -f "${BITMAP%/*}/SarvoChangerMonitors.txt"
    done
    ;;
esac
