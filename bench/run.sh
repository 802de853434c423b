#!/usr/bin/env bash
# bench/run.sh [BUILD-DIR]
#
# Times the changer against reference tools in one run, on one machine, and
# prints the ratios:
#   walk     our catalogue walk against a plain readdir walker, find and fd
#            (2 threads), with warm caches
#   cold     the same walks, each run after sync and dropping the page,
#            dentry and inode caches (needs root), as at log-on
#   convert  our JPEG-to-BMP conversion against a plain TurboJPEG program
#            and djpeg
#   gif      our GIF-to-BMP conversion (1920x1080) against a plain giflib
#            program
#   more     our conversion of the photograph saved as PNG, WebP, AVIF, HEIC
#            and JPEG XL (MoreFormats=1) against each library's own plain
#            decode-and-write program, and the peak memory of each against
#            the bitmap
#   today    the walk without MoreFormats, and a run that stops at once,
#            against the same built from the code before the key existed
#   run      a whole changer run under Xvfb against feh and a plain
#            one-process reference (readdir walk, TurboJPEG, BMP write,
#            root pixmap) on the same tree
#   photo    a whole changer run on one 24-megapixel JPEG against
#            feh --bg-center and xwallpaper --center
#   desktops a whole changer run on each desktop backend that runs here
#            (X11 root, GNOME with dconf, Xfce with xfconfd, headless sway)
#            on one picture, against feh --bg-center on X11 and swaymsg's
#            own "output * bg" on sway
#   memory   the changer's peak memory on a 6000x4000 JPEG against the size
#            of the bitmap it must hold
#   monitors a picture per monitor (Monitors=1) with monitors of 1920x1080
#            and 1080x1920: the share of 1,000 draws' picks of the monitor's
#            shape from a catalogue of half landscape, half portrait
#            pictures, one picture on both monitors, a whole run against a
#            run with one picture on the same monitors and one on one
#            monitor, on the same pictures, and the peak memory with two 4K
#            monitors on 24-megapixel photos against the bitmap
# then one PASS or FAIL line per target, and exits non-zero when a target is
# missed. BUILD-DIR (default: build-bench beside this folder's parent) is
# configured as a Release build when it holds none yet, and the programs the
# benchmark needs are built in it.
#
# The picture trees and JPEGs are made once, in BUILD-DIR/bench-work, and
# made again when their parameters or makers change. Smaller settings for a
# trial of the script itself: BENCH_FILES, BENCH_FOLDERS, BENCH_JPEG_WIDTH,
# BENCH_JPEG_HEIGHT; BENCH_RUNS and BENCH_ROUNDS set the repetitions.
set -Eeuo pipefail
# A failure anywhere means nothing was measured: exit 2 (1 is a missed target).
trap 'echo "run.sh: failed at line $LINENO" >&2; exit 2' ERR

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname -- "$here")
build=$(realpath -m -- "${1:-$repo/build-bench}")
work=$build/bench-work

files=${BENCH_FILES:-100000}
folders=${BENCH_FOLDERS:-5000}
jpeg_width=${BENCH_JPEG_WIDTH:-6000}
jpeg_height=${BENCH_JPEG_HEIGHT:-4000}
quality=90
small_size=(800 600)     # the real pictures behind the linked tree
small_count=4            # ext4 allows 65,000 links to one file
# Several short rounds rather than one long one: when other work loads the
# machine for a while, it slows every command of a comparison alike.
rounds=${BENCH_ROUNDS:-5}
runs=${BENCH_RUNS:-6}    # timed runs of each command per round
warmup=2                 # untimed runs of each command per round
screen=1920x1080x24

die() {
    echo "run.sh: $*" >&2
    exit 2
}

need() {
    command -v "$1" >/dev/null || die "$1 is missing (Debian package $2)"
}
need cmake cmake
need hyperfine hyperfine
need jq jq
need fdfind fd-find
need djpeg libjpeg-turbo-progs
need feh feh
need Xvfb xvfb
need xprop x11-utils
need dbus-daemon dbus
need sway sway
need swaymsg sway
need /usr/libexec/dconf-service dconf-service
need xfconf-query xfconf
need gsettings libglib2.0-bin
need xwallpaper xwallpaper
need convert-im6.q16 imagemagick
[[ -w /proc/sys/vm/drop_caches ]] || die "the cold-cache stage drops the caches: run as root"
[[ -x /usr/bin/time ]] || die "/usr/bin/time is missing (Debian package time)"

# --- build -------------------------------------------------------------------

if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARVO_BUILD_TESTS=OFF >/dev/null
fi
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [[ $build_type != Release && $build_type != RelWithDebInfo ]]; then
    echo "warning: $build is a '$build_type' build; the figures are only meaningful for an optimised build" >&2
fi
cmake --build "$build" -j2 --target SarvoChanger sarvo_qt sarvo_desktop_plasma sarvo_format_webp sarvo_format_avif \
    sarvo_format_heif sarvo_format_jxl sarvo-bench-walk sarvo-bench-convert \
    sarvo-bench-plain-walk sarvo-bench-tj-reference sarvo-bench-make-jpeg sarvo-bench-make-tree \
    sarvo-bench-one-process sarvo-bench-gif-reference sarvo-bench-more-reference sarvo-bench-make-more \
    sarvo-bench-monitors-draw >/dev/null
bin=$build/bin

# --- pictures and trees (made once) ------------------------------------------

