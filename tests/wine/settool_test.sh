#!/usr/bin/env bash
# SarvoSetTool.exe under Wine in a temporary program folder whose name has
# blanks and Japanese, one scenario per call, checked from outside: the
# settings file's Shift-JIS bytes, the registry values, the files moved, and
# the window as a person sees and uses it (driven by window_driver.exe).
#
#   settool_test.sh window|delskip|add
#     window   its controls, focus order and tool tips, the folder browser
#              and the delete-skip question cancelled, a choice in each control
#     delskip  the picture into TrashBox, the real changer shows the other one
#     add      the picture moved in; under the name typed in the input box
#              when its own is taken; nothing moved when no one can be asked
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The settings tool, with the real changer beside it.
cp "$SARVO_BIN/SarvoSetTool.exe" "$SARVO_BIN/SarvoChanger.exe" "$program/"
# Runs the settings tool with an exact argument text; sets `status`.
run_settool() {  # ARGUMENT-TEXT
    status=0
    wine_ "$SARVO_BIN/sarvo_run_raw.exe" "$(win "$program/SarvoSetTool.exe")" "$1" </dev/null \
        >"$work/run.out" 2>&1 || status=$?
}

pictures="$work/写真 フォルダ"
mkdir -p "$pictures"

case $scenario in
window)
    use_display
    printf '[Sarvo Changer]\r\n' > "$settings"
    reg_set "$desktop_key" Wallpaper ''
    reg_set "$desktop_key" TileWallpaper 0
    reg_set "$desktop_key" WallpaperStyle 2
    reg_unset "$run_key" SarvoChanger
    mkdir -p "$(dirname "$bitmap")"
    convert "$SARVO_PICTURES/sample.png" -type TrueColor BMP3:"$bitmap"
    changer_key="$(win "$program")\\SarvoChanger.exe"
    ok=0
    drive start "$(win "$program")\\SarvoSetTool.exe" '' window 'Sarvo Changer SettingTool' dump \
        expect-text Edit#0 "$(win "$program")\\WallPaper" expect-index ComboBox#0 2 \
        expect-check 'Button:Windows起動時に壁紙をチェンジする。' 0 \
        expect-text Static#3 '800 x 600 ピクセル' expect-text Static#0 '  61 x   37 ピクセル' \
        post-click Button: dialog フォルダーの参照 answer 2 \
        post-click Button:デリートスキップ dialog SarvoSettingTool expect-item 65535 デリートスキップを実行します \
        answer 7 \
        click 'Button:Windows起動時に壁紙をチェンジする。' select ComboBox#0 1 \
        expect-check Button:壁紙を無効にする。 1 settext Edit#0 "$(win "$pictures")" \
        close exit-code 0 || ok=$?
    expect_eq "$ok" 0 "the driver's steps: $(grep -v '^wine:' "$driver_out.err")"
    # Tab takes the controls in their focus order, the first has the focus;
    # twips / 15 at 96 DPI.
    expect_eq "$(tr -d '\r' <"$driver_out" | sed -n 's/^\([A-Za-z]*\) .* tab\( focus\)\?$/\1\2/p' | tr '\n' ' ')" \
        "Edit focus Button Edit Button Button ComboBox Button " "the focus order"
    expect_eq "$(tr -d '\r' <"$driver_out" | tail -n 2 | tr '\n' ' ')" "client 277,380 tool tips 4 " "size and tool tips"
    # Opened with the defaults, then each action stored at once; the log-on
    # choice when the window closed.
    expect_file_lines "$settings" "the settings file" '[Sarvo Changer]' "FolderPath=$(win "$pictures")" 'StartUp=1'
    expect_eq "$(reg_value "$run_key" SarvoChanger)" "\"$changer_key\"" "the log-on entry, quoted"
    expect_eq "$(reg_value "$desktop_key" TileWallpaper) $(reg_value "$desktop_key" WallpaperStyle)" "1 0" \
        "the tiled pair"
    expect_eq "$(reg_value "$desktop_key" Wallpaper || echo missing)" "" "no wallpaper, stored as an empty value"
    reg_unset "$run_key" SarvoChanger
    rm -f "$bitmap"
    ;;

