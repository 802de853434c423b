#!/usr/bin/env bash
# A user's whole time with the suite under Wine, from the release zip
# unpacked into a folder whose name has blanks and Japanese: the changer
# puts up a picture, the settings tool's window ticks the log-on start, the
# uninstaller's window removes the current version, answered as a person
# would with window_driver.exe. Checked from outside: `wine reg query`, the
# bitmap in both of its folders, the program folder's files.
#
#   uninstaller_test.sh life_cycle CPACK-CONFIG CPACK CMAKE
set -euo pipefail
config=${2:?} cpack=${3:?} cmake=${4:?}
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
old_bitmap="$WINEPREFIX/drive_c/windows/SarvoChangerGraphic.bmp"  # where older versions put it

# Every folder and file of the program folder, with the files' checksums.
tree_state() {
    (cd "$folder" && find . -type d | sort && find . -type f -exec sha256sum {} + | sort -k 2)
}

case $scenario in
life_cycle)
    "$cpack" --config "$config" -G ZIP -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; exit 1; }
    mkdir "$work/ダウンロード 先"
    (cd "$work/ダウンロード 先" && "$cmake" -E tar xf "$work"/out/sarvo-backdrop-changer-*-win64.zip)
    folder=$(echo "$work/ダウンロード 先"/*)
    use_display
    rm -rf "$own_folder"
    reg_unset "$run_key" SarvoChanger
    reg_set "$desktop_key" TileWallpaper 1
    reg_set "$desktop_key" WallpaperStyle 0
    cp "$SARVO_PICTURES/sample.jpg" "$folder/WallPaper/夕焼け 1.jpg"
    cp "$SARVO_PICTURES/sample.gif" "$folder/TrashBox/old.gif"

    wine_ "$folder/SarvoChanger.exe" </dev/null >"$work/changer.out" 2>&1 || fail "the changer failed: $(cat "$work/changer.out")"
    [[ -f $own_folder/SarvoChangerGraphic.bmp ]] || fail "the changer wrote no bitmap"
    cp "$own_folder/SarvoChangerGraphic.bmp" "$old_bitmap"  # as an older version left it

    ok=0
    drive start "$(win "$folder")\\SarvoSetTool.exe" '' window 'Sarvo Changer SettingTool' \
        click 'Button:Windows起動時に壁紙をチェンジする。' close exit-code 0 || ok=$?
    expect_eq "$ok" 0 "the settings window: $(grep -v '^wine:' "$driver_out.err" || true)"
    expect_eq "$(reg_value "$run_key" SarvoChanger)" "\"$(win "$folder")\\SarvoChanger.exe\"" "the log-on entry"
    before=$(tree_state)

    # The uninstaller opens on the current version's button; its question and
    # its closing notice carry no caption of their own.
    ok=0
    drive start "$(win "$folder")\\SarvoUninstaller.exe" '' window 'Sarvo Changer Uninstaller' dump \
        post-click 'Button:Sarvo Changer Ver.2.0/3.0をアンインストール' dialog SarvoUninstaller \
        expect-item 65535 $'Sarvo Changer Ver.2.0/3.0をアンインストールします。\r\nよろしいですか？' answer 6 \
        dialog SarvoUninstaller expect-item 65535 'Sarvo Changer Ver.2.0/3.0をアンインストールしました。' answer 1 \
        close exit-code 0 || ok=$?
    expect_eq "$ok" 0 "the uninstaller's window: $(grep -v '^wine:' "$driver_out.err" || true)"
    # Twips / 15 at 96 DPI; the focus on the current version's button, then
    # Tab to the help text and the version 1.0 button; the labels last, in
    # the order they were made.
    expect_eq "$(tr -d '\r' <"$driver_out")" \
'Button "Sarvo Changer Ver.2.0/3.0をアンインストール" 8,44,257,25 tab focus
Edit "'"$(sed 's/$/\\r\\n/' <<'EOF' | tr -d '\n'
Sarvo Backdrop Changerをコンピュータか
ら完全に削除するアンインストーラです。
・起動時に設定されている場合のレジストリ
・WindowsフォルダにできるBMPファイル
をボタンひとつで削除できます。
また、Ver.1.0をご使用の方は、Ver.1.0を
アンインストールされてからVer.2.0を
ご使用いただくことをおすすめします。
また、実行ファイルの削除は行いませんので
アンインストール後、フォルダごと
削除してちゃってください。
EOF
)"'" 8,120,257,141 tab
Button "Sarvo Changer Ver.1.0をアンインストール" 8,74,257,25 tab
Static "■Sarvo Changer Uninstaller" 8,8,261,17
Static "アンインストールは下のボタンをクリック。" 8,26,259,19
Static "■説明" 10,106,89,17
Static "Sarvo Changer Uninstaller Version 3.0" 8,268,253,15
Static "Copyright (C) 2005-2026 Sarvo developers" 8,288,251,17
Static "https://sarvo-backdrop.example.org/" 8,302,253,17
client 272,321
tool tips 0' "the window's controls, places and focus order"

    expect_eq "$(reg_value "$run_key" SarvoChanger || echo gone)" gone "the log-on entry"
    expect_eq "$(reg_value "$desktop_key" Wallpaper || echo gone)" "" "no wallpaper, stored as an empty value"
    expect_eq "$(reg_value "$desktop_key" TileWallpaper) $(reg_value "$desktop_key" WallpaperStyle)" "1 0" \
        "the placement"
    [[ ! -e $own_folder ]] || fail "the bitmap's folder is still there: $(ls -A "$own_folder")"
    [[ ! -e $old_bitmap ]] || fail "the bitmap in the Windows folder is still there"
    expect_eq "$(tree_state)" "$before" "the program folder after the uninstaller"
    ;;
*)
    echo "unknown scenario: $scenario" >&2
    exit 2
    ;;
esac
finish
