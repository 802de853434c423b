#!/bin/bash
# The real SarvoSetTool: browse (at 150%: a folder name that is no UTF-8 kept
# through an edit; a folder chosen, then a
# cancel, leaving nothing of Qt's; the log-on box ticked, then the session ends
# with SIGTERM), open (waste
# bin, folder box and a double-clicked address to a recording xdg-open as whole arguments, once each).
. "$(dirname "$0")/lib.sh"

new_program_folder
with_settool

case ${1:?case} in
browse)
    own_xvfb 640x620x24
    echo 'Xft.dpi: 144' | xrdb -merge || fail "cannot set the X resources"
    odd="$T/odd "$'\xff'" name"  # no UTF-8
    mkdir -p "$T/chosen" "$odd"
    printf '[Sarvo Changer]\r\nFolderPath=%s\r\n' "$odd" >"$SETTINGS"
    open_window "$PROG/SarvoSetTool" 'Sarvo Changer SettingTool'
    xdotool key End type x
    poll "FolderPath with the letter typed" eval '[[ $(ini_value "$SETTINGS" FolderPath) == "${odd}x" ]]'
    xdotool key BackSpace
    poll "FolderPath with the letter deleted" eval '[[ $(ini_value "$SETTINGS" FolderPath) == "$odd" ]]'
    browse() { xdotool mousemove --window "$WIN" 384 48 click 1 && focus_window 'フォルダを選択してください。' "$@"; }
    browse
    xdotool type --delay 20 "$T/chosen" && xdotool key Return
    poll "FolderPath following the browser" eval '[[ $(ini_value "$SETTINGS" FolderPath) == "$T/chosen" ]]'
    browse Escape
    timeout 30 xdotool search --sync --name '^Sarvo Changer SettingTool$' >/dev/null
    xdotool mousemove --window "$WIN" 30 85 click 1
    poll "the log-on entry" test -s "$XDG_CONFIG_HOME/autostart/SarvoChanger.desktop"
    kill -TERM "$PID"
    timeout 30 tail --pid="$PID" -f /dev/null || fail "the program did not end at the end of the session"
    wait "$PID"
    assert_eq "$?" 0 "exit code at the end of the session ($(cat "$T/window.out"))"
    assert_eq "$(ini_value "$SETTINGS" FolderPath)" "$T/chosen" "FolderPath after a cancelled browse"
    assert_eq "$(ini_value "$SETTINGS" StartUp)" 1 "StartUp saved at the end of the session"
    assert_eq "$(cd "$T" && find home config -type f | sort)" "config/autostart/SarvoChanger.desktop" "files in the user's folders"
    ;;
open)
    mkdir -p "$T/bin"
    printf '#!/bin/sh\nprintf "%%s|" "$#" "$@" >>"%s"\necho >>"%s"\n' "$T/opened" "$T/opened" >"$T/bin/xdg-open"
    chmod +x "$T/bin/xdg-open"
    export PATH="$T/bin:$PATH"
    use_display
    open_window "$PROG/SarvoSetTool" 'Sarvo Changer SettingTool'
    xdotool mousemove --window "$WIN" 254 164 click --repeat 2 1
    poll "the file manager on TrashBox" test -s "$T/opened"
    xdotool mousemove --window "$WIN" 100 33 click --repeat 2 1
    xdotool windowmove --sync "$WIN" 0 -150 || fail "cannot move the window"  # the address lies below the screen
    xdotool mousemove --window "$WIN" 138 368 click --repeat 2 1  # a double click is one click
    poll "three starts of xdg-open" eval '(( $(wc -l <"$T/opened") >= 3 ))'
    close_window
    poll "the starts of xdg-open ending" eval '! pgrep -f "$T/bin/xdg-open" >/dev/null'
    assert_eq "$(cat "$T/opened")" "1|$PROG/TrashBox|"$'\n'"1|$PICS|"$'\n'"1|https://sarvo-backdrop.example.org/|" \
        "arguments of xdg-open"
    ;;
*) fail "unknown case $1" ;;
esac
