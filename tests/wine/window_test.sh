#!/usr/bin/env bash
# The Win32 window service and dialogs under Wine on a real X server: a
# window with every kind of control (window_demo.cpp), driven from outside
# by window_driver.cpp as a person would, with what each handler did read
# from the demo's log.
#
#   window_test.sh demo
#
# Environment (set by CTest): WINEPREFIX and the other Wine settings,
# SARVO_WINE, SARVO_BIN (the built programs), SARVO_XVFB_STATE.
set -euo pipefail
scenario=${1:?scenario}
: "${SARVO_WINE:?}" "${SARVO_BIN:?}" "${WINEPREFIX:?}"
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-wine-window.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"  # no reg.exe or other program of the same name here
driver_out="$work/driver.out"
use_display

case $scenario in
demo)
    log="$work/demo.log"
    folder="$WINEPREFIX/drive_c/写真 フォルダ"
    mkdir -p "$folder"
    ok=0
    drive start "$(win "$SARVO_BIN")\\sarvo_window_demo.exe" "$(win "$log")" window 窓のテスト dump \
        settext Edit#0 'D:\写真' click Button:有効にする。 select ComboBox#0 1 \
        press Static#2 expect-text Edit#0 'C:\コード' expect-index ComboBox#0 2 \
        expect-text Static#2 '1024 x 768 ピクセル' \
        dblclick Edit#0 dblclick Static@icon press Static:https://example.org/ click Button#1 \
        post-click Button:確認 dialog 窓のテスト answer 7 \
        post-click Button:入力 dialog 名前の入力 expect-item 1001 新しい名前を入力してください。 \
        expect-item 1002 初期値 set-item 1002 '新しい 名前' answer 1 \
        post-click Button:入力 dialog 名前の入力 answer 2 \
        settext Edit#0 'C:\写真 フォルダ' post-click Button:参照 dialog フォルダーの参照 answer 1 \
        post-click Button:参照 dialog フォルダーの参照 answer 2 \
        close exit-code 0 || ok=$?
    expect_eq "$ok" 0 "the driver's steps: $(grep -v '^wine:' "$driver_out.err")"
    # Twips / 15 at 96 DPI; Tab takes the controls in their focus order (the
    # Z order), the first of it has the focus; labels and the picture last.
    expect_eq "$(tr -d '\r' <"$driver_out")" \
'Button "有効にする。" 10,54,151,19 tab focus
ComboBox "" 164,54,103,21 tab
Edit "" 8,27,227,18 tab
Button "" 244,27,25,17 tab
Button "入力" 8,84,80,23 tab
Button "参照" 92,84,80,23 tab
Button "確認" 176,84,60,23 tab
Edit "一行目\r\n二行目\r\n" 8,140,261,80 tab
Static "■見出し" 8,8,200,17
Static "" 238,80,32,32
Static "" 8,120,261,15
Static "https://example.org/" 4,230,267,17
client 277,280
tool tips 3' "the controls' places, focus order and tool tips"
    # Each action runs its handler once; code's changes too, and the echo of
    # drawing them runs nothing.
    expect_eq "$(cat "$log")" \
'folder change D:\写真
on click 1
style click 1
size click
folder change C:\コード
style click 2
folder dblclick
bin dblclick
url click
picture click
confirm 7
ask Ok 新しい 名前
ask Cancel
folder change C:\写真 フォルダ
browse Ok C:\写真 フォルダ
browse Cancel
unload
closed' "what the handlers saw"
    ;;
*)
    echo "unknown scenario: $scenario" >&2
    exit 2
    ;;
esac
finish "$scenario"