params="files=$files folders=$folders jpeg=${jpeg_width}x$jpeg_height quality=$quality"
params+=" small=${small_size[0]}x${small_size[1]}x$small_count"
params+=" monitors=1 gif=1920x1080 makers=$(cat "$here/make_tree.cpp" "$here/make_jpeg.cpp" "$here/make_more.cpp" "$repo/resources/samples/picture_writers.cpp" | sha256sum | cut -c1-16)"

if [[ ! -f $work/params || $(<"$work/params") != "$params" ]]; then
    echo "making the picture trees in $work ..."
    rm -rf -- "$work"
    mkdir -p -- "$work/big"
    "$bin/sarvo-bench-make-jpeg" "$jpeg_width" "$jpeg_height" "$quality" 1 "$work/big/photo.jpg"
    links=()
    for ((i = 1; i <= small_count; i++)); do
        "$bin/sarvo-bench-make-jpeg" "${small_size[@]}" "$quality" $((i + 1)) "$work/small-$i.jpg"
        links+=(--link "$work/small-$i.jpg")
    done
    "$bin/sarvo-bench-make-tree" "$work/tree" "$folders" "$files" >"$work/tree.made"
    "$bin/sarvo-bench-make-tree" "${links[@]}" "$work/linked" "$folders" "$files" >"$work/linked.made"
    # A screenful of GIF, made from a photo as a user's converter would.
    convert-im6.q16 "$work/small-1.jpg" -resize '1920x1080!' "$work/screen.gif"
    # The photograph as each further format saves it (a minute or two: AV1
    # and HEVC encoders are slow).
    mkdir -p -- "$work/more"
    "$bin/sarvo-bench-make-more" "$work/big/photo.jpg" "$work/more"
    # Half landscape, half portrait: screen-sized pictures and photos.
    mkdir -p -- "$work/monitors/draw" "$work/monitors/screens" "$work/monitors/photos" "$work/monitors/big"
    "$bin/sarvo-bench-make-jpeg" 1920 1080 "$quality" 11 "$work/monitors/wide.jpg"
    "$bin/sarvo-bench-make-jpeg" 1080 1920 "$quality" 12 "$work/monitors/tall.jpg"
    "$bin/sarvo-bench-make-jpeg" 4000 3000 "$quality" 13 "$work/monitors/photo-wide.jpg"
    "$bin/sarvo-bench-make-jpeg" 3000 4000 "$quality" 14 "$work/monitors/photo-tall.jpg"
    "$bin/sarvo-bench-make-jpeg" "$jpeg_height" "$jpeg_width" "$quality" 15 "$work/monitors/big/tall.jpg"
    ln -- "$work/big/photo.jpg" "$work/monitors/big/wide.jpg"
    for ((i = 1; i <= 500; i++)); do
        ln -- "$work/monitors/wide.jpg" "$work/monitors/draw/wide-$i.jpg"
        ln -- "$work/monitors/tall.jpg" "$work/monitors/draw/tall-$i.jpg"
    done
    for ((i = 1; i <= 10; i++)); do
        ln -- "$work/monitors/wide.jpg" "$work/monitors/screens/wide-$i.jpg"
        ln -- "$work/monitors/tall.jpg" "$work/monitors/screens/tall-$i.jpg"
        ln -- "$work/monitors/photo-wide.jpg" "$work/monitors/photos/wide-$i.jpg"
        ln -- "$work/monitors/photo-tall.jpg" "$work/monitors/photos/tall-$i.jpg"
    done
    # Written last: a run broken off while making leaves no params, so the
    # next run starts again from nothing.
    printf '%s' "$params" >"$work/params"
fi
pictures=$(sed -n 's/.*files, \([0-9]*\) pictures$/\1/p' "$work/tree.made")
[[ -n $pictures ]] || die "cannot read the picture count from $work/tree.made"

scratch=$work/scratch
rm -rf -- "$scratch"
mkdir -p -- "$scratch"

# --- measuring ---------------------------------------------------------------

# A path as one word of hyperfine's command line (split as a POSIX shell
# would split it, but no shell runs it).
word() {
    printf "'%s'" "${1//\'/\'\\\'\'}"
}

load() {
    cut -d' ' -f1-3 /proc/loadavg
}

