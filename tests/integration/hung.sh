#!/bin/bash
# Peers that have hung (tests/tools/silent_peer.py): the real changer still ends
# within 30 s, saying why on standard error. x11: the X server, met first by the
# keys; bus: the session bus, under GNOME; sway: a socket whose queue is full;
# wayland: the compositor, met when the message is to be shown.
. "$(dirname "$0")/lib.sh"

new_program_folder
quadrants "$PICS/quad.bmp"
unset DISPLAY DBUS_SESSION_BUS_ADDRESS SWAYSOCK
case ${1:?case} in
x11)
    silent_x_display
    reason="X ディスプレイ「$DISPLAY」が5秒以内に応答しませんでした。"
    ;;
bus)
    silent_peer "$T/bus"
    export DISPLAY=:sarvo-none XDG_CURRENT_DESKTOP=GNOME DBUS_SESSION_BUS_ADDRESS=unix:path=$T/bus
    reason="セッション バスが3秒以内に応答しませんでした。"
    ;;
sway)
    silent_peer "$T/sway" full
    export DISPLAY=:sarvo-none SARVO_DESKTOP_BACKEND=sway SWAYSOCK=$T/sway
    reason="sway が3秒以内に応答しませんでした"
    ;;
wayland)  # sway without its socket refuses; the box would be shown on the compositor
    silent_peer "$T/wayland"
    export WAYLAND_DISPLAY=$T/wayland SARVO_DESKTOP_BACKEND=sway
    reason="Wayland のコンポジター（$T/wayland）が5秒以内に応答しませんでした。"
    ;;
*) fail "unknown case $1" ;;
esac
CHANGER_LIMIT=30 run_changer
assert_eq "$RC" 1 "exit code (stderr: $ERR)"
assert_contains "$ERR" "$reason" "reason on standard error"
