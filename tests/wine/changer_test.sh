#!/usr/bin/env bash
# SarvoChanger.exe under Wine in a temporary program folder, one scenario per
# call, checked from outside as a user would see the result: the settings
# file's bytes, the desktop's registry value, the bitmap's pixels, the
# message boxes (recorded by the test build) and the programs it started.
#
#   changer_test.sh completed|broken_picture|command_lines|link_loops|windows_xp
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
ui_log="$work/ui.log"

# Installs the shipped changer, or the test build with scripted message boxes.
install_changer() {  # shipped|scripted
    cp "$SARVO_BIN/SarvoChanger$([[ $1 == shipped ]] || echo _scripted).exe" "$program/SarvoChanger.exe"
    cp "$SARVO_BIN/sarvo_stand_in_settool.exe" "$program/SarvoSetTool.exe"
}

# Runs the changer with an exact argument text; sets `status`.
run_changer() {  # [ARGUMENT-TEXT]
    status=0
    SARVO_TEST_UI_LOG=$(win "$ui_log") \
        wine_ "$SARVO_BIN/sarvo_run_raw.exe" "$(win "$program/SarvoChanger.exe")" "$@" || status=$?
}

write_settings() { ini_lines "$@" > "$program/sarvoset.ini"; }  # LINE...
expect_settings() {  # WHAT LINE...
    local what=$1
    shift
    expect_file_lines "$program/sarvoset.ini" "$what: settings file" "$@"
}

# The desktop's "Wallpaper" value as Windows recorded it, in UTF-8.
registry_wallpaper() { reg_value "$desktop_key" Wallpaper || true; }
set_registry_wallpaper() { reg_set "$desktop_key" Wallpaper "$1"; }

# Whatever an earlier test left in the bitmap's place goes.
rm -rf "$bitmap"

expect_bitmap_of() {  # SOURCE FUZZ WHAT: no pixel differs beyond FUZZ (a percentage)
    [[ -f "$bitmap" ]] || { fail "$3: no bitmap at $bitmap"; return; }
    expect_eq "$(head -c 2 "$bitmap")" "BM" "$3: the bitmap is a BMP file"
    expect_eq "$(od -An -tu2 -j28 -N2 "$bitmap" | tr -d ' ')" "24" "$3: 24 bits a pixel"
    expect_eq "$(compare -metric AE -fuzz "$2%" "$bitmap" "$1" null: 2>&1 || true)" "0" \
        "$3: the bitmap shows the picture"
}
expect_ui_log() {  # WHAT TEXT (the text's lines joined by CR LF)
    local expected
    expected=$(printf 'SarvoBackdropChanger\n%s\n16\n--\nEND' "$2")
    expect_eq "$(cat "$ui_log" 2>/dev/null; printf 'END')" "$expected" "$1: the message box"
}
# The settings tool was not started. The changer does not wait for what it
# starts, so first wait until no settings tool (stand-in) runs: a start would
# then have left its record.
expect_no_start() {
    poll "the stand-in's end" eval '! pgrep -f "SarvoSetTool\.exe" >/dev/null'
    [[ ! -e "$program/SarvoSetTool.log" ]] || fail "$1: the settings tool was started: $(cat "$program/SarvoSetTool.log")"
}
# The stand-in's record once it has written one (it is not waited for).
stand_in_log() {
    poll "the stand-in's record" test -s "$program/SarvoSetTool.log"
    cat "$program/SarvoSetTool.log"
}

crlf=$'\r\n'

case $scenario in
completed)
    # The shipped program, a picture folder named in Japanese with blanks,
    # one JPEG among other files.
    pictures="$work/写真 フォルダ"
    mkdir -p "$pictures"
    cp "$SARVO_PICTURES/sample.jpg" "$pictures/表 1.jpg"
    echo notes > "$pictures/notes.txt"
    # Names no ANSI call can reach are never chosen.
    cp "$SARVO_PICTURES/sample.gif" "$pictures/사진.gif"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/café.gif"
    install_changer shipped
    write_settings '[Sarvo Changer]' "FolderPath=$(win "$pictures")"
    set_registry_wallpaper ''
    for run in 1 2; do
        run_changer
        expect_eq "$status" 0 "run $run ends normally"
        expect_settings "run $run" '[Sarvo Changer]' "FolderPath=$(win "$pictures")" \
            "WallPaper=$(win "$pictures")\\表 1.jpg"
        expect_eq "$(registry_wallpaper)" "$bitmap_win" "run $run: the desktop shows the bitmap"
        expect_bitmap_of "$pictures/表 1.jpg" 2 "run $run"
    done
    expect_eq "$(find "$program" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | tr '\n' ' ')" \
        "SarvoChanger.exe SarvoSetTool.exe TrashBox sarvoset.ini " "nothing else is left in the program folder"
    expect_no_start completed
    ;;

