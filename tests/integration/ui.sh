#!/bin/bash
# The Linux message boxes and the primary screen's size (service_tool show
# and screen, run from the build's program folder beside the Qt module). One
# case per run:
#   no-display      the text on standard error; no screen size
#   module-missing  with a display but no module: the text on standard
#                   error, with the reason no box was shown
#   boxes           real boxes, answered with the keyboard
#   x11-split       two X monitors: the primary one's size, not the root's
#   wayland         a Wayland compositor alone: the box is shown there, never
#                   on standard error, and closing it answers No; the size
#                   is its output's, through Qt
. "$(dirname "$0")/lib.sh"

T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-it.XXXXXX") || fail "no temporary folder"
trap cleanup EXIT
export HOME=$T XDG_RUNTIME_DIR=$T
chmod 700 "$T"
text='一行目\r\n二行目 "quoted" $HOME'
expected_text=$'一行目\n二行目 "quoted" $HOME'
show() { "$SARVO_SERVICE_TOOL" show "Sarvo Box Test" "$text" "$@"; }  # STYLE
size() { "$SARVO_SERVICE_TOOL" screen 2>"$T/stderr"; }

# answer_box STYLE KEY EXPECTED-ANSWER: shows a box, waits for it, answers
# with KEY.
answer_box() {
    show "$1" >"$T/answer" 2>"$T/stderr" &
    local shower=$! box
    CLEANUPS+=("kill $shower 2>/dev/null")
    box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Sarvo Box Test$' | head -n 1)
    [[ -n $box ]] || fail "no box titled \"Sarvo Box Test\" appeared"
    xdotool windowfocus --sync "$box" key "$2" || fail "cannot answer the box"
    wait "$shower"
    assert_eq "$(cat "$T/answer")" "$3" "answer of a box of style $1 answered with $2"
}

case ${1:?case} in
no-display)
    no_display
    assert_eq "$(show 16 2>"$T/stderr")" 1 "answer of an error box nobody can see"
    assert_eq "$(cat "$T/stderr")" "Sarvo Box Test"$'\n'"$expected_text" "standard error"
    assert_eq "$(show 4 2>/dev/null)" 7 "answer of a question nobody can see"
    assert_eq "$(size)" "none" "size without a display"
    ;;
module-missing)
    use_display
    cp "$SARVO_SERVICE_TOOL" "$T/"
    answer=$("$T/service_tool" show "Sarvo Box Test" "$text" 4 2>"$T/stderr")
    assert_eq "$answer" 7 "answer of a question nobody can see"
    assert_eq "$(sed -n 1,3p "$T/stderr")" "Sarvo Box Test"$'\n'"$expected_text" "standard error"
    assert_contains "$(sed -n 4p "$T/stderr")" "(no message box: " "reason on standard error"
    ;;
boxes)
    use_display
    answer_box 16 Return 1  # an error box
    answer_box 4 Return 6   # a question confirmed
    answer_box 4 Escape 7   # a question dismissed
    ;;
x11-split)
    use_display
    split_screen
    assert_eq "$(size)" "160 240" "size of the primary monitor (the left half of 320 x 240)"
    ;;
wayland)
    use_headless_sway
    assert_eq "$(size)" "640 480" "size of sway's one output"
    show 4 >"$T/answer" 2>"$T/stderr" &
    shower=$!
    CLEANUPS+=("kill $shower 2>/dev/null")
    box_up() { swaymsg -t get_tree 2>/dev/null | grep -q '"name": "Sarvo Box Test"'; }
    poll "the box on sway" box_up
    swaymsg '[title="^Sarvo Box Test$"] kill' >/dev/null || fail "cannot close the box on sway"
    wait "$shower"
    assert_eq "$(cat "$T/answer")" 7 "answer of a question closed without an answer"
    [[ $(cat "$T/stderr") != *"二行目"* ]] || fail "the text went to standard error: $(cat "$T/stderr")"
    ;;
*) fail "unknown case $1" ;;
esac
