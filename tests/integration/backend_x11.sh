#!/bin/bash
# The wallpaper service by itself (service_tool apply), for what the changer
# never meets on the shared Xvfb. One case per run:
#   unsupported-visual | wayland
. "$(dirname "$0")/lib.sh"

new_program_folder
quadrants "$T/quad.bmp"

case ${1:?case} in
unsupported-visual)
    # A 16-bit screen is refused with a reason, and nothing is recorded.
    own_xvfb 64x48x16
    why=$("$SARVO_SERVICE_TOOL" apply "$T/quad.bmp" 2>&1)
    assert_eq "$?" 1 "exit code on a 16-bit screen"
    assert_contains "$why" "x11: the X screen's visual (depth 16" "reason"
    assert_eq "$(root_pixmap)" none "_XROOTPMAP_ID"
    [[ ! -e $REGISTRY ]] || fail "the registry store was written: $(cat "$REGISTRY")"
    ;;
wayland)
    # A Wayland session (even with Xwayland's DISPLAY) has no root window to
    # show: the Wayland ways are tried (here neither a compositor nor a
    # session bus answers), never the root, which is left alone.
    use_display
    before=$(root_pixmap)
    why=$(env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$T" WAYLAND_DISPLAY=wayland-0 "$SARVO_SERVICE_TOOL" apply "$T/quad.bmp" 2>&1)
    assert_eq "$?" 1 "exit code under Wayland"
    assert_contains "$why" "the desktop \"a Wayland session without a desktop name\" could not be reached: wlroots: " "reason"
    assert_contains "$why" "; portal: no session bus" "reason"
    [[ $why != *"x11:"* ]] || fail "the root window was tried under Wayland: $why"
    assert_eq "$(root_pixmap)" "$before" "root pixmap"
    # ... unless the user has chosen the X11 backend for good in the registry store.
    mkdir -p "$(dirname "$REGISTRY")"
    printf '[Software\\Sarvo Backdrop Changer]\nDesktopBackend=X11\n' >"$REGISTRY"
    WAYLAND_DISPLAY=wayland-0 "$SARVO_SERVICE_TOOL" apply "$T/quad.bmp" || fail "the stored choice was not followed"
    [[ $(root_pixmap) != "$before" ]] || fail "the stored choice did not change the root"
    ;;
*) fail "unknown case $1" ;;
esac