delskip)
    # The picture shown goes into TrashBox beside one of its name; the real
    # changer then shows the only other picture.
    cp "$SARVO_PICTURES/sample.jpg" "$pictures/夕焼け 1.jpg"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/b.gif"
    echo older > "$program/TrashBox/夕焼け 1.jpg"
    ini_lines '[Sarvo Changer]' "FolderPath=$(win "$pictures")" "WallPaper=$(win "$pictures")\\夕焼け 1.jpg" \
        > "$settings"
    run_settool /delskip
    expect_eq "$status" 0 "/delskip ends normally: $(cat "$work/run.out")"
    expected_wallpaper="WallPaper=$(win "$pictures")\\b.gif"
    poll "the changer's record" grep -qF "$(sjis "$expected_wallpaper")" "$settings"  # the changer is not waited for
    expect_file_lines "$settings" "the changer recorded the other picture" '[Sarvo Changer]' \
        "FolderPath=$(win "$pictures")" "$expected_wallpaper"
    cmp -s "$SARVO_PICTURES/sample.jpg" "$program/TrashBox/夕焼け 1 (2).jpg" || fail "the picture is not in TrashBox"
    expect_eq "$(cat "$program/TrashBox/夕焼け 1.jpg")" older "the picture already in TrashBox is kept"
    expect_eq "$(ls "$pictures")" b.gif "only the other picture is left in the folder"
    expect_eq "$(reg_value "$desktop_key" Wallpaper)" "$bitmap_win" "the desktop shows the bitmap"
    ;;

add)
    # A free name: moved in as it is. A taken name: moved in under the name
    # the user gives, with the picture's extension.
    ini_lines '[Sarvo Changer]' "FolderPath=$(win "$pictures")" > "$settings"
    mkdir -p "$work/持ち込み 1" "$work/持ち込み 2"
    cp "$SARVO_PICTURES/sample.jpg" "$work/持ち込み 1/夕焼け 1.jpg"
    cp "$SARVO_PICTURES/sample.gif" "$work/持ち込み 2/夕焼け 1.jpg"
    run_settool "/add$(win "$work/持ち込み 1")\\夕焼け 1.jpg"
    expect_eq "$status" 0 "a free name: the add ends normally"
    cmp -s "$SARVO_PICTURES/sample.jpg" "$pictures/夕焼け 1.jpg" || fail "a free name: the picture is not in the folder"
    [[ ! -e "$work/持ち込み 1/夕焼け 1.jpg" ]] || fail "a free name: the picture is still where it was"

    use_display
    ok=0
    drive start "$(win "$program")\\SarvoSetTool.exe" "/add$(win "$work/持ち込み 2")\\夕焼け 1.jpg" \
        window 同じ名前のファイルは既に存在します expect-item 1001 新しいファイル名を入力してください。拡張子は不要です \
        set-item 1002 'new name' answer 1 exit-code 0 || ok=$?
    expect_eq "$ok" 0 "a taken name: the input box: $(grep -v '^wine:' "$driver_out.err")"
    cmp -s "$SARVO_PICTURES/sample.gif" "$pictures/new name.jpg" || fail "a taken name: not moved in under the new name"
    cmp -s "$SARVO_PICTURES/sample.jpg" "$pictures/夕焼け 1.jpg" || fail "a taken name: the picture there was changed"

    # With no one to ask (no display), the question is written out and
    # counts as cancelled: nothing moves.
    cp "$SARVO_PICTURES/sample.gif" "$work/持ち込み 2/夕焼け 1.jpg"
    (unset DISPLAY; run_settool "/add$(win "$work/持ち込み 2")\\夕焼け 1.jpg")
    grep -qF "$(sjis 新しいファイル名を入力してください。)" "$work/run.out" ||
        fail "no one to ask: the question is not written out: $(cat "$work/run.out")"
    [[ -e "$work/持ち込み 2/夕焼け 1.jpg" ]] || fail "no one to ask: the picture was moved"
    ;;

*) echo "unknown scenario: $scenario" >&2; exit 2 ;;
esac
finish
