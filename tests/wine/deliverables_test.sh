#!/usr/bin/env bash
# What the Windows build delivers, checked on the host.
#
#   deliverables_test.sh archive CPACK-CONFIG CPACK CMAKE OBJDUMP
#       The release zip unpacks to one program folder: the programs, linked
#       statically (no runtime DLL to ship), the empty folders TrashBox and
#       WallPaper, the readme and the licence.
#   deliverables_test.sh version WINDRES EXE VERSION DESCRIPTION
#       The version information of a program (VERSION as 3.00.0062,
#       DESCRIPTION its file description and product name) and its
#       application manifest.
set -euo pipefail

fails=0
fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }

case ${1:?} in
archive)
    config=${2:?} cpack=${3:?} cmake=${4:?} objdump=${5:?}
    dest=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-archive.XXXXXX")
    trap 'rm -rf "$dest"' EXIT
    "$cpack" --config "$config" -G ZIP -B "$dest/out" >"$dest/cpack.log" 2>&1 || { cat "$dest/cpack.log" >&2; exit 1; }
    zips=("$dest"/out/sarvo-backdrop-changer-*-win64.zip)
    [[ ${#zips[@]} == 1 && -f ${zips[0]} ]] || { echo "FAIL: no single zip" >&2; exit 1; }
    mkdir "$dest/unpacked"
    (cd "$dest/unpacked" && "$cmake" -E tar xf "${zips[0]}")
    folder=$(echo "$dest"/unpacked/*)
    [[ -d $folder && $(basename "$folder") == sarvo-backdrop-changer-*-win64 ]] || fail "not one program folder"
    for program in SarvoChanger SarvoSetTool SarvoUninstaller; do
        [[ -f "$folder/$program.exe" ]] || fail "no $program.exe"
    done
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
        name=$(basename "$entry")
        [[ ! -e "$entry" || "$name" =~ ^(Sarvo[A-Za-z]*\.exe|TrashBox|WallPaper|README\.txt|LICENSE\.txt)$ ]] ||
            fail "unexpected in the program folder: $name"
    done
    ;;
version)
    windres=${2:?} exe=${3:?} version=${4:?} description=${5:?}
    name=$(basename "$exe" .exe)
    rc=$("$windres" -J coff -i "$exe" -O rc)
    IFS=. read -r major minor build <<<"$version"
    numbers="$((10#$major)), $((10#$minor)), 0, $((10#$build))"
    # The manifest's lines: common controls 6, DPI aware, the invoker's rights.
    for line in "FILEVERSION $numbers" "PRODUCTVERSION $numbers" 'BLOCK "041104B0"' \
        "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
        "VALUE \"FileDescription\", \"$description\"" "VALUE \"ProductName\", \"$description\"" \
        "VALUE \"InternalName\", \"$name\"" "VALUE \"OriginalFilename\", \"$name.exe\"" \
        'VALUE "Translation", 0x411, 1200' 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' \
        '>true</dpiAware>' 'level=""asInvoker""'; do
        grep -qF -- "$line" <<<"$rc" || fail "$name: missing: $line"
    done
    grep -q 'VALUE "CompanyName", "[^"]' <<<"$rc" || fail "$name: no company name"
    grep -q 'VALUE "LegalCopyright", "[^"]' <<<"$rc" || fail "$name: no rights notice"
    ;;
*) echo "unknown check: $1" >&2; exit 2 ;;
esac
((fails == 0)) || exit 1
echo "$1: passed"
