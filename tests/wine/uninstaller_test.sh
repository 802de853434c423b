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
use_display
mkdir -p "$own_folder"
tee "$bitmap" "$old_bitmap" <"$SARVO_PICTURES/sample_gif_ref.bmp" >/dev/null
reg_set "$desktop_key" Wallpaper "$bitmap_win"
reg_set "$run_key" SarvoChanger "$(win "$folder")\\SarvoChanger.exe"
before=$(tree_state)

# The focus on the current version's button; the boxes carry the program's name.
drive start "$(win "$folder")\\SarvoUninstaller.exe" '' window 'Sarvo Changer Uninstaller' dump \
    post-click 'Button:Sarvo Changer Ver.2.0/3.0をアンインストール' dialog SarvoUninstaller \
    expect-item 65535 $'Sarvo Changer Ver.2.0/3.0をアンインストールします。\r\nよろしいですか？' answer 6 \
    dialog SarvoUninstaller expect-item 65535 'Sarvo Changer Ver.2.0/3.0をアンインストールしました。' answer 1 \
    close exit-code 0
assert_eq "$(tr -d '\r' <"$driver_out" | grep focus)" \
    'Button "Sarvo Changer Ver.2.0/3.0をアンインストール" 8,44,257,25 tab focus' "the focus"

assert_eq "$(reg_value "$run_key" SarvoChanger || echo gone) [$(reg_value "$desktop_key" Wallpaper || echo gone)]" "gone []" \
    "the log-on entry, and no wallpaper stored as an empty value"
[[ ! -e $own_folder ]] || fail "the bitmap's folder is still there: $(ls -A "$own_folder")"
[[ ! -e $old_bitmap ]] || fail "the bitmap in the Windows folder is still there"
assert_eq "$(tree_state)" "$before" "the program folder after the uninstaller"
