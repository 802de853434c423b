# Shared by the Wine test scripts: a scratch folder with a program folder
# named with blanks and Japanese, checks, Windows paths, Shift-JIS texts,
# registry values and the display. Source it after `set -euo pipefail`; CTest
# sets WINEPREFIX and the other Wine settings, SARVO_WINE, SARVO_BIN (the
# built programs), SARVO_PICTURES (sample pictures) and SARVO_XVFB_STATE.
: "${SARVO_WINE:?}" "${SARVO_BIN:?}" "${SARVO_PICTURES:?}" "${WINEPREFIX:?}"
scenario=${1:?scenario}
work=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-wine.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"  # no reg.exe or other program of the same name here
program="$work/プログラム フォルダ" settings="$work/プログラム フォルダ/sarvoset.ini" driver_out="$work/driver.out"
mkdir -p "$program/TrashBox"
# Where the bitmap goes from Vista on: the user's local application-data folder.
own_folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Sarvo Backdrop Changer"
bitmap="$own_folder/SarvoChangerGraphic.bmp"
bitmap_win="C:\\users\\$(id -un)\\AppData\\Local\\Sarvo Backdrop Changer\\SarvoChangerGraphic.bmp"

# A command that stops the script says so, also inside a function.
set -o errtrace
trap 'echo "FAIL: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR

fails=0
fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
expect_eq() {  # ACTUAL EXPECTED WHAT
    if [[ "$1" != "$2" ]]; then
        fail "$3"
        printf '  expected: %q\n  actual:   %q\n' "$2" "$1" >&2
    fi
}
finish() { ((fails == 0)) || { echo "$scenario: $fails check(s) failed" >&2; exit 1; }; echo "$scenario: passed"; }
# poll WHAT COMMAND...: waits up to 30 s for COMMAND to succeed.
poll() {
    for _ in $(seq 300); do "${@:2}" && return 0; sleep 0.1; done
    fail "$1 did not happen within 30 s"
}

wine_() { "$SARVO_WINE" "$@"; }
# The Windows form of a host path (Wine's Z: drive is the host's root).
win() { printf 'Z:%s' "${1//\//\\}"; }
# Text in the ANSI code page (Shift-JIS), as Windows programs write it.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
ini_lines() {  # LINE... (UTF-8) as CRLF Shift-JIS lines
    local line
    for line in "$@"; do sjis "$line"; printf '\r\n'; done
}
expect_file_lines() {  # FILE WHAT LINE...: FILE holds exactly these CRLF Shift-JIS lines
    ini_lines "${@:3}" > "$work/expected"
    cmp -s "$work/expected" "$1" ||
        fail "$2"$'\n'"  expected: $(od -c "$work/expected")"$'\n'"  actual: $(od -c "$1" 2>&1)"
}

# A registry value's data in UTF-8; fails when there is no such value.
reg_value() {  # KEY NAME
    local out
    out=$(wine_ reg query "$1" /v "$2" 2>/dev/null) || return 1
    tr -d '\r' <<<"$out" | iconv -f CP932 -t UTF-8 | sed -n "s/^    $2    REG_[A-Z_]*    //p"
}
reg_set() { wine_ reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1; }  # KEY NAME DATA
reg_unset() { wine_ reg delete "$1" /v "$2" /f >/dev/null 2>&1 || true; }  # KEY NAME
desktop_key='HKCU\Control Panel\Desktop'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# The shared Xvfb (SARVO_XVFB_STATE, from tests/integration/xvfb.sh), with
# what Japanese windows need in the prefix: IPA fonts in place of the
# Japanese system fonts (Wine has none of its own), Wine's own Marlett for
# the caption buttons (Debian's Wine does not find the fonts of fonts-wine
# by itself), and a Wine desktop of its own for the test driver and what it
# starts, with title bars drawn by Wine, where no window manager runs.
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
    reg_set 'HKCU\Software\Wine\Explorer\Desktops' sarvo 800x600
}

# Runs the window driver (tests/wine/window_driver.cpp) with STEP...; its
# printout goes to the file `driver_out`, its complaints to `driver_out.err`.
# No pipe: Wine's background processes would hold it open.
drive() {
    timeout 120 "$SARVO_WINE" "$SARVO_BIN/sarvo_window_driver.exe" "$@" </dev/null >"$driver_out" 2>"$driver_out.err"
}