broken_picture)
    # A run that stops shows its message and keeps the settings file, the
    # desktop's wallpaper and the bitmap as they were.
    pictures="$work/pics"
    mkdir -p "$pictures"
    echo "this is no picture" > "$pictures/壊れ た.jpg"
    text="以下の画像ファイルは壊れています。$crlf$(win "$pictures")\\壊れ た.jpg"
    install_changer scripted
    write_settings '[Sarvo Changer]' "FolderPath=$(win "$pictures")" 'WallPaper=C:\old\前.jpg'
    cp "$program/sarvoset.ini" "$work/before.ini"
    set_registry_wallpaper 'C:\old\wall.bmp'
    mkdir -p "$(dirname "$bitmap")"
    echo previous > "$bitmap"
    run_changer
    expect_eq "$status" 1 "the run stops"
    expect_ui_log "$scenario" "$text"
    cmp -s "$work/before.ini" "$program/sarvoset.ini" || fail "the settings file changed"
    expect_eq "$(registry_wallpaper)" 'C:\old\wall.bmp' "the wallpaper is kept"
    expect_eq "$(cat "$bitmap")" previous "the bitmap is kept"
    ;;

command_lines)
    # A picture opened with the changer goes to the settings tool, its path
    # without the quotes, with a normal window; nothing else happens.
    pictures="$work/写真 フォルダ"
    mkdir -p "$pictures"
    cp "$SARVO_PICTURES/sample.jpg" "$pictures/Photo 1.JPG"
    install_changer scripted
    run_changer "\"$(win "$pictures")\\Photo 1.JPG\""
    expect_eq "$status" 0 "the hand-over ends normally"
    expect_eq "$(stand_in_log)" "text=/add$(win "$pictures")\\Photo 1.JPG"$'\n'"show=1" \
        "the settings tool is started with /add and the path"
    [[ ! -e "$program/sarvoset.ini" ]] || fail "the settings file was written"
    ;;

link_loops)
    # Links followed, loops not: a link back up the tree, and a second link
    # to a folder already walked.
    root="$work/pics"
    mkdir -p "$root/sub"
    cp "$SARVO_PICTURES/sample.gif" "$root/a.gif"
    cp "$SARVO_PICTURES/sample.gif" "$root/sub/b.gif"
    ln -s .. "$root/sub/up"
    ln -s sub "$root/link"
    catalogue=$(timeout 60 "$SARVO_WINE" "$SARVO_BIN/sarvo_catalogue_tool.exe" "$(win "$root")" | tr -d '\r' |
                sed 's/.*\\//' | sort | tr '\n' ' ')
    expect_eq "$catalogue" "a.gif b.gif " "each picture is in the catalogue once"
    install_changer shipped
    write_settings '[Sarvo Changer]' "FolderPath=$(win "$root")"
    run_changer
    expect_eq "$status" 0 "the changer ends normally over the links"
    ;;

windows_xp)
    # Where a standard user may write to the Windows folder, the bitmap
    # stays there.
    key='HKCU\Software\Wine\AppDefaults\SarvoChanger.exe'
    trap 'wine_ reg delete "$key" /f >/dev/null 2>&1; rm -rf "$work"' EXIT
    wine_ reg add "$key" /v Version /t REG_SZ /d winxp64 /f >/dev/null 2>&1
    mkdir -p "$program/WallPaper"
    cp "$SARVO_PICTURES/sample.gif" "$program/WallPaper/only.gif"
    install_changer shipped
    rm -f "$WINEPREFIX/drive_c/windows/SarvoChangerGraphic.bmp"
    run_changer
    expect_eq "$status" 0 "the run ends normally"
    expect_eq "$(registry_wallpaper)" 'C:\windows\SarvoChangerGraphic.bmp' "the desktop shows the bitmap"
    bitmap="$WINEPREFIX/drive_c/windows/SarvoChangerGraphic.bmp"
    expect_bitmap_of "$program/WallPaper/only.gif" 0 "Windows folder"
    rm -f "$bitmap"
    ;;

*)
    echo "unknown scenario: $scenario" >&2
    exit 2
    ;;
esac

finish
