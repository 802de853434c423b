# Shared by the Wine test scripts (after `set -euo pipefail`): a scratch program
# folder named with blanks and Japanese, Windows paths, Shift-JIS, the registry,
# the display. CTest sets WINEPREFIX, SARVO_WINE, SARVO_BIN, SARVO_PICTURES, SARVO_XVFB_STATE.
. "$(dirname "${BASH_SOURCE[0]}")/../integration/lib.sh"
: "${SARVO_WINE:?}" "${SARVO_BIN:?}" "${SARVO_PICTURES:?}" "${WINEPREFIX:?}"
scenario=${1:?scenario}
work=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-wine.XXXXXX")
T=$work
trap cleanup EXIT
cd "$work"  # no reg.exe or other program of the same name here
program="$work/プログラム フォルダ"
settings="$program/sarvoset.ini"
driver_out="$work/driver.out"
mkdir -p "$program/TrashBox"
own_folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Sarvo Backdrop Changer"
bitmap="$own_folder/SarvoChangerGraphic.bmp"
bitmap_win="C:\\users\\$(id -un)\\AppData\\Local\\Sarvo Backdrop Changer\\SarvoChangerGraphic.bmp"
set -o errtrace  # a command that stops the script says so, also inside a function
trap 'echo "FAIL: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR

wine_() { "$SARVO_WINE" "$@"; }
win() { printf 'Z:%s' "${1//\//\\}"; }  # a host path on Wine's Z: drive
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }  # as Windows programs write text
ini_lines() {  # LINE... (UTF-8) as CRLF Shift-JIS lines
    local line
    for line in "$@"; do sjis "$line"; printf '\r\n'; done
}
assert_file_lines() {  # FILE WHAT LINE...: FILE holds exactly these CRLF Shift-JIS lines
    ini_lines "${@:3}" > "$work/expected"
    cmp -s "$work/expected" "$1" || fail "$2"$'\n'"  expected: $(od -c "$work/expected")"$'\n'"  actual: $(od -c "$1" 2>&1)"
}
reg_value() {  # KEY NAME: the data in UTF-8; fails when there is no such value
    local out; out=$(wine_ reg query "$1" /v "$2" 2>/dev/null) || return 1
    tr -d '\r' <<<"$out" | iconv -f CP932 -t UTF-8 | sed -n "s/^    $2    REG_[A-Z_]*    //p"
}
reg_set() { wine_ reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1; }  # KEY NAME DATA
reg_unset() { wine_ reg delete "$1" /v "$2" /f >/dev/null 2>&1 || true; }  # KEY NAME
desktop_key='HKCU\Control Panel\Desktop'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# use_display [DPI]: the shared Xvfb; IPA fonts for the Japanese system fonts, Wine's Marlett for
# the caption buttons (Debian's Wine misses it), a Wine desktop for the window driver; the
# system's DPI (96) for the programs started from now on.
use_display() {
    # shellcheck source=/dev/null
    . "${SARVO_XVFB_STATE:?}"
    export DISPLAY=$SARVO_TEST_DISPLAY
    local face
    for face in 'MS UI Gothic:IPAPGothic' 'MS PGothic:IPAPGothic' 'ＭＳ Ｐゴシック:IPAPGothic' 'MS Gothic:IPAGothic' \
                'ＭＳ ゴシック:IPAGothic'; do
        reg_set 'HKCU\Software\Wine\Fonts\Replacements' "${face%:*}" "${face#*:}"
    done
    [[ ! -f /usr/share/wine/fonts/marlett.ttf ]] || reg_set 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
        'Marlett (TrueType)' 'Z:\usr\share\wine\fonts\marlett.ttf'
    reg_set 'HKCU\Software\Wine\AppDefaults\sarvo_window_driver.exe\Explorer' Desktop sarvo
    reg_set 'HKCU\Software\Wine\Explorer\Desktops' sarvo 1024x768
    wine_ reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${1:-96}" /f >/dev/null 2>&1
    CLEANUPS+=("wine_ reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1")
}

# drive STEP...: window_driver.cpp, printing to `driver_out` (no pipe: Wine's
# background processes would hold it open); a failed step fails the test.
drive() {
    timeout 120 "$SARVO_WINE" "$SARVO_BIN/sarvo_window_driver.exe" "$@" </dev/null >"$driver_out" 2>"$driver_out.err" ||
        fail "the window driver: $(grep -v '^wine:' "$driver_out.err" || true)"
}
