#!/bin/bash
# The primary screen's size (service_tool screen, run beside the Qt module). One case
# per run:
#   x11-split   two X monitors: the primary one's size, not the whole root's
#   wayland     a Wayland compositor alone: its output's size, through Qt
#   no-display  no size at all
. "$(dirname "$0")/lib.sh"

new_program_folder
cp "$SARVO_SERVICE_TOOL" "$PROG/"
size() { "$PROG/service_tool" screen 2>"$T/stderr"; }

case ${1:?case} in
x11-split)
    use_display
    split_screen
    assert_eq "$(size)" "160 240" "size of the primary monitor (the left half of 320 x 240)"
    ;;
wayland)
    use_headless_sway
    assert_eq "$(size)" "640 480" "size of sway's one output"
    ;;
no-display)
    no_display
    assert_eq "$(size)" "none" "size without a display"
    ;;
*) fail "unknown case $1" ;;
esac