# measure NAME LABEL=COMMAND...
# Runs the commands in `rounds` rounds, each command `runs` times per round,
# and keeps for command i: label[i]; median_ms[i], the median wall-clock
# time of all its runs; spread[i], the range of its per-round medians in per
# cent of median_ms[i]; cpu_ms[i], its mean user plus system time.
# hyperfine options in `prepare` run before every timed run, untimed; `warm`
# untimed runs of each command start each round.
declare -a label median_ms spread cpu_ms prepare=()
warm=$warmup
measure() {
    local name=$1
    shift
    local -a commands=()
    label=()
    local pair
    for pair; do
        label+=("${pair%%=*}")
        commands+=("${pair#*=}")
    done
    local r
    for ((r = 1; r <= rounds; r++)); do
        # hyperfine's own advice on noise is left out: the spread printed
        # for every figure says the same.
        hyperfine -N --style none --warmup "$warm" --runs "$runs" "${prepare[@]}" \
            --export-json "$scratch/$name.$r.json" "${commands[@]}" >/dev/null 2>"$scratch/$name.$r.log" || {
            cat "$scratch/$name.$r.log" >&2
            die "a $name command failed"
        }
    done
    local i
    for ((i = 0; i < ${#commands[@]}; i++)); do
        read -r "median_ms[i]" "spread[i]" "cpu_ms[i]" < <(jq -rs --argjson i "$i" '
            def median: sort | if length % 2 == 1 then .[length / 2 | floor]
                               else (.[length / 2 - 1] + .[length / 2]) / 2 end;
            [.[].results[$i]] as $rounds
            | ([$rounds[].times[]] | median) as $all
            | [$rounds[].times | median] as $per
            | ([$rounds[] | .user + .system] | add / length) as $cpu
            | "\($all * 1000) \((($per | max) - ($per | min)) / $all * 100) \($cpu * 1000)"' \
            "$scratch/$name".*.json)
    done
}

ms() { printf '%.1f ms' "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
pct() { printf '%.0f%%' "$1"; }

# The figures of the last measure: "NAME: first T, second T (R), ..." with
# every ratio taken as the first command's time over the other's, then a
# line on noise and CPU time. NOTES[i], when set, follows command i's ratio.
declare -a notes
report() {
    local line="$1:" i
    for ((i = 0; i < ${#label[@]}; i++)); do
        line+=" ${label[i]} $(ms "${median_ms[i]}")"
        if ((i > 0)); then
            line+=" ($(ratio "${median_ms[0]}" "${median_ms[i]}")x${notes[i]:+; ${notes[i]}})"
        fi
        if ((i + 1 < ${#label[@]})); then line+=","; fi
    done
    echo "$line"
    line="  spread of the $rounds round medians:"
    for ((i = 0; i < ${#label[@]}; i++)); do line+=" ${label[i]} $(pct "${spread[i]}")"; done
    line+="; CPU time (user+sys):"
    for ((i = 0; i < ${#label[@]}; i++)); do line+=" ${label[i]} $(ms "${cpu_ms[i]}")"; done
    echo "$line"
    notes=()
}

# One row of the results table for the last measure.
table_row() {
    local what=$1 i others=""
    for ((i = 2; i < ${#label[@]}; i++)); do
        others+="${others:+, }${label[i]} $(ms "${median_ms[i]}") ($(ratio "${median_ms[0]}" "${median_ms[i]}")x)"
    done
    echo "| $what | $(ms "${median_ms[0]}") | ${label[1]} $(ms "${median_ms[1]}") | $(ratio "${median_ms[0]}" "${median_ms[1]}")x | ${others:-} |" >>"$summary"
}

failed=0
verdicts=()
# verdict TARGET RATIO LIMIT OP: passes when RATIO OP LIMIT holds (OP is "<"
# for "under" and "faster than", "<=" for "within").
verdict() {
    local target=$1 value=$2 limit=$3 op=$4
    if awk -v v="$value" -v l="$limit" -v op="$op" 'BEGIN { exit !(op == "<=" ? v <= l : v < l) }'; then
        verdicts+=("PASS $target: ${value}x (target $op ${limit}x)")
    else
        verdicts+=("FAIL $target: ${value}x (target $op ${limit}x)")
        failed=1
    fi
}

summary=$scratch/results.md
{
    echo "| comparison | sarvo | reference | ratio | other tools |"
    echo "|---|---|---|---|---|"
} >"$summary"

echo "load at start: $(load) (2 cores); $(nproc) processors online"

# --- the walk ----------------------------------------------------------------

tree=$work/tree
find_filter=(-type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.gif' -o -iname '*.bmp' \))
fd_filter=(-j 2 -t f -e jpg -e jpeg -e gif -e bmp .)

# Every walker must find the same pictures before their times mean anything.
"$bin/sarvo-bench-walk" --list "$tree" | LC_ALL=C sort >"$scratch/sarvo.list"
"$bin/sarvo-bench-plain-walk" --list "$tree" | LC_ALL=C sort >"$scratch/plain.list"
find "$tree" "${find_filter[@]}" | LC_ALL=C sort >"$scratch/find.list"
fdfind "${fd_filter[@]}" "$tree" | LC_ALL=C sort >"$scratch/fd.list"
for other in plain find fd; do
    cmp -s "$scratch/sarvo.list" "$scratch/$other.list" ||
        die "the walks disagree: sarvo and $other found different files (see $scratch)"
done
found=$(wc -l <"$scratch/sarvo.list")
[[ $found -eq $pictures ]] || die "the walk found $found pictures, the tree holds $pictures"

find_cmd="find $(word "$tree") -type f ( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.gif' -o -iname '*.bmp' )"
measure walk \
    "sarvo=$(word "$bin/sarvo-bench-walk") $(word "$tree")" \
    "plain=$(word "$bin/sarvo-bench-plain-walk") $(word "$tree")" \
    "find=$find_cmd" \
    "fd=fdfind ${fd_filter[*]} $(word "$tree")"
notes[3]="fd walks with 2 threads"
report "walk ($found pictures of $files files, $folders folders)"
verdict "walk within 1.1x of the plain walker" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.10 "<="
table_row "catalogue walk, $files files in $folders folders, warm (fd: 2 threads)"

# The same walks as at log-on: every run starts after sync and after the
# page, dentry and inode caches are dropped, so each one reads the tree from
# the disk. One run per preparation; no warm-up.
printf '#!/bin/sh\nsync\necho 3 >/proc/sys/vm/drop_caches\n' >"$scratch/drop-caches"
chmod +x "$scratch/drop-caches"
prepare=(--prepare "$scratch/drop-caches")
warm=0
cold_runs=$runs
runs=${BENCH_COLD_RUNS:-3}
measure cold \
    "sarvo=$(word "$bin/sarvo-bench-walk") $(word "$tree")" \
    "plain=$(word "$bin/sarvo-bench-plain-walk") $(word "$tree")" \
    "find=$find_cmd" \
    "fd=fdfind ${fd_filter[*]} $(word "$tree")"
notes[3]="fd walks with 2 threads"
report "cold walk (caches dropped before every run)"
verdict "cold walk within 0.8x of the plain walker" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 0.80 "<="
verdict "cold walk faster than fd -j2" "$(ratio "${median_ms[0]}" "${median_ms[3]}")" 1.00 "<"
table_row "catalogue walk, cold cache (sync, caches dropped before each run)"
runs=$cold_runs
warm=$warmup
prepare=()

# --- JPEG to BMP ---------------------------------------------------------------

photo=$work/big/photo.jpg
"$bin/sarvo-bench-convert" "$photo" "$scratch/sarvo.bmp"
"$bin/sarvo-bench-tj-reference" "$photo" "$scratch/reference.bmp"
djpeg -bmp -outfile "$scratch/djpeg.bmp" "$photo"
cmp -s "$scratch/sarvo.bmp" "$scratch/reference.bmp" ||
    die "the conversion differs from the TurboJPEG reference (see $scratch)"
bitmap_bytes=$((jpeg_width * jpeg_height * 3 + 54))
[[ $(stat -c %s "$scratch/sarvo.bmp") -eq $bitmap_bytes ]] || die "the bitmap is not $bitmap_bytes bytes"

# Each conversion writes the whole bitmap (72 MB at full size). Without a
# sync before every run, the disk is still writing the previous run's file
# back while the next one runs, and each command pays for the one before it.
prepare=(--prepare sync)
measure convert \
    "sarvo=$(word "$bin/sarvo-bench-convert") $(word "$photo") $(word "$scratch/sarvo.bmp")" \
    "reference=$(word "$bin/sarvo-bench-tj-reference") $(word "$photo") $(word "$scratch/reference.bmp")" \
    "djpeg=djpeg -bmp -outfile $(word "$scratch/djpeg.bmp") $(word "$photo")"
report "convert (${jpeg_width}x$jpeg_height JPEG of $(stat -c %s "$photo") bytes to BMP)"
verdict "convert within 1.1x of the TurboJPEG reference" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.10 "<="
table_row "JPEG to BMP, ${jpeg_width}x$jpeg_height (sync before each run)"

# --- GIF to BMP ----------------------------------------------------------------

gif=$work/screen.gif
"$bin/sarvo-bench-convert" "$gif" "$scratch/sarvo-gif.bmp"
"$bin/sarvo-bench-gif-reference" "$gif" "$scratch/reference-gif.bmp"
cmp -s "$scratch/sarvo-gif.bmp" "$scratch/reference-gif.bmp" ||
    die "the GIF conversion differs from the giflib reference (see $scratch)"
measure gif \
    "sarvo=$(word "$bin/sarvo-bench-convert") $(word "$gif") $(word "$scratch/sarvo-gif.bmp")" \
    "giflib=$(word "$bin/sarvo-bench-gif-reference") $(word "$gif") $(word "$scratch/reference-gif.bmp")"
report "gif (1920x1080 GIF of $(stat -c %s "$gif") bytes to BMP)"
verdict "GIF to BMP within 1.1x of the giflib reference" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.10 "<="
table_row "GIF to BMP, 1920x1080 (sync before each run)"
prepare=()

# --- the formats MoreFormats=1 adds ----------------------------------------------

# Each library's own decode must give the bitmap ours gives, byte for byte,
# before the times mean anything (libheif 1.15 hands every colour picture over
# as RGB planes, which ours interleaves as libheif's own converter does).
prepare=(--prepare sync)
declare -A more_peak
for format in png webp avif heic jxl; do
    picture=$work/more/photo.$format
    "$bin/sarvo-bench-convert" --more "$picture" "$scratch/sarvo-$format.bmp"
    "$bin/sarvo-bench-more-reference" "$format" "$picture" "$scratch/reference-$format.bmp"
    cmp -s "$scratch/sarvo-$format.bmp" "$scratch/reference-$format.bmp" ||
        die "the $format conversion differs from the library's own (see $scratch)"
    measure "$format" \
        "sarvo=$(word "$bin/sarvo-bench-convert") --more $(word "$picture") $(word "$scratch/sarvo-$format.bmp")" \
        "reference=$(word "$bin/sarvo-bench-more-reference") $format $(word "$picture") $(word "$scratch/reference-$format.bmp")"
    report "$format (${jpeg_width}x$jpeg_height, $(stat -c %s "$picture") bytes, to BMP)"
    verdict "${format^^} to BMP within 1.1x of the library's own decode" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.10 "<="
    table_row "${format^^} to BMP, ${jpeg_width}x$jpeg_height (sync before each run)"
    # Peak memory: the largest of a few runs, as for the whole run below.
    peak_kib=0
    reference_kib=0
    for ((i = 1; i <= 3; i++)); do
        /usr/bin/time -f %M -o "$scratch/rss" "$bin/sarvo-bench-convert" --more "$picture" "$scratch/sarvo-$format.bmp"
        kib=$(tail -n1 "$scratch/rss")
        if ((kib > peak_kib)); then peak_kib=$kib; fi
        /usr/bin/time -f %M -o "$scratch/rss" "$bin/sarvo-bench-more-reference" "$format" "$picture" "$scratch/reference-$format.bmp"
        kib=$(tail -n1 "$scratch/rss")
        if ((kib > reference_kib)); then reference_kib=$kib; fi
    done
    more_peak[$format]="$peak_kib $reference_kib"
done
prepare=()
for format in png webp avif heic jxl; do
    read -r peak_kib reference_kib <<<"${more_peak[$format]}"
    memory_ratio=$(ratio $((peak_kib * 1024)) "$bitmap_bytes")
    limit=0.25
    what="streams its rows"
    if [[ $format == avif || $format == heic ]]; then limit=1.20 what="decodes whole"; fi
    echo "memory ($format): sarvo peak RSS $((peak_kib / 1024)) MiB, the library's own $((reference_kib / 1024)) MiB, bitmap $((bitmap_bytes / 1048576)) MiB (${memory_ratio}x)"
    verdict "${format^^} peak memory within ${limit}x the bitmap ($what)" "$memory_ratio" "$limit" "<="
    echo "| peak memory, ${format^^} to BMP, ${jpeg_width}x$jpeg_height | $((peak_kib / 1024)) MiB | bitmap $((bitmap_bytes / 1048576)) MiB | ${memory_ratio}x | the library's own $((reference_kib / 1024)) MiB |" >>"$summary"
done

# --- the walk and the start without MoreFormats, against the code before the key --

# The code just before the key came: the first parent of the commit on this
# line of history that brought it (a merge), built once in BUILD-DIR/today.
# Both walks must find the same pictures.
today_rev=$(git -C "$repo" log --first-parent --diff-filter=A --format=%H -- src/core/pure/picture_format.h | tail -n1)
[[ -n $today_rev ]] || die "cannot find the commit that brought MoreFormats"
today_rev=$(git -C "$repo" rev-parse "$today_rev^1")
today=$build/today
if [[ ! -x $today/bin/sarvo-bench-walk || $(cat "$today/rev" 2>/dev/null) != "$today_rev" ]]; then
    echo "building the walk of $today_rev in $today ..."
    rm -rf -- "$today"
    mkdir -p -- "$today/src"
    git -C "$repo" archive "$today_rev" | tar -x -C "$today/src"
    cmake -S "$today/src" -B "$today" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARVO_BUILD_TESTS=OFF >/dev/null
    cmake --build "$today" -j2 --target sarvo-bench-walk SarvoChanger >/dev/null
    echo "$today_rev" >"$today/rev"
fi
"$today/bin/sarvo-bench-walk" --list "$tree" | LC_ALL=C sort >"$scratch/today.list"
cmp -s "$scratch/sarvo.list" "$scratch/today.list" || die "the walk finds other pictures than before the key (see $scratch)"
measure today \
    "sarvo=$(word "$bin/sarvo-bench-walk") $(word "$tree")" \
    "today=$(word "$today/bin/sarvo-bench-walk") $(word "$tree")"
report "walk without MoreFormats against the walk of ${today_rev:0:7}"
verdict "walk without MoreFormats the same as before the key (within 1.03x: one run's noise)" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.03 "<="
table_row "catalogue walk without MoreFormats, warm, against the walk before the key"

# What a run without the key pays for the further formats: a run that stops
# at once (its folder is missing), now and before the key.
for which in now today; do
    mkdir -p -- "$scratch/start-$which"
    printf '[Sarvo Changer]\r\nFolderPath=%s\r\n' "$scratch/missing" >"$scratch/start-$which/sarvoset.ini"
done
cp -- "$bin/SarvoChanger" "$scratch/start-now/"
cp -- "$today/bin/SarvoChanger" "$scratch/start-today/"
prepare=(--ignore-failure)
measure start \
    "sarvo=env -u DISPLAY -u WAYLAND_DISPLAY $(word "$scratch/start-now/SarvoChanger")" \
    "today=env -u DISPLAY -u WAYLAND_DISPLAY $(word "$scratch/start-today/SarvoChanger")"
prepare=()
report "start-up: a run that stops at once, against the changer before the key"
verdict "start-up without MoreFormats the same as before the key (within 1.05x: one run's noise)" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.05 "<="
table_row "start-up, a run that stops at once (no folder), against the changer before the key"

# --- whole runs under Xvfb -----------------------------------------------------

xvfb_pid=
bus_pid=
sway_pid=
monitor_xvfb_pids=()
# shellcheck disable=SC2317 # called by the EXIT trap
cleanup() {
    local pid
    for pid in $sway_pid $bus_pid $xvfb_pid "${monitor_xvfb_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

# -noreset: the root window keeps its background when a client disconnects.
Xvfb -displayfd 9 -noreset -nolisten tcp -screen 0 "$screen" 9>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
    [[ -s $scratch/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start (see $scratch/xvfb.log)"
    sleep 0.1
done
[[ -s $scratch/display ]] || die "Xvfb did not start within 10 seconds"
display=:$(head -n1 "$scratch/display")

# A program folder with the changer and its settings file.
make_program() {
    local folder=$1 pictures_folder=$2
    mkdir -p -- "$folder/TrashBox" "$folder/WallPaper"
    cp -- "$bin/SarvoChanger" "$bin"/sarvo-*.so "$folder/"
    printf '[Sarvo Changer]\r\nFolderPath=%s\r\n' "$pictures_folder" >"$folder/sarvoset.ini"
}
make_program "$scratch/program" "$work/linked"
make_program "$scratch/program-big" "$work/big"

# From here on everything runs on the private display, with private folders
# for whatever the changer and feh write, and the plain root-window backend.
mkdir -p -- "$scratch/home" "$scratch/data" "$scratch/config"
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE
export DISPLAY=$display HOME=$scratch/home XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
export SARVO_DESKTOP_BACKEND=x11

root_pixmap() {
    xprop -root _XROOTPMAP_ID 2>/dev/null || true
}

# One run of each first: both must really set the root window's background.
"$scratch/program/SarvoChanger" || die "the changer failed on $work/linked"
grep -qF "WallPaper=$work/linked/" "$scratch/program/sarvoset.ini" ||
    die "the changer did not record its picture in $scratch/program/sarvoset.ini"
sarvo_pixmap=$(root_pixmap)
[[ $sarvo_pixmap == *"# 0x"* ]] || die "the changer left no root pixmap ($sarvo_pixmap)"
feh --no-fehbg --bg-center --randomize --recursive "$work/linked" || die "feh failed on $work/linked"
[[ $(root_pixmap) != "$sarvo_pixmap" ]] || die "feh did not replace the root pixmap"

"$bin/sarvo-bench-one-process" "$work/linked" "$scratch/one-process.bmp" || die "the one-process reference failed"
[[ $(root_pixmap) != "$sarvo_pixmap" ]] || die "the one-process reference did not replace the root pixmap"

measure run \
    "sarvo=$(word "$scratch/program/SarvoChanger")" \
    "feh=feh --no-fehbg --bg-center --randomize --recursive $(word "$work/linked")" \
    "one-process=$(word "$bin/sarvo-bench-one-process") $(word "$work/linked") $(word "$scratch/one-process.bmp")"
report "run (tree of $files hard-linked ${small_size[0]}x${small_size[1]} JPEGs, Xvfb $screen)"
verdict "whole run faster than feh" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.00 "<"
verdict "whole run within 1.15x of the one-process reference" "$(ratio "${median_ms[0]}" "${median_ms[2]}")" 1.15 "<="
table_row "whole changer run, $files files, warm, Xvfb $screen"

# One 24-megapixel photo, the commonest wallpaper. The peers decode the same
# picture and write nothing; the changer also writes the full-size bitmap,
# so each run starts after sync, so that none pays for the last one's
# writing.
prepare=(--prepare sync)
measure photo \
    "sarvo=$(word "$scratch/program-big/SarvoChanger")" \
    "feh=feh --no-fehbg --bg-center $(word "$photo")" \
    "xwallpaper=xwallpaper --center $(word "$photo")"
report "photo (one ${jpeg_width}x$jpeg_height JPEG, Xvfb $screen)"
verdict "whole run on the photo within 1.0x of feh --bg-center" "$(ratio "${median_ms[0]}" "${median_ms[1]}")" 1.00 "<="
verdict "whole run on the photo within 1.0x of xwallpaper --center" "$(ratio "${median_ms[0]}" "${median_ms[2]}")" 1.00 "<="
table_row "whole changer run, one ${jpeg_width}x$jpeg_height JPEG, Xvfb $screen (sync before each run)"
prepare=()

# --- the desktops ------------------------------------------------------------

# One picture, so that every run shows the same one. The services run as a
# desktop session would have them: one private session bus (dconf and
# xfconfd are started by it), and a headless sway as an unprivileged user
# (sway refuses root; the changer runs as that user there too).
mkdir -p -- "$scratch/one"
cp -- "$work/small-1.jpg" "$scratch/one/picture.jpg"
make_program "$scratch/program-one" "$scratch/one"
one=$scratch/program-one/SarvoChanger
unset SARVO_DESKTOP_BACKEND
export XDG_RUNTIME_DIR=$scratch/run
mkdir -p -m 700 -- "$XDG_RUNTIME_DIR"
read -r bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
[[ -n $bus_address ]] || die "dbus-daemon did not start"
export DBUS_SESSION_BUS_ADDRESS=$bus_address

as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
sway_home=$scratch/sway
mkdir -p -m 700 -- "$sway_home/run"
printf 'output HEADLESS-1 mode %s\n' "${screen%x*}" >"$sway_home/config"
cp -r -- "$scratch/program-one" "$sway_home/program"
chown -R 65534:65534 -- "$sway_home"
"${as_nobody[@]}" env -u SWAYSOCK HOME="$sway_home" XDG_RUNTIME_DIR="$sway_home/run" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
    sway -c "$sway_home/config" </dev/null >"$scratch/sway.log" 2>&1 &
sway_pid=$!
swaysock=$sway_home/run/sway-ipc.65534.$sway_pid.sock
for ((i = 0; i < 100; i++)); do
    [[ -S $swaysock ]] && break
    kill -0 "$sway_pid" 2>/dev/null || die "sway did not start (see $scratch/sway.log)"
    sleep 0.1
done
[[ -S $swaysock ]] || die "sway's socket did not appear (see $scratch/sway.log)"
in_sway=("${as_nobody[@]}" env -u DISPLAY -u SARVO_DESKTOP_BACKEND HOME="$sway_home" XDG_RUNTIME_DIR="$sway_home/run" XDG_DATA_HOME="$sway_home/data"
         XDG_CONFIG_HOME="$sway_home/config.d" WAYLAND_DISPLAY=wayland-1 SWAYSOCK="$swaysock")
"${in_sway[@]}" "$sway_home/program/SarvoChanger" || die "the changer failed on sway"
convert-im6.q16 "$scratch/one/picture.jpg" "$sway_home/picture.png"
chown 65534:65534 -- "$sway_home/picture.png"

# Each must really take the picture before its time means anything.
env SARVO_DESKTOP_BACKEND=x11 "$one" || die "the changer failed on the X11 root"
env XDG_CURRENT_DESKTOP=GNOME "$one" || die "the changer failed on GNOME"
[[ $(gsettings get org.gnome.desktop.background picture-uri) == *SarvoChangerGraphic-* ]] ||
    die "the changer did not set GNOME's picture"
env XDG_CURRENT_DESKTOP=XFCE "$one" || die "the changer failed on Xfce"
[[ -n $(xfconf-query -c xfce4-desktop -l | grep last-image) ]] || die "the changer did not set Xfce's picture"

cmd() {
    local out="" w
    for w; do out+="${out:+ }$(word "$w")"; done
    printf '%s' "$out"
}
measure desktops \
    "x11=$(cmd env SARVO_DESKTOP_BACKEND=x11 "$one")" \
    "feh=$(cmd env SARVO_DESKTOP_BACKEND=x11 feh --no-fehbg --bg-center "$scratch/one/picture.jpg")" \
    "gnome=$(cmd env XDG_CURRENT_DESKTOP=GNOME "$one")" \
    "xfce=$(cmd env XDG_CURRENT_DESKTOP=XFCE "$one")" \
    "sway=$(cmd "${in_sway[@]}" XDG_CURRENT_DESKTOP=sway "$sway_home/program/SarvoChanger")" \
    "swaymsg=$(cmd "${in_sway[@]}" swaymsg output '*' bg "$sway_home/picture.png" center '#000000')"
declare -A desktop_ms
for ((i = 0; i < ${#label[@]}; i++)); do desktop_ms[${label[i]}]=${median_ms[i]}; done
report "desktops (one ${small_size[0]}x${small_size[1]} JPEG; Xvfb $screen, sway headless ${screen%x*})"
for backend in gnome xfce sway; do
    added=$(awk -v a="${desktop_ms[$backend]}" -v b="${desktop_ms[x11]}" 'BEGIN { printf "%.1f", a - b }')
    echo "  $backend adds $added ms to the X11 root run"
    if awk -v d="$added" 'BEGIN { exit !(d <= 20) }'; then
        verdicts+=("PASS $backend adds at most 20 ms over the X11 root run: $added ms")
    else
        verdicts+=("FAIL $backend adds at most 20 ms over the X11 root run: $added ms")
        failed=1
    fi
done
{
    echo "| whole run on one picture, X11 root | $(ms "${desktop_ms[x11]}") | feh $(ms "${desktop_ms[feh]}") | $(ratio "${desktop_ms[x11]}" "${desktop_ms[feh]}")x | |"
    echo "| whole run, GNOME (dconf) | $(ms "${desktop_ms[gnome]}") | X11 root $(ms "${desktop_ms[x11]}") | $(ratio "${desktop_ms[gnome]}" "${desktop_ms[x11]}")x | |"
    echo "| whole run, Xfce (xfconfd) | $(ms "${desktop_ms[xfce]}") | X11 root $(ms "${desktop_ms[x11]}") | $(ratio "${desktop_ms[xfce]}" "${desktop_ms[x11]}")x | |"
    echo "| whole run, sway (headless) | $(ms "${desktop_ms[sway]}") | swaymsg $(ms "${desktop_ms[swaymsg]}") | $(ratio "${desktop_ms[sway]}" "${desktop_ms[swaymsg]}")x | X11 root $(ms "${desktop_ms[x11]}") |"
} >>"$summary"

# --- peak memory -------------------------------------------------------------

# The largest of a few runs: the peak hardly varies, and the largest is the
# one a user could meet.
peak_kib=0
for ((i = 1; i <= 3; i++)); do
    /usr/bin/time -f %M -o "$scratch/rss" "$scratch/program-big/SarvoChanger" ||
        die "the changer failed on $work/big"
    kib=$(tail -n1 "$scratch/rss")
    if ((kib > peak_kib)); then peak_kib=$kib; fi
done
[[ $(stat -c %s "$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp") -eq $bitmap_bytes ]] ||
    die "the changer's bitmap is not $bitmap_bytes bytes"
peak_bytes=$((peak_kib * 1024))
memory_ratio=$(ratio "$peak_bytes" "$bitmap_bytes")
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
echo "memory (${jpeg_width}x$jpeg_height JPEG, Xvfb $screen): sarvo peak RSS $(mib "$peak_bytes"), bitmap $(mib "$bitmap_bytes") (${memory_ratio}x)"
verdict "peak memory within 0.25x the bitmap" "$memory_ratio" 0.25 "<="
echo "| peak memory (max RSS), ${jpeg_width}x$jpeg_height JPEG | $(mib "$peak_bytes") | bitmap $(mib "$bitmap_bytes") | ${memory_ratio}x | |" >>"$summary"

# --- a picture per monitor --------------------------------------------------

# The draw alone, 1,000 runs in a row, each avoiding the pictures of the run
# before it: picks of the monitor's shape (chance gives half), one picture on
# both monitors in a run.
draw=$("$bin/sarvo-bench-monitors-draw" "$work/monitors/draw" 1000) || die "the draw failed"
echo "monitors draw: $draw"
shape_pct=$(sed -n 's/.*: \([0-9.]*\)% of .*/\1/p' <<<"$draw")
both=$(sed -n 's/.*both monitors in \([0-9]*\) runs.*/\1/p' <<<"$draw")
if awk -v p="$shape_pct" 'BEGIN { exit !(p >= 99) }'; then
    verdicts+=("PASS picks of the monitor's shape at least 99%: $shape_pct%")
else
    verdicts+=("FAIL picks of the monitor's shape at least 99%: $shape_pct%")
    failed=1
fi
if [[ $both == 0 ]]; then
    verdicts+=("PASS no picture on two monitors in one run: $both of 1000 runs")
else
    verdicts+=("FAIL no picture on two monitors in one run: $both of 1000 runs")
    failed=1
fi
echo "| draw of a picture per monitor, 1,000 runs, 1000 pictures | $shape_pct% of the monitor's shape | chance 50% | | one picture on both monitors: $both runs |" >>"$summary"

# An X server of MODE with the monitors given as xrandr --setmonitor
# geometries (the first primary); sets monitor_display.
monitor_xvfb() {
    local mode=$1 file=$scratch/display-$RANDOM n=0 geometry name
    shift
    Xvfb -displayfd 9 -noreset -nolisten tcp -screen 0 "$mode" 9>"$file" 2>>"$scratch/xvfb.log" &
    monitor_xvfb_pids+=($!)
    for ((i = 0; i < 100; i++)); do [[ -s $file ]] && break; sleep 0.1; done
    [[ -s $file ]] || die "Xvfb $mode did not start within 10 seconds"
    monitor_display=:$(head -n1 "$file")
    for geometry; do
        name=bench-$n
        ((n > 0)) || name="*$name"
        DISPLAY=$monitor_display xrandr --setmonitor "$name" "$geometry" "$( ((n > 0)) && echo none || echo screen)" ||
            die "cannot make the monitor $geometry"
        n=$((n + 1))
    done
}
monitor_xvfb 1920x1080x24
one_display=$monitor_display
monitor_xvfb 3000x1920x24 1920/1920x1080/1080+0+0 1080/1080x1920/1920+1920+0
two_display=$monitor_display
for kind in screens photos; do
    make_program "$scratch/one-$kind" "$work/monitors/$kind"
    make_program "$scratch/same-$kind" "$work/monitors/$kind"
    make_program "$scratch/two-$kind" "$work/monitors/$kind"
    printf 'Monitors=1\r\n' >>"$scratch/two-$kind/sarvoset.ini"
    env DISPLAY="$one_display" SARVO_DESKTOP_BACKEND=x11 "$scratch/one-$kind/SarvoChanger" || die "the changer failed on one monitor"
    env DISPLAY="$two_display" SARVO_DESKTOP_BACKEND=x11 "$scratch/same-$kind/SarvoChanger" || die "the changer failed without the key"
    env DISPLAY="$two_display" SARVO_DESKTOP_BACKEND=x11 "$scratch/two-$kind/SarvoChanger" || die "the changer failed on two monitors"
    [[ $(stat -c %s "$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp") -eq $((3000 * 1920 * 3 + 54)) ]] ||
        die "the two monitors' bitmap is not the desktop's size"
done
prepare=(--prepare sync)
# Each kind of picture three ways: a picture per monitor on the two monitors;
# one picture on the same two monitors (no key), whose X11 root is as large;
# one picture on one monitor.
for kind in screens photos; do
    measure "monitors-$kind" \
        "two=$(cmd env DISPLAY="$two_display" SARVO_DESKTOP_BACKEND=x11 "$scratch/two-$kind/SarvoChanger")" \
        "same=$(cmd env DISPLAY="$two_display" SARVO_DESKTOP_BACKEND=x11 "$scratch/same-$kind/SarvoChanger")" \
        "one=$(cmd env DISPLAY="$one_display" SARVO_DESKTOP_BACKEND=x11 "$scratch/one-$kind/SarvoChanger")"
    report "monitors, $kind (whole runs, X11 root: a picture per monitor on 1920x1080 + 1080x1920; one picture there; one picture on one 1920x1080 monitor)"
    same_ratio=$(ratio "${median_ms[0]}" "${median_ms[1]}")
    one_ratio=$(ratio "${median_ms[0]}" "${median_ms[2]}")
    verdict "a picture per monitor within 1.3x one picture on the same two monitors ($kind)" "$same_ratio" 1.30 "<="
    echo "  against one picture on one monitor, whose screen is a third the size: ${one_ratio}x (not a target)"
    echo "| whole run, a picture per monitor against one picture, two monitors, $kind (sync before each run) | $(ms "${median_ms[0]}") | one picture $(ms "${median_ms[1]}") | ${same_ratio}x | one monitor $(ms "${median_ms[2]}") (${one_ratio}x) |" >>"$summary"
done
prepare=()

# Two 4K monitors, one upright, each given a 24-megapixel photo of its shape.
monitor_xvfb 6000x3840x24 3840/3840x2160/2160+0+0 2160/2160x3840/3840+3840+0
make_program "$scratch/two-big" "$work/monitors/big"
printf 'Monitors=1\r\n' >>"$scratch/two-big/sarvoset.ini"
span_bytes=$((6000 * 3840 * 3 + 54))
peak_kib=0
for ((i = 1; i <= 3; i++)); do
    env DISPLAY="$monitor_display" SARVO_DESKTOP_BACKEND=x11 /usr/bin/time -f %M -o "$scratch/rss" "$scratch/two-big/SarvoChanger" ||
        die "the changer failed on two 4K monitors"
    kib=$(tail -n1 "$scratch/rss")
    if ((kib > peak_kib)); then peak_kib=$kib; fi
done
[[ $(stat -c %s "$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp") -eq $span_bytes ]] ||
    die "the two 4K monitors' bitmap is not $span_bytes bytes"
peak_bytes=$((peak_kib * 1024))
memory_ratio=$(ratio "$peak_bytes" "$span_bytes")
echo "memory (two 4K monitors, 6000x4000 and 4000x6000 JPEGs): sarvo peak RSS $(mib "$peak_bytes"), bitmap $(mib "$span_bytes") (${memory_ratio}x)"
verdict "peak memory with two monitors within 0.25x the bitmap" "$memory_ratio" 0.25 "<="
echo "| peak memory (max RSS), two 4K monitors, 24 MP photos | $(mib "$peak_bytes") | bitmap $(mib "$span_bytes") | ${memory_ratio}x | |" >>"$summary"

# --- verdict -----------------------------------------------------------------

echo "load at end: $(load)"
printf '%s\n' "${verdicts[@]}"
echo "table: $summary"
exit "$failed"
