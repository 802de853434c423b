#!/bin/bash
# The changer killed (SIGKILL) at a random moment of its run on a
# 24-megapixel photo, RUNS times: the bitmap is always one picture's whole
# BMP, both stores hold whole values, and the next run leaves no temporary file.
. "$(dirname "$0")/../integration/lib.sh"

runs=${SARVO_CRASH_RUNS:-300}
new_program_folder
use_display
without_box_module
for picture in "a:gradient:red-blue" "b:gradient:yellow-green"; do
    "$IM_CONVERT" -size 6000x4000 "${picture#*:}" -quality 90 "$PICS/${picture%%:*}.jpg" || fail "no 24 MP picture"
done

for run in 1 2; do
    started=$(date +%s%N)
    run_changer
    assert_eq "$RC" 0 "exit code of normal run $run (stderr: $ERR)"
    duration=$((($(date +%s%N) - started) / 1000000))
    cp "$BITMAP" "$T/bitmap-$run"
done
cmp -s "$T/bitmap-1" "$T/bitmap-2" && fail "the two pictures gave the same bitmap"

assert_parses() {  # FILE KEY CHOICE...: whole "KEY=VALUE" and "[SECTION]" lines, KEY one of CHOICE
    local file=$1 key=$2; shift 2
    grep -qvaE $'^(\\[[^]]*\\]|[^=]+=.*)\r?$' "$file" && fail "$file holds a line that is no setting: $(cat -A "$file")"
    is_one_of "$(ini_value "$file" "$key")" "$@" || fail "$key in $file is [$(ini_value "$file" "$key")]"
}

recorded=$(ini_value "$SETTINGS" WallPaper)
changed=0
for ((i = 1; i <= runs; i++)); do
    delay=$((RANDOM * duration / 32767))
    "$PROG/SarvoChanger" >/dev/null 2>&1 & changer=$!
    sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
    kill -KILL "$changer" 2>/dev/null
    wait "$changer" 2>/dev/null
    cmp -s "$BITMAP" "$T/bitmap-1" || cmp -s "$BITMAP" "$T/bitmap-2" ||
        fail "kill $i after $delay ms: the bitmap is neither picture's ($(stat -c %s "$BITMAP" 2>&1))"
    assert_parses "$SETTINGS" WallPaper "$PICS/a.jpg" "$PICS/b.jpg"
    assert_parses "$REGISTRY" Wallpaper "$BITMAP"
    [[ $(ini_value "$SETTINGS" WallPaper) == "$recorded" ]] || changed=$((changed + 1))
    recorded=$(ini_value "$SETTINGS" WallPaper)
done
echo "$changed of $runs killed runs had recorded their picture (a normal run takes $duration ms)"

# Young temporary files may be live writers': made old, as by the next log-on.
find "$PROG" "$(dirname "$BITMAP")" "$(dirname "$REGISTRY")" -type f -exec touch -d '1 minute ago' {} +
run_changer
assert_eq "$RC" 0 "exit code of the run after the kills (stderr: $ERR)"
left=$(find "$PROG" "$(dirname "$BITMAP")" "$(dirname "$REGISTRY")" -type f \
    ! -name SarvoChanger ! -name '*.so' ! -name sarvoset.ini ! -name SarvoSetTool \
    ! -name SarvoChangerGraphic.bmp ! -name registry.ini)
[[ -z $left ]] || fail "left after the next normal run: $left"
