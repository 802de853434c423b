#!/bin/bash
# The programs racing on one program folder: changers (ten at once: whole files,
# one picture shown and named), presenter (five at once on a desktop handed PNG
# copies: each copy whole, the last one kept, no other left).
. "$(dirname "$0")/../integration/lib.sh"

new_program_folder
together() {  # COUNT COMMAND...: COUNT copies at once; sets CODES to their exit codes, sorted
    local pids=() pid codes=()
    for ((n = 0; n < $1; n++)); do "${@:2}" >"$T/out.$n" 2>&1 & pids+=($!); done
    for pid in "${pids[@]}"; do wait "$pid"; codes+=($?); done
    CODES=$(printf '%s\n' "${codes[@]}" | sort | tr '\n' ' ')
}

case ${1:?case} in
changers)
    use_display
    without_box_module
    pictures=()
    for size in "32 32" "48 16" "16 40"; do
        quadrants "$PICS/${size/ /x}.bmp" $size
        pictures+=("$PICS/${size/ /x}.bmp")
    done
    for round in 1 2 3 4 5; do
        together 10 "$PROG/SarvoChanger"
        assert_eq "$CODES" "0 0 0 0 0 0 0 0 0 0 " "exit codes of ten changers at once: $(cat "$T"/out.*)"
        recorded=$(ini_value "$SETTINGS" WallPaper)
        is_one_of "$recorded" "${pictures[@]}" || fail "WallPaper: $(cat -A "$SETTINGS")"
        assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "Wallpaper in the registry store"
        # The run that recorded its picture last is the one whose bitmap the desktop shows.
        assert_eq "$("$IM_COMPARE" -metric AE "$BITMAP" "$recorded" null: 2>&1)" 0 "round $round: the bitmap shows WallPaper's picture"
    done
    ;;
presenter)
    # A pcmanfm that keeps a copy of each picture as it is handed over, and fails when it is gone.
    no_display
    without_box_module
    export WAYLAND_DISPLAY=sarvo-none SARVO_DESKTOP_BACKEND=lxde XDG_STATE_HOME=$T/state PATH=$T/bin:$PATH
    mkdir -p "$T/bin" "$T/handed"
    printf '#!/bin/sh\nf=${1#--set-wallpaper=}\ncp "$f" "$(mktemp "%s/XXXXXX")" || exit 1\necho "$f" >>"%s"\n' \
        "$T/handed" "$T/handed.list" >"$T/bin/pcmanfm"
    chmod +x "$T/bin/pcmanfm"
    pictures=()
    for size in "32 32" "48 16" "16 40"; do
        quadrants "$PICS/${size/ /x}.bmp" $size
        pictures+=("$PICS/${size/ /x}.bmp")
    done
    for round in 1 2 3; do
        together 5 "$PROG/SarvoChanger"
        assert_eq "$CODES" "0 0 0 0 0 " "exit codes of five changers at once: $(cat "$T"/out.*)"
    done
    for copy in "$T"/handed/*; do
        whole=no
        for p in "${pictures[@]}"; do [[ $("$IM_COMPARE" -metric AE "$copy" "$p" null: 2>&1) == 0 ]] && whole=yes; done
        assert_eq "$whole" yes "a handed picture ($copy) is one of the pictures"
    done
    assert_eq "$(ls -A "${BITMAP%/*}")" "$(printf '%s\n' "${BITMAP##*/}" "$(tail -n 2 "$T/handed.list")" | sed 's|.*/||' | sort)" \
        "the data folder: the bitmap and the two pictures handed last"
    assert_eq "$(ls "$T/handed" | wc -l)" 15 "pictures handed over"
    ;;
*) fail "unknown case $1" ;;
esac
