#!/usr/bin/env bash
# SarvoSetTool.exe under Wine, checked from outside and through its window:
#   window   at 150%: controls, the keyboard, tool tips, browser and question cancelled, each control
#            used, then the session ends
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cp "$SARVO_BIN/SarvoSetTool.exe" "$SARVO_BIN/SarvoChanger.exe" "$program/"
pictures="$work/写真 フォルダ"
mkdir -p "$pictures"

case $scenario in
window)
    use_display 144  # 150%
    printf '[Sarvo Changer]\r\n' > "$settings"
    for value in Wallpaper= TileWallpaper=0 WallpaperStyle=2; do reg_set "$desktop_key" "${value%=*}" "${value#*=}"; done
    reg_unset "$run_key" SarvoChanger
    CLEANUPS+=("reg_unset '$run_key' SarvoChanger; rm -f '$bitmap'")
    mkdir -p "$(dirname "$bitmap")"
    convert "$SARVO_PICTURES/sample.png" -type TrueColor BMP3:"$bitmap"
    # Tab and Shift+Tab from every control (Escape in the help text closes nothing); the log-off.
    drive start "$(win "$program")\\SarvoSetTool.exe" '' window 'Sarvo Changer SettingTool' dump \
        tab 2 escape tab 5 shift-tab 7 \
        expect-text Edit#0 "$(win "$program")\\WallPaper" expect-index ComboBox#0 2 \
        expect-check 'Button:Windows起動時に壁紙をチェンジする。' 0 \
        expect-text Static#3 '1024 x 768 ピクセル' expect-text Static#0 '  61 x   37 ピクセル' \
        post-click Button: dialog フォルダーの参照 answer 2 \
        post-click Button:デリートスキップ dialog SarvoSettingTool expect-item 65535 デリートスキップを実行します \
        answer 7 \
        click 'Button:Windows起動時に壁紙をチェンジする。' select ComboBox#0 1 \
        expect-check Button:壁紙を無効にする。 1 settext Edit#0 "$(win "$pictures")" \
        end-session
    # The focus order from the first control, forwards and back; the size in twips / 10.
    order=('Button ""' 'Edit "Sarvo Backdrop Changerは、フォルダの"' 'Button "Windows起動時に壁紙をチェンジする。"'
           'Button "デリートスキップ"' 'ComboBox "拡大して表示"' 'Button "壁紙を無効にする。"' "Edit \"$(win "$program")\\WallPaper\"")
    assert_eq "$(tr -d '\r' <"$driver_out" | sed -n 's/^focus //p')" "$(printf '%s\n' "${order[@]}" "${order[5]}" \
        "${order[4]}" "${order[3]}" "${order[2]}" "${order[1]}" "${order[0]}" "${order[6]}")" "Tab and Shift+Tab"
    assert_eq "$(tr -d '\r' <"$driver_out" | grep ' focus$')" "${order[6]} 12,36,341,27 tab focus" "the one control focused first"
    assert_eq "$(tr -d '\r' <"$driver_out" | grep '^client ')" "client 416,570" "the size"
    assert_eq "$(tr -d '\r' <"$driver_out" | grep '^tool tips ')" "tool tips 4" "the tool tips"
    assert_file_lines "$settings" "the settings file" '[Sarvo Changer]' "FolderPath=$(win "$pictures")" 'StartUp=1'
    assert_eq "$(reg_value "$run_key" SarvoChanger)" "\"$(win "$program")\\SarvoChanger.exe\"" "the log-on entry, quoted"
    assert_eq "$(reg_value "$desktop_key" TileWallpaper)" 1 "TileWallpaper of the tiled pair"
    assert_eq "$(reg_value "$desktop_key" WallpaperStyle)" 0 "WallpaperStyle of the tiled pair"
    assert_eq "$(reg_value "$desktop_key" Wallpaper || echo missing)" "" "the wallpaper switched off: an empty value, not a missing one"
    ;;
*) fail "unknown scenario: $scenario" ;;
esac
