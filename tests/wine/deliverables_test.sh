#!/usr/bin/env bash
# deliverables_test.sh archive CPACK-CONFIG CPACK CMAKE OBJDUMP: the release zip's
# one folder (programs needing only Windows' DLLs, empty TrashBox and WallPaper).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../integration/lib.sh"

case ${1:?} in
archive)
    config=${2:?} cpack=${3:?} cmake=${4:?} objdump=${5:?}
    T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-archive.XXXXXX")
    trap cleanup EXIT
    "$cpack" --config "$config" -G ZIP -B "$T/out" >"$T/cpack.log" 2>&1 || fail "cpack: $(cat "$T/cpack.log")"
    zips=("$T"/out/sarvo-backdrop-changer-*-win64.zip)
    assert_eq "${#zips[@]}" 1 "one zip"
    [[ -f ${zips[0]} ]] || fail "no zip"
    mkdir "$T/unpacked"
    (cd "$T/unpacked" && "$cmake" -E tar xf "${zips[0]}")
    folder=$(echo "$T"/unpacked/*)
    [[ -d $folder ]] || fail "not one program folder: $folder"
    [[ $(basename "$folder") == sarvo-backdrop-changer-*-win64 ]] || fail "the program folder's name: $folder"
    for program in SarvoChanger SarvoSetTool SarvoUninstaller; do [[ -f "$folder/$program.exe" ]] || fail "no $program.exe"; done
    for sub in TrashBox WallPaper; do
        [[ -d $folder/$sub ]] || fail "no folder $sub"
        assert_eq "$(ls -A "$folder/$sub")" "" "$sub is empty"
    done
    for exe in "$folder"/*.exe; do  # only the system's own DLLs: no libstdc++, libgcc or winpthread
        own=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -iv -E \
            '^(kernel32|user32|gdi32|advapi32|shell32|shfolder|ole32|oleaut32|comctl32|comdlg32|msvcrt|version|shlwapi)\.dll$' || true)
        [[ -z "$own" ]] || fail "$(basename "$exe") needs DLLs that are not part of Windows: $own"
    done
    for entry in "$folder"/* "$folder"/.[!.]*; do
        [[ ! -e "$entry" || $(basename "$entry") =~ ^(Sarvo[A-Za-z]*\.exe|TrashBox|WallPaper|README\.txt|LICENSE\.txt)$ ]] ||
            fail "unexpected in the program folder: $entry"
    done
    ;;
*) fail "unknown check: $1" ;;
esac
