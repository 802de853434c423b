#!/bin/bash
# A picture tree with broken files, symbolic-link loops and hidden entries:
# every run ends within its time limit, either completed with a good picture
# or stopped naming a broken one; hidden entries are never chosen.
. "$(dirname "$0")/lib.sh"

new_program_folder
use_display
without_box_module

quadrants "$PICS/good.bmp"
mkdir -p "$PICS/sub/deeper" "$PICS/.hidden folder"
quadrants "$PICS/sub/deeper/also good.gif"
printf 'garbage' >"$PICS/sub/broken.jpg"
: >"$PICS/empty.gif"
head -c 100 "$PICS/good.bmp" >"$PICS/sub/cut.bmp"
quadrants "$PICS/.hidden.bmp"
quadrants "$PICS/.hidden folder/inside.bmp"
ln -s .. "$PICS/sub/up"                 # loops back to the root
ln -s . "$PICS/sub/deeper/self"         # loops onto itself
ln -s "$PICS/sub" "$PICS/sub/deeper/back"
ln -s nowhere.jpg "$PICS/dangling.jpg"  # a link to nothing

good=("$PICS/good.bmp" "$PICS/sub/deeper/also good.gif")
broken=("$PICS/sub/broken.jpg" "$PICS/empty.gif" "$PICS/sub/cut.bmp" "$PICS/dangling.jpg")
completed=0
for run in $(seq 10); do
    before=$(ini_value "$SETTINGS" WallPaper)
    run_changer
    [[ $OUT$ERR != *hidden* ]] || fail "run $run chose a hidden entry: $ERR"
    if [[ $RC -eq 0 ]]; then
        chosen=$(ini_value "$SETTINGS" WallPaper)
        is_one_of "$chosen" "${good[@]}" || fail "run $run completed with $chosen"
        completed=$((completed + 1))
    else
        assert_eq "$RC" 1 "exit code of run $run (stderr: $ERR)"
        [[ $(sed -n 2p <<<"$ERR") == 以下の画像ファイルは壊れています。 ]] ||
            fail "run $run stopped with another message: $ERR"
        named=$(sed -n 3p <<<"$ERR")
        is_one_of "$named" "${broken[@]}" || fail "run $run named $named as broken"
        assert_eq "$(ini_value "$SETTINGS" WallPaper)" "$before" "WallPaper after a broken picture"
    fi
done
echo "$completed of 10 runs completed"
