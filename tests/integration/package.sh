#!/bin/bash
# The Linux release archive: made by CPack, unpacked into a folder whose path
# holds blanks and non-ASCII, laid out as one program folder, needing no
# library outside the Debian packages its readme names, and working from
# there.
#   SARVO_CPACK_CONFIG      the build's CPackConfig.cmake
#   SARVO_RUNTIME_PACKAGES  the file listing the readme's packages
. "$(dirname "$0")/lib.sh"

T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-package.XXXXXX") || fail "no temporary folder"
trap cleanup EXIT

cpack --config "$SARVO_CPACK_CONFIG" -G TGZ -B "$T/out" >"$T/cpack.log" 2>&1 || fail "cpack: $(cat "$T/cpack.log")"
archives=("$T"/out/sarvo-backdrop-changer-*-linux-x86_64.tar.gz)
[[ ${#archives[@]} == 1 && -f ${archives[0]} ]] || fail "no single archive in $(ls "$T/out")"
mkdir -p "$T/ダウンロード 先"
tar -xzf "${archives[0]}" -C "$T/ダウンロード 先" || fail "cannot unpack ${archives[0]}"
folder=$(echo "$T/ダウンロード 先"/*)
[[ -d $folder && $(basename "$folder") == sarvo-backdrop-changer-*-linux-x86_64 ]] || fail "not one program folder: $folder"

# The layout: the programs and their Qt module, two empty folders, readme, licence.
for entry in "$folder"/*; do
    name=$(basename "$entry")
    [[ $name =~ ^(Sarvo[A-Za-z]+|sarvo-[a-z-]+\.so|README\.txt|LICENSE\.txt|TrashBox|WallPaper)$ ]] ||
        fail "unexpected in the program folder: $name"
done
for program in SarvoChanger; do [[ -x $folder/$program ]] || fail "no $program"; done
for sub in TrashBox WallPaper; do
    [[ -d $folder/$sub && -z $(ls -A "$folder/$sub") ]] || fail "$sub is missing or not empty"
done
packages=$(cat "$SARVO_RUNTIME_PACKAGES")
assert_contains "$(cat "$folder/README.txt")" "$packages" "the readme names the runtime packages"

# Every library the programs and modules load belongs to a package that the
# readme's list brings along.
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
    --no-enhances $packages 2>/dev/null | grep -v '^ ' | sort -u)
[[ -n $closure ]] || fail "apt-cache knows none of: $packages"
# The libraries, under each name the package database may know them by
# (with and without the /usr prefix), asked of dpkg in one call.
libraries=$(for binary in "$folder"/Sarvo* "$folder"/*.so; do
    [[ -f $binary ]] && ldd "$binary"
done | sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p' | sort -u)
[[ -n $libraries ]] || fail "ldd found no libraries"
names=$(while read -r library; do
    real=$(realpath "$library")
    printf '%s\n' "$library" "$real" "${real#/usr}" "/usr$real"
done <<<"$libraries" | sort -u)
mapfile -t name_list <<<"$names"
owners=$(dpkg -S "${name_list[@]}" 2>/dev/null)
while read -r library; do
    real=$(realpath "$library")
    package=$(grep -F -e ": $library" -e ": $real" -e ": ${real#/usr}" -e ": /usr$real" <<<"$owners" |
        head -n 1 | cut -d: -f1)
    [[ -n $package ]] || fail "$library is loaded by the programs, but no Debian package holds it"
    grep -qx "$package" <<<"$closure" || fail "the programs need $package ($library), which the readme's packages do not bring"
done <<<"$libraries"
for binary in "$folder"/Sarvo* "$folder"/*.so; do
    [[ -f $binary ]] || continue
    ! ldd "$binary" | grep -q 'not found' || fail "$(basename "$binary") has a library not found: $(ldd "$binary" | grep 'not found')"
done

# The unpacked changer works from there.
use_display
export HOME=$T/home XDG_CONFIG_HOME=$T/config XDG_DATA_HOME=$T/data
unset SARVO_DESKTOP_BACKEND XDG_CURRENT_DESKTOP WAYLAND_DISPLAY XDG_SESSION_TYPE
quadrants "$folder/WallPaper/first picture.bmp"
timeout 60 "$folder/SarvoChanger" >"$T/stdout" 2>"$T/stderr" || fail "the unpacked changer failed: $(cat "$T/stderr")"
assert_eq "$(ini_value "$folder/sarvoset.ini" WallPaper)" "$folder/WallPaper/first picture.bmp" "WallPaper recorded"
