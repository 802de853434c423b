#!/bin/bash
# The Linux services alone (service_tool): stderr (boxes without a display or
# the Qt module), boxes (answered with keys).
. "$(dirname "$0")/lib.sh"

new_program_folder
export XDG_RUNTIME_DIR=$T
text=$'一行目\r\n二行目 "quoted" $HOME'
expected_text=$'一行目\n二行目 "quoted" $HOME'
show() { "$SARVO_SERVICE_TOOL" show "Sarvo Box Test" "$text" "$@"; }  # STYLE
quadrants "$T/quad.bmp"

case ${1:?case} in
stderr)
    no_display
    assert_eq "$(show 16 2>"$T/stderr")" 1 "answer of an error box nobody can see"
    assert_eq "$(cat "$T/stderr")" "Sarvo Box Test"$'\n'"$expected_text" "the error box on standard error"
    assert_eq "$("$SARVO_SERVICE_TOOL" screen)" "none" "size without a display"
    use_display
    cp "$SARVO_SERVICE_TOOL" "$T/"
    assert_eq "$("$T/service_tool" show "Sarvo Box Test" "$text" 4 2>"$T/stderr")" 7 "answer of a question nobody can see"
    assert_eq "$(sed -n 1,3p "$T/stderr")" "Sarvo Box Test"$'\n'"$expected_text" "the question on standard error"
    assert_contains "$(sed -n 4p "$T/stderr")" "（メッセージ ボックスを表示できません：" "reason on standard error"
    ;;
boxes)
    use_display
    for answer in "16 Return 1" "4 Return 6" "4 Escape 7"; do  # error box; question confirmed, dismissed
        read -r style key expected <<<"$answer"
        show "$style" >"$T/answer" 2>"$T/stderr" & shower=$!
        CLEANUPS+=("kill $shower 2>/dev/null")
        focus_window "Sarvo Box Test" "$key"
        wait "$shower"
        assert_eq "$(cat "$T/answer")" "$expected" "answer of a box of style $style, $key"
        assert_eq "$(cat "$T/stderr")" "" "standard error of a box of style $style, $key"
    done
    ;;
*) fail "unknown case $1" ;;
esac
