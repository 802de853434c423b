#!/usr/bin/env bash
# uninstaller_test.sh life_cycle CPACK-CONFIG CPACK CMAKE: the zip's uninstaller
# under a Japanese path, driven: the log-on entry and both bitmaps go, the folder stays.
set -euo pipefail
config=${2:?} cpack=${3:?} cmake=${4:?}
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
old_bitmap="$WINEPREFIX/drive_c/windows/SarvoChangerGraphic.bmp"  # where older versions put it
[[ $scenario == life_cycle ]] || fail "unknown scenario: $scenario"

"$cpack" --config "$config" -G ZIP -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; exit 1; }
mkdir "$work/ダウンロード 先"
(cd "$work/ダウンロード 先" && "$cmake" -E tar xf "$work"/out/sarvo-backdrop-changer-*-win64.zip)
folder=$(echo "$work/ダウンロード 先"/*)
use_display 192
mkdir -p "$own_folder"
tee "$bitmap" "$old_bitmap" <"$SARVO_PICTURES/sample_gif_ref.bmp" >/dev/null
reg_set "$desktop_key" Wallpaper "$bitmap_win"
reg_set "$run_key" SarvoChanger "$(win "$folder")\\SarvoChanger.exe"
before=$(tree_state)

# At 200%: the focus on the current version's button, Tab and Shift+Tab round the window (Escape in the
# help text closes nothing), every text whole; the boxes carry the program's name.
drive start "$(win "$folder")\\SarvoUninstaller.exe" '' window 'Sarvo Changer Uninstaller' dump \
    tab 1 escape tab 2 shift-tab 3 fits \
    post-click 'Button:Sarvo Changer Ver.2.0/3.0をアンインストール' dialog SarvoUninstaller \
    expect-item 65535 $'Sarvo Changer Ver.2.0/3.0をアンインストールします。\r\nよろしいですか？' answer 6 \
    dialog SarvoUninstaller expect-item 65535 'Sarvo Changer Ver.2.0/3.0をアンインストールしました。' answer 1 \
    close exit-code 0
v3='Button "Sarvo Changer Ver.2.0/3.0をアンインストール"'
v1='Button "Sarvo Changer Ver.1.0をアンインストール"'
help='Edit "Sarvo Backdrop Changerをコンピュータか"'
assert_eq "$(tr -d '\r' <"$driver_out" | grep focus)" "$v3 16,88,514,50 tab focus"$'\n'"$(printf 'focus %s\n' \
    "$help" "$v1" "$v3" "$v1" "$help" "$v3")" "the focus, and where Tab and Shift+Tab take it"

assert_eq "$(reg_value "$run_key" SarvoChanger || echo gone)" gone "the log-on entry"
assert_eq "$(reg_value "$desktop_key" Wallpaper || echo gone)" "" "the wallpaper switched off: an empty value, not a missing one"
[[ ! -e $own_folder ]] || fail "the bitmap's folder is still there: $(ls -A "$own_folder")"
[[ ! -e $old_bitmap ]] || fail "the bitmap in the Windows folder is still there"
assert_eq "$(tree_state)" "$before" "the program folder after the uninstaller"
