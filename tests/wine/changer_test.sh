#!/usr/bin/env bash
# SarvoChanger.exe under Wine, checked from outside (the settings file's bytes,
# the registry, the bitmap's pixels, the programs started):
#   changer_test.sh completed
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
    # One JPEG among other files; names no ANSI call can reach are never chosen.
    cp "$SARVO_PICTURES/sample.jpg" "$pictures/表 1.jpg"
    echo notes > "$pictures/notes.txt"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/사진.gif"
    cp "$SARVO_PICTURES/sample.gif" "$pictures/café.gif"
    ini_lines '[Sarvo Changer]' "FolderPath=$(win "$pictures")" > "$settings"
    reg_set "$desktop_key" Wallpaper ''
    for run in 1 2; do
        status=0
        wine_ "$program/SarvoChanger.exe" </dev/null >"$work/run.out" 2>&1 || status=$?
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
*) fail "unknown scenario: $scenario" ;;
esac
