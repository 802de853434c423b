#!/bin/bash
# The wallpaper service by itself (apply_wallpaper), for what the changer
# never asks of it. One case per run:
#   clear | unsupported-visual | wayland | broken-bitmap
. "$(dirname "$0")/lib.sh"

new_program_folder
quadrants "$T/quad.bmp"

case ${1:?case} in
clear)
    # The empty path removes the wallpaper: both properties go, the root
    # turns black, the old pixmap is freed and the store records "".
    use_display
    "$SARVO_APPLY_TOOL" "$T/quad.bmp" || fail "cannot apply a wallpaper first"
    shown=$(root_pixmap)
    [[ $shown != none ]] || fail "no pixmap after applying"
    "$SARVO_APPLY_TOOL" "" || fail "cannot remove the wallpaper"
    assert_eq "$(root_pixmap)" none "_XROOTPMAP_ID after removing"
    assert_eq "$(root_pixmap ESETROOT_PMAP_ID)" none "ESETROOT_PMAP_ID after removing"
    if "$SARVO_ROOT_TOOL" alive "$shown"; then fail "the removed wallpaper's pixmap $shown was not freed"; fi
    "$IM_CONVERT" -size 320x240 xc:black "$T/black.png"
    assert_root_shows "$T/black.png" "root after removing the wallpaper"
    grep -q $'^Wallpaper=\r\\?$' "$REGISTRY" || fail "registry store: Wallpaper is not empty: $(cat "$REGISTRY")"
    ;;
unsupported-visual)
    # A 16-bit screen is refused with a reason, and nothing is recorded.
    for ((n = 200; n < 300; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break
    done
    setsid Xvfb ":$n" -screen 0 64x48x16 -nolisten tcp -noreset </dev/null >"$T/xvfb16.log" 2>&1 &
    xvfb=$!
    CLEANUPS+=("kill $xvfb; wait $xvfb 2>/dev/null")
    for _ in $(seq 50); do DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
    why=$(DISPLAY=":$n" "$SARVO_APPLY_TOOL" "$T/quad.bmp" 2>&1)
    assert_eq "$?" 1 "exit code on a 16-bit screen"
    assert_contains "$why" "x11: the X screen's visual (depth 16" "reason"
    [[ $(DISPLAY=":$n" xprop -root _XROOTPMAP_ID 2>&1) != *"pixmap id"* ]] || fail "_XROOTPMAP_ID was set"
    [[ ! -e $REGISTRY ]] || fail "the registry store was written: $(cat "$REGISTRY")"
    ;;
wayland)
    # A Wayland session (even with Xwayland's DISPLAY) has no root window to
    # show: the Wayland ways are tried (here neither a compositor nor a
    # session bus answers), never the root, which is left alone.
    use_display
    before=$(root_pixmap)
    why=$(env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$T" WAYLAND_DISPLAY=wayland-0 "$SARVO_APPLY_TOOL" "$T/quad.bmp" 2>&1)
    assert_eq "$?" 1 "exit code under Wayland"
    assert_contains "$why" "the desktop \"a Wayland session without a desktop name\" could not be reached: wlroots: " "reason"
    assert_contains "$why" "; portal: no session bus" "reason"
    [[ $why != *"x11:"* ]] || fail "the root window was tried under Wayland: $why"
    assert_eq "$(root_pixmap)" "$before" "root pixmap"
    # ... unless the user insists on the X11 backend.
    WAYLAND_DISPLAY=wayland-0 SARVO_DESKTOP_BACKEND=x11 "$SARVO_APPLY_TOOL" "$T/quad.bmp" ||
        fail "the x11 override was not followed"
    [[ $(root_pixmap) != "$before" ]] || fail "the override did not change the root"
    # ... or has chosen it for good in the registry store.
    before=$(root_pixmap)
    mkdir -p "$(dirname "$REGISTRY")"
    printf '[Software\\Sarvo Backdrop Changer]\nDesktopBackend=X11\n' >"$REGISTRY"
    WAYLAND_DISPLAY=wayland-0 "$SARVO_APPLY_TOOL" "$T/quad.bmp" || fail "the stored choice was not followed"
    [[ $(root_pixmap) != "$before" ]] || fail "the stored choice did not change the root"
    ;;
broken-bitmap)
    use_display
    before=$(root_pixmap)
    head -c 200 "$T/quad.bmp" >"$T/cut.bmp"
    why=$("$SARVO_APPLY_TOOL" "$T/cut.bmp" 2>&1)
    assert_eq "$?" 1 "exit code for a cut bitmap"
    assert_contains "$why" "x11: $T/cut.bmp: BMP file cut short" "reason"
    why=$("$SARVO_APPLY_TOOL" "$T/missing.bmp" 2>&1)
    assert_eq "$?" 1 "exit code for a missing bitmap"
    assert_contains "$why" "x11: cannot open $T/missing.bmp" "reason"
    assert_eq "$(root_pixmap)" "$before" "root pixmap"
    [[ ! -e $REGISTRY ]] || fail "the registry store was written"
    ;;
*) fail "unknown case $1" ;;
esac
