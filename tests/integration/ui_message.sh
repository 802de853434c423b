#!/bin/bash
# The Linux message boxes (service_tool show, run from the build's program
# folder beside the box module). One case per run:
#   no-display | module-missing        the text on standard error
#   boxes                              real boxes, answered with the keyboard
#   wayland                            a box on a Wayland compositor alone
. "$(dirname "$0")/lib.sh"

T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-it.XXXXXX") || fail "no temporary folder"
trap cleanup EXIT
export HOME=$T XDG_RUNTIME_DIR=$T
chmod 700 "$T"
text='一行目\r\n二行目 "quoted" $HOME'
expected_text=$'一行目\n二行目 "quoted" $HOME'

# answer_box STYLE KEY EXPECTED-ANSWER: shows a box, waits for it, answers
# with KEY.
answer_box() {
    use_display
    "$SARVO_SERVICE_TOOL" show "Sarvo Box Test" "$text" "$1" >"$T/answer" 2>"$T/stderr" &
    local shower=$! box
    CLEANUPS+=("kill $shower 2>/dev/null")
    box=$(timeout 30 xdotool search --sync --name '^Sarvo Box Test$' | head -n 1)
    [[ -n $box ]] || fail "no box titled \"Sarvo Box Test\" appeared"
    xdotool windowfocus --sync "$box" key "$2" || fail "cannot answer the box"
    wait "$shower"
    assert_eq "$(cat "$T/answer")" "$3" "answer of a box of style $1 answered with $2"
}

case ${1:?case} in
no-display)
    no_display
    answer=$("$SARVO_SERVICE_TOOL" show "Sarvo Box Test" "$text" 16 2>"$T/stderr")
    assert_eq "$answer" 1 "answer of an error box nobody can see"
    assert_eq "$(cat "$T/stderr")" "Sarvo Box Test"$'\n'"$expected_text" "standard error"
    answer=$("$SARVO_SERVICE_TOOL" show "Sarvo Box Test" "$text" 4 2>/dev/null)
    assert_eq "$answer" 7 "answer of a question nobody can see"
    ;;
module-missing)
    # With a display but without the module beside the program, the text
    # still reaches the user, with the reason no box was shown.
    use_display
    cp "$SARVO_SERVICE_TOOL" "$T/"
    answer=$("$T/service_tool" show "Sarvo Box Test" "$text" 4 2>"$T/stderr")
    assert_eq "$answer" 7 "answer of a question nobody can see"
    assert_eq "$(sed -n 1,3p "$T/stderr")" "Sarvo Box Test"$'\n'"$expected_text" "standard error"
    assert_contains "$(sed -n 4p "$T/stderr")" "(no message box: " "reason on standard error"
    ;;
wayland)
    # With only a Wayland display the box is shown there, never on standard
    # error; closing it answers the question with No.
    use_headless_sway
    "$SARVO_SERVICE_TOOL" show "Sarvo Box Test" "$text" 4 >"$T/answer" 2>"$T/stderr" &
    shower=$!
    CLEANUPS+=("kill $shower 2>/dev/null")
    for ((i = 0; i < 100; i++)); do
        swaymsg -t get_tree 2>/dev/null | grep -q '"name": "Sarvo Box Test"' && break
        sleep 0.1
    done
    swaymsg '[title="^Sarvo Box Test$"] kill' >/dev/null || fail "no box titled \"Sarvo Box Test\" on sway"
    wait "$shower"
    assert_eq "$(cat "$T/answer")" 7 "answer of a question closed without an answer"
    [[ $(cat "$T/stderr") != *"二行目"* ]] || fail "the text went to standard error: $(cat "$T/stderr")"
    ;;
boxes)
    answer_box 16 Return 1  # an error box
    answer_box 4 Return 6   # a question confirmed
    answer_box 4 Escape 7   # a question dismissed
    ;;
*) fail "unknown case $1" ;;
esac
