#!/usr/bin/env bash
# SarvoChanger.exe under Wine, checked from outside (the settings file's bytes,
# the registry, the bitmap's pixels, the programs started):
#   changer_test.sh completed|link_loops|windows_xp|more_formats|monitors
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cp "$SARVO_BIN/SarvoChanger.exe" "$program/"
cp "$SARVO_BIN/sarvo_stand_in_settool.exe" "$program/SarvoSetTool.exe"
pictures="$work/写真 フォルダ"
mkdir -p "$pictures"
rm -rf "$bitmap"  # whatever an earlier test left there
registry_wallpaper() { reg_value "$desktop_key" Wallpaper || true; }
stand_in_ended() { poll "the stand-in's end" eval '! pgrep -f "SarvoSetTool\.exe" >/dev/null'; }
assert_bitmap_of() {  # SOURCE FUZZ WHAT: a 24-bit BMP, no pixel differing beyond FUZZ (a percentage)
    [[ -f "$bitmap" ]] || fail "$3: no bitmap at $bitmap"
    assert_eq "$(head -c 2 "$bitmap")" BM "$3: a BMP file"
    assert_eq "$(od -An -tu2 -j28 -N2 "$bitmap" | tr -d ' ')" 24 "$3: 24 bits a pixel"
    assert_eq "$(compare -metric AE -fuzz "$2%" "$bitmap" "$1" null: 2>&1 || true)" "0" "$3: the bitmap shows the picture"
}

case $scenario in
completed)
    # A picture opened with the changer goes to the settings tool unquoted, in a normal window.
    cp "$SARVO_PICTURES/sample.jpg" "$work/写真 1.JPG"
    run_raw SarvoChanger.exe "\"$(win "$work")\\写真 1.JPG\""
    assert_eq "$status" 0 "the hand-over ends normally"
    poll "the stand-in's record" test -s "$program/SarvoSetTool.log"
    stand_in_ended
    assert_eq "$(cat "$program/SarvoSetTool.log")" "text=/add$(win "$work")\\写真 1.JPG"$'\n'"show=1" "the hand-over"
    [[ ! -e "$settings" ]] || fail "the hand-over wrote the settings file"
    rm "$program/SarvoSetTool.log"
    # Then one JPEG among other files; names no ANSI call can reach are never chosen.
    cp "$SARVO_PICTURES/sample.jpg" "$pictures/表 1.jpg"
    echo notes > "$pictures/notes.txt"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/사진.gif"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/café.gif"
    ini_lines '[Sarvo Changer]' "FolderPath=$(win "$pictures")" > "$settings"
    reg_set "$desktop_key" Wallpaper ''
    for run in 1 2; do
        run_raw SarvoChanger.exe
        assert_file_lines "$settings" "run $run: the settings file" '[Sarvo Changer]' "FolderPath=$(win "$pictures")" \
            "WallPaper=$(win "$pictures")\\表 1.jpg"
        assert_eq "$status" 0 "run $run: exit code"
        assert_eq "$(registry_wallpaper)" "$bitmap_win" "run $run: the desktop's bitmap"
        assert_bitmap_of "$pictures/表 1.jpg" 2 "run $run"
    done
    assert_eq "$(find "$program" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | tr '\n' ' ')" \
        "SarvoChanger.exe SarvoSetTool.exe TrashBox sarvoset.ini " "nothing else is left in the program folder"
    stand_in_ended  # by then a start would have left its record
    [[ ! -e "$program/SarvoSetTool.log" ]] || fail "the settings tool was started: $(cat "$program/SarvoSetTool.log")"
    ;;
link_loops)
    # Links followed, loops not: a link back up the tree, and a second link to a folder already walked.
    mkdir -p "$pictures/sub"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/a.gif"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/sub/b.gif"
    ln -s .. "$pictures/sub/up"
    ln -s sub "$pictures/link"
    catalogue=$(timeout 60 "$SARVO_WINE" "$SARVO_BIN/sarvo_catalogue_tool.exe" "$(win "$pictures")" | tr -d '\r' |
                sed 's/.*\\//' | sort | tr '\n' ' ')
    assert_eq "$catalogue" "a.gif b.gif " "each picture is in the catalogue once"
    ;;
windows_xp)
    # Where a standard user may write to the Windows folder, the bitmap stays there.
    key='HKCU\Software\Wine\AppDefaults\SarvoChanger.exe'
    bitmap="$WINEPREFIX/drive_c/windows/SarvoChangerGraphic.bmp"
    CLEANUPS+=("wine_ reg delete '$key' /f >/dev/null 2>&1; rm -f '$bitmap'")
    wine_ reg add "$key" /v Version /t REG_SZ /d winxp64 /f >/dev/null 2>&1
    mkdir -p "$program/WallPaper"
    cp "$SARVO_PICTURES/sample.gif" "$program/WallPaper/only.gif"
    rm -f "$bitmap"
    run_raw SarvoChanger.exe
    assert_eq "$status" 0 "exit code"
    assert_eq "$(registry_wallpaper)" 'C:\windows\SarvoChangerGraphic.bmp' "the desktop's bitmap"
    assert_bitmap_of "$program/WallPaper/only.gif" 0 "Windows folder"
    ;;
more_formats)
    # MoreFormats=1: a WebP, which Wine has no codec for, gets the broken-picture message and a line naming its
    # format.
    cp "$SARVO_PICTURES/sample.webp" "$pictures/写真.webp"
    ini_lines '[Sarvo Changer]' "FolderPath=$(win "$pictures")" 'MoreFormats=1' > "$settings"
    run_raw SarvoChanger.exe
    assert_eq "$status" 1 "exit code of the stop"
    # Standard error is a text stream: each line break of the message comes out as CR CR LF.
    expected="$(sjis "以下の画像ファイルは壊れています。")"$'\n'"$(sjis "$(win "$pictures")\\写真.webp")"$'\n'
    expected+="$(sjis "このシステムにはWebP形式の画像を読み込む機能がありません。")"
    [[ $(tr -d '\r' <"$work/run.out") == *"$expected"* ]] || fail "the message: $(iconv -f CP932 -t UTF-8 "$work/run.out")"
    ;;
monitors)
    # Monitors=1 changes nothing on Windows: the one picture is the bitmap, and no record of monitors is made.
    cp "$SARVO_PICTURES/sample.gif" "$pictures/only.gif"
    ini_lines '[Sarvo Changer]' "FolderPath=$(win "$pictures")" 'Monitors=1' > "$settings"
    run_raw SarvoChanger.exe
    assert_eq "$status" 0 "exit code"
    assert_eq "$(registry_wallpaper)" "$bitmap_win" "the desktop's bitmap"
    assert_file_lines "$settings" "the settings file" '[Sarvo Changer]' "FolderPath=$(win "$pictures")" 'Monitors=1' \
        "WallPaper=$(win "$pictures")\\only.gif"
    assert_bitmap_of "$pictures/only.gif" 0 "the one picture"
    [[ ! -e "$(dirname "$bitmap")/SarvoChangerMonitors.txt" ]] || fail "a record of monitors was made"
    ;;
*) fail "unknown scenario: $scenario" ;;
esac
