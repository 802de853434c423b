#!/usr/bin/env bash
# What the Windows build delivers, checked on the host.
#
#   deliverables_test.sh install BUILD-DIR CMAKE OBJDUMP
#       `cmake --install` lays out the program folder: the programs, linked
#       statically (no runtime DLL to ship), and the empty folders TrashBox
#       and WallPaper.
#   deliverables_test.sh version SARVOCHANGER-EXE WINDRES
#       The version information of SarvoChanger.exe.
set -euo pipefail

fails=0
fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }

case ${1:?} in
install)
    build=${2:?} cmake=${3:?} objdump=${4:?}
    dest=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-install.XXXXXX")
    trap 'rm -rf "$dest"' EXIT
    "$cmake" --install "$build" --prefix "$dest/Sarvo Backdrop Changer" >/dev/null
    folder="$dest/Sarvo Backdrop Changer"
    [[ -f "$folder/SarvoChanger.exe" ]] || fail "no SarvoChanger.exe"
    for sub in TrashBox WallPaper; do
        [[ -d "$folder/$sub" ]] || fail "no folder $sub"
        [[ -z "$(ls -A "$folder/$sub" 2>/dev/null)" ]] || fail "$sub is not empty"
    done
    for exe in "$folder"/*.exe; do
        # Only the system's own DLLs: no libstdc++, libgcc or winpthread.
        own=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -iv -E \
            '^(kernel32|user32|gdi32|advapi32|shell32|shfolder|ole32|oleaut32|comctl32|comdlg32|msvcrt|version|shlwapi)\.dll$' || true)
        [[ -z "$own" ]] || fail "$(basename "$exe") needs DLLs that are not part of Windows: $own"
    done
    for entry in "$folder"/* "$folder"/.[!.]*; do
        [[ -e "$entry" ]] || continue
        name=$(basename "$entry")
        [[ "$name" =~ ^(Sarvo[A-Za-z]*\.exe|TrashBox|WallPaper)$ ]] || fail "unexpected in the program folder: $name"
    done
    ;;
version)
    exe=${2:?} windres=${3:?}
    rc=$("$windres" -J coff -i "$exe" -O rc)
    expect_line() {
        grep -qF -- "$1" <<<"$rc" || fail "missing: $1"
    }
    expect_line 'FILEVERSION 3, 0, 0, 62'
    expect_line 'PRODUCTVERSION 3, 0, 0, 62'
    expect_line 'BLOCK "041104B0"'
    expect_line 'VALUE "FileVersion", "3.00.0062"'
    expect_line 'VALUE "ProductVersion", "3.00.0062"'
    expect_line 'VALUE "FileDescription", "Sarvo Backdrop Changer"'
    expect_line 'VALUE "ProductName", "Sarvo Backdrop Changer"'
    expect_line 'VALUE "InternalName", "SarvoChanger"'
    expect_line 'VALUE "OriginalFilename", "SarvoChanger.exe"'
    expect_line 'VALUE "Translation", 0x411, 1200'
    grep -q 'VALUE "CompanyName", "[^"]' <<<"$rc" || fail "no company name"
    grep -q 'VALUE "LegalCopyright", "[^"]' <<<"$rc" || fail "no rights notice"
    ;;
*)
    echo "unknown check: $1" >&2
    exit 2
    ;;
esac
((fails == 0)) || exit 1
echo "$1: passed"
