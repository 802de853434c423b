#!/bin/bash
# The real SarvoSetTool: its window on Xvfb, driven with the keyboard and
# mouse as a user would, and what it does without a display. One case per run:
#   window      tick the log-on box, pick a placement, type a folder, close;
#               the program folder's path holds blanks, quotes, $ and %, and
#               the log-on entry is checked by the desktop's own validator
#               and started through GLib
#   browse      the folder browser: a folder chosen, then a cancel
#   open        the waste bin, the address and the folder box handed to
#               xdg-open (a recording stand-in) as whole arguments
#   no-display  the window cannot be shown, and "/add" with its name taken
#               asks on standard error and counts as cancelled
. "$(dirname "$0")/lib.sh"

new_program_folder
cp "$SARVO_SETTOOL" "$PROG/SarvoSetTool"
mkdir "$PROG/TrashBox"
AUTOSTART=$XDG_CONFIG_HOME/autostart/SarvoChanger.desktop

# The window's client area is 4155 x 5700 twips: 277 x 380 pixels at 96 DPI.
WIDTH=277 HEIGHT=380

# run_settool [ARGUMENT...]: one switch run, waited for; sets RC and ERR.
run_settool() {
    timeout 60 "$PROG/SarvoSetTool" "$@" >"$T/stdout" 2>"$T/stderr"
    RC=$?
    ERR=$(cat "$T/stderr")
}
value_is() { [[ $(ini_value "$1" "$2") == "$3" ]]; }

case ${1:?case} in
window)
    odd="$T/my \"sarvo\" \$HOME 50% 写真"
    mv "$PROG" "$odd"
    PROG=$odd SETTINGS=$odd/sarvoset.ini
    use_display
    open_window "$PROG/SarvoSetTool" 'Sarvo Changer SettingTool'
    hints=$(xprop -id "$WIN" WM_NORMAL_HINTS _MOTIF_WM_HINTS)
    assert_contains "$hints" "program specified minimum size: $WIDTH by $HEIGHT" "fixed size"
    assert_contains "$hints" "program specified maximum size: $WIDTH by $HEIGHT" "fixed size"
    # Motif hints: functions and decorations offer neither minimise (8, 0x20)
    # nor maximise (16, 0x40).
    read -r functions decorations < <(sed -n 's/^_MOTIF_WM_HINTS.* = [^,]*, \([^,]*\), \([^,]*\),.*/\1 \2/p' <<<"$hints")
    [[ -n $functions ]] || fail "no Motif hints: $hints"
    (( (functions & 0x18) == 0 && (decorations & 0x60) == 0 )) || fail "minimise or maximise offered: $hints"

    # The focus starts in the folder box; then, in focus order, the folder
    # button, the help text, the log-on box, the delete-skip button and the
    # placement list.
    xdotool key ctrl+a && xdotool type --delay 20 "$T/typed" || fail "cannot type"
    poll "FolderPath following the typing" value_is "$SETTINGS" FolderPath "$T/typed"
    xdotool key --delay 50 Tab Tab Tab space
    poll "the log-on entry" test -s "$AUTOSTART"
    xdotool key --delay 50 Tab Tab Down Down
    # Tiled; no wallpaper is stored, so the wallpaper-off box gets ticked.
    poll "the tiled placement" value_is "$REGISTRY" TileWallpaper 1
    assert_eq "$(ini_value "$REGISTRY" WallpaperStyle)" 0 "WallpaperStyle of the tiled placement"
    tr -d '\r' <"$REGISTRY" | grep -qx "Wallpaper=" || fail "the store's Wallpaper is not empty: $(cat "$REGISTRY")"
    close_window
    assert_eq "$(ini_value "$SETTINGS" StartUp)" 1 "StartUp after the window closed"
    assert_eq "$(ini_value "$SETTINGS" FolderPath)" "$T/typed" "FolderPath after the window closed"

    # The desktop's own readers of the log-on entry: the validator, and GLib
    # starting it (with a recorder in the changer's place).
    validation=$(desktop-file-validate "$AUTOSTART" 2>&1) || fail "desktop-file-validate: $validation"
    [[ -z $validation ]] || fail "desktop-file-validate: $validation"
    printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$#" >"%s"\n' "$T/started" >"$PROG/SarvoChanger"
    "$SARVO_LAUNCH_TOOL" "$AUTOSTART" || fail "GLib did not start the log-on entry"
    assert_eq "$(cat "$T/started")" "$PROG/SarvoChanger"$'\n'0 "program GLib started, and its argument count"
    ;;
browse)
    use_display
    mkdir -p "$T/chosen"
    open_window "$PROG/SarvoSetTool" 'Sarvo Changer SettingTool'
    # The folder button, right of the folder box; the browser is modal.
    browse() {
        xdotool mousemove --window "$WIN" 256 32 click 1
        DIALOG=$(timeout 30 xdotool search --sync --name '^フォルダを選択してください。$' | head -n 1)
        [[ -n $DIALOG ]] || fail "no folder browser appeared"
        xdotool windowfocus --sync "$DIALOG"
    }
    browse
    xdotool type --delay 20 "$T/chosen" && xdotool key Return
    poll "FolderPath following the browser" value_is "$SETTINGS" FolderPath "$T/chosen"
    browse
    xdotool key Escape
    timeout 30 xdotool search --sync --name '^Sarvo Changer SettingTool$' >/dev/null
    close_window
    assert_eq "$(ini_value "$SETTINGS" FolderPath)" "$T/chosen" "FolderPath after a cancelled browse"
    ;;
open)
    # Double-click the waste bin and the folder box, click the address: three
    # starts of xdg-open, each with one argument.
    mkdir -p "$T/bin"
    printf '#!/bin/sh\nprintf "%%s|" "$#" "$@" >>"%s"\necho >>"%s"\n' "$T/opened" "$T/opened" >"$T/bin/xdg-open"
    chmod +x "$T/bin/xdg-open"
    export PATH="$T/bin:$PATH"
    use_display
    open_window "$PROG/SarvoSetTool" 'Sarvo Changer SettingTool'
    xdotool mousemove --window "$WIN" 254 164 click --repeat 2 1
    poll "the file manager on TrashBox" test -s "$T/opened"
    xdotool mousemove --window "$WIN" 100 33 click --repeat 2 1
    # The address lies below the fixture's 240-pixel screen: move the window up.
    xdotool windowmove --sync "$WIN" 0 -150 || fail "cannot move the window"
    xdotool mousemove --window "$WIN" 138 368 click 1
    poll "three starts of xdg-open" eval '(( $(wc -l <"$T/opened") == 3 ))'
    close_window
    assert_eq "$(cat "$T/opened")" "1|$PROG/TrashBox|"$'\n'"1|$PICS|"$'\n'"1|https://sarvo-backdrop.example.org/|" \
        "arguments of xdg-open"
    ;;
no-display)
    no_display
    run_settool
    assert_eq "$RC" 1 "exit code without a window"
    assert_contains "$ERR" "the settings window cannot be shown: no display" "reason on standard error"
    mkdir -p "$T/album"
    quadrants "$T/album/x.bmp"
    cp "$T/album/x.bmp" "$PICS/x.bmp"
    run_settool "/add$T/album/x.bmp"
    assert_eq "$RC" 1 "exit code of a cancelled add"
    assert_contains "$ERR" $'同じ名前のファイルは既に存在します\n新しいファイル名を入力してください。拡張子は不要です' \
        "the question on standard error"
    assert_eq "$(ls "$PICS") $(ls "$T/album")" "x.bmp x.bmp" "files after a cancelled add"
    ;;
*) fail "unknown case $1" ;;
esac
