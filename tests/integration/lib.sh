# shellcheck shell=bash disable=SC2034  # the variables set here are read by the test scripts
# Helpers of the test scripts here and in tests/reliability and tests/wine; CTest
# passes the built programs and tools as SARVO_* variables.
set -uo pipefail
IM_CONVERT=convert-im6.q16
IM_COMPARE=compare-im6.q16

fail() { echo "FAIL: $*" >&2; exit 1; }
assert_eq() { [[ $1 == "$2" ]] || fail "$3"$'\n'"  expected: [$2]"$'\n'"  actual:   [$1]"; }  # ACTUAL EXPECTED WHAT
assert_contains() { [[ $1 == *"$2"* ]] || fail "$3: [$2] not in [$1]"; }  # TEXT PART WHAT
is_one_of() { local c; for c in "${@:2}"; do [[ $1 == "$c" ]] && return 0; done; return 1; }  # VALUE CHOICE...
poll() { for _ in $(seq 300); do "${@:2}" && return 0; sleep 0.1; done; fail "$1 did not happen within 30 s"; }  # WHAT COMMAND...
CLEANUPS=()
cleanup() { local c; for c in "${CLEANUPS[@]}"; do eval "$c" || true; done; [[ -z ${T:-} ]] || rm -rf "$T"; }

# A program folder PROG (the changer, its modules, a stand-in SarvoSetTool
# recording its starts in LAUNCHES), private user folders, the empty picture
# folder PICS of sarvoset.ini (SETTINGS); BITMAP and REGISTRY: the changer's.
new_program_folder() {
    T=${SARVO_TEST_T:-$(mktemp -d "${TMPDIR:-/tmp}/sarvo-it.XXXXXX")} || fail "no temporary folder"
    trap cleanup EXIT
    PROG=$T/prog PICS=$T/pictures
    mkdir -p "$PROG" "$PICS" "$T/home"
    local formats; IFS=: read -ra formats <<<"$SARVO_FORMAT_MODULES"
    cp "$SARVO_CHANGER" "$SARVO_QT_MODULE" "$SARVO_PLASMA_MODULE" "${formats[@]}" "$PROG/"
    cp "$SARVO_STANDIN" "$PROG/SarvoSetTool"
    export HOME=$T/home XDG_CONFIG_HOME=$T/config XDG_DATA_HOME=$T/data SARVO_STANDIN_LOG=$T/launches.log
    LAUNCHES=$SARVO_STANDIN_LOG SETTINGS=$PROG/sarvoset.ini
    BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
    REGISTRY=$XDG_CONFIG_HOME/sarvo-backdrop-changer/registry.ini
    unset SARVO_DESKTOP_BACKEND XDG_CURRENT_DESKTOP WAYLAND_DISPLAY XDG_SESSION_TYPE
    printf '[Sarvo Changer]\r\nFolderPath=%s\r\n' "$PICS" >"$SETTINGS"
}
with_settool() { cp "$SARVO_SETTOOL" "$PROG/SarvoSetTool" && mkdir -p "$PROG/TrashBox"; }  # the real one in PROG
# A desktop's test: the quadrant picture in PICS, messages on standard error.
desktop_program_folder() { new_program_folder; without_box_module; quadrants "$PICS/quad.bmp"; }
# each_placement CHECK...: the changer centred, tiled, stretched; after each run, CHECK... TILE STYLE.
each_placement() {
    local pair tile style
    for pair in "0 0" "1 0" "0 2"; do
        read -r tile style <<<"$pair"
        set_placement "$tile" "$style"
        run_changer
        assert_eq "$RC" 0 "exit code (stderr: $ERR)"
        assert_eq "$(ini_value "$REGISTRY" Wallpaper)" "$BITMAP" "stored Wallpaper"
        "$@" "$tile" "$style"
    done
}
# desktop_stand_in plasma RECORD: tests/tools/desktop_stand_in.py, once it owns its name.
desktop_stand_in() {
    "$SARVO_DESKTOP_STAND_IN" "$1" "$2" &
    CLEANUPS+=("kill $!")
    poll "the $1 stand-in getting its name" test -e "$2.ready"
}
# with_session_bus ARGUMENT...: (first) runs the calling script again on a private
# session bus, private folders set first for the services it starts (dconf, xfconfd),
# in a process group of its own: the services the bus started and that outlive it end with it.
with_session_bus() {
    [[ -n ${SARVO_TEST_T:-} ]] && return 0
    SARVO_TEST_T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-it.XXXXXX") || fail "no temporary folder"
    export SARVO_TEST_T HOME=$SARVO_TEST_T/home XDG_CONFIG_HOME=$SARVO_TEST_T/config
    export XDG_DATA_HOME=$SARVO_TEST_T/data XDG_RUNTIME_DIR=$SARVO_TEST_T/run
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    setsid dbus-run-session -- bash "${BASH_SOURCE[1]}" "$@" &
    local session=$! rc i
    wait "$session"
    rc=$?
    kill -- "-$session" 2>/dev/null
    # They may still write on their way out (xfconfd saves its channels).
    for ((i = 0; i < 50; i++)); do kill -0 -- "-$session" 2>/dev/null || break; sleep 0.1; done
    rm -rf "$SARVO_TEST_T"
    exit $rc
}
# silent_peer PATH [full]: tests/tools/silent_peer.py at PATH, once it is ready.
silent_peer() {
    local ready; ready=$(mktemp "$T/peer.XXXXXX")
    "$SARVO_SILENT_PEER" "$@" >"$ready" &
    CLEANUPS+=("kill $!; rm -f '$1'")
    poll "the silent peer at $1" test -s "$ready"
}
# silent_x_display: DISPLAY names a silent peer on a display number of its own.
silent_x_display() {
    local n
    for n in $(seq 600 699); do
        (set -C && printf '%10d\n' $$ >"/tmp/.X$n-lock") 2>/dev/null || continue  # as X servers lock theirs
        CLEANUPS+=("rm -f /tmp/.X$n-lock")
        [[ ! -e /tmp/.X11-unix/X$n ]] || fail "display $n is in use without a lock"
        mkdir -p /tmp/.X11-unix && silent_peer "/tmp/.X11-unix/X$n" && export DISPLAY=:$n
        return
    done
    fail "no free display number for a silent X server"
}
# as_unprivileged ARGUMENT...: (call it first) as root, runs the calling script again as "nobody".
as_unprivileged() { [[ $(id -u) != 0 ]] || exec setpriv --reuid=65534 --regid=65534 --clear-groups bash "${BASH_SOURCE[1]}" "$@"; }

run_changer() {  # [ARGUMENT...]: with a time limit (CHANGER_LIMIT, 60 s); sets RC, OUT and ERR
    timeout "${CHANGER_LIMIT:-60}" "$PROG/SarvoChanger" "$@" >"$T/stdout" 2>"$T/stderr"
    RC=$?
    OUT=$(cat "$T/stdout") ERR=$(cat "$T/stderr")
    [[ $RC -ne 124 ]] || fail "the changer did not end within its time limit"
}
# run_changer_with_box CAPTION KEY: as run_changer, pressing KEY in the box CAPTION if one
# appears before the changer ends; BOX says whether one did.
run_changer_with_box() {
    rm -f "$T/rc"
    { timeout 60 "$PROG/SarvoChanger" >"$T/stdout" 2>"$T/stderr"; echo $? >"$T/rc"; } &
    box_or_end() { [[ -s $T/rc ]] || xdotool search --onlyvisible --name "^$1\$" >/dev/null; }
    poll "a box \"$1\" or the changer's end" box_or_end "$1"
    BOX=no
    [[ -s $T/rc ]] || { focus_window "$1" "$2" && BOX=yes && poll "the changer's end" test -s "$T/rc"; }
    RC=$(cat "$T/rc") OUT=$(cat "$T/stdout") ERR=$(cat "$T/stderr")
}
without_box_module() { rm -f "$PROG/$(basename "$SARVO_QT_MODULE")"; }  # messages go to standard error
is_handed() { [[ $1 =~ ^"${BITMAP%/*}"/SarvoChangerGraphic-[0-9a-f]{16}\.$2$ ]]; }  # FILE png|bmp: a name the changer hands a desktop
set_placement() {  # TILE STYLE: the pair in the registry store
    mkdir -p "${REGISTRY%/*}" && printf '[Control Panel\\Desktop]\nTileWallpaper=%s\nWallpaperStyle=%s\n' "$1" "$2" >"$REGISTRY"
}
ini_value() { [[ ! -f $1 ]] || sed -n "s/^$2=//p" "$1" | head -n 1 | tr -d '\r'; }  # FILE KEY: the first "KEY=" line's value
quadrants() {  # FILE [WIDTH HEIGHT [COLOUR x4]]: a 24-bit picture in four solid colours
    local w=${2:-64} h=${3:-48} c=("${@:4}")
    ((${#c[@]} == 4)) || c=('#ff0000' '#00ff00' '#0000ff' '#ffff00')
    "$IM_CONVERT" -size "$((w / 2))x$((h / 2))" "xc:${c[0]}" -size "$((w - w / 2))x$((h / 2))" "xc:${c[1]}" +append \
        \( -size "$((w / 2))x$((h - h / 2))" "xc:${c[2]}" -size "$((w - w / 2))x$((h - h / 2))" "xc:${c[3]}" +append \) \
        -append -type TrueColor "BMP3:$1" || fail "cannot make $1"
}

no_display() { unset DISPLAY; }
release_keys() { xdotool keyup space d n 2>/dev/null || true; }
use_display() {  # the fixture's Xvfb (SARVO_XVFB_STATE), with no key held
    # shellcheck source=/dev/null
    . "${SARVO_XVFB_STATE:?}" && export DISPLAY=$SARVO_TEST_DISPLAY || fail "no Xvfb fixture state"
    release_keys
}
own_xvfb() {  # [SCREEN]: an X server of this test's own
    "${BASH_SOURCE[0]%/*}/xvfb.sh" start "$T/xvfb.state" "$@" || fail "cannot start an X server"
    CLEANUPS+=("'${BASH_SOURCE[0]%/*}/xvfb.sh' stop '$T/xvfb.state'")
    # shellcheck source=/dev/null
    . "$T/xvfb.state" && export DISPLAY=$SARVO_TEST_DISPLAY
}
hold_keys() { CLEANUPS+=("release_keys"); xdotool keydown "$@" || fail "xdotool cannot press $*"; }  # KEY...
# use_headless_sway [MODE [LINE]]: a headless sway of the test's own (as "nobody"
# when root; SWAY_PID) with one output of MODE (640x480), or SWAY_OUTPUTS, the
# first of MODE, LINE added to its configuration.
use_headless_sway() {
    local run socket as_nobody=()
    run=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-wayland.XXXXXX") || fail "no runtime folder"
    CLEANUPS+=("rm -rf '$run'")
    printf 'output HEADLESS-1 mode %s\n%s\n' "${1:-640x480}" "${2:-}" >"$run/config"
    chmod 644 "$run/config"
    [[ $(id -u) == 0 ]] && chown nobody "$run" && chmod 700 "$run" &&
        as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    "${as_nobody[@]}" env -i PATH=/usr/bin:/bin HOME="$run" XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS="${SWAY_OUTPUTS:-1}" \
        sway -c "$run/config" </dev/null >"$T/sway.log" 2>&1 & SWAY_PID=$!
    CLEANUPS+=("kill $SWAY_PID 2>/dev/null")
    sway_up() { socket=$(find "$run" -maxdepth 1 -name 'sway-ipc.*.sock' -print -quit) && [[ -n $socket && -S $run/wayland-1 ]]; }
    poll "headless sway's start" sway_up
    unset DISPLAY
    export XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY=wayland-1 SWAYSOCK=$socket
}

# The stand-in's record (LAUNCH), read once it has ended, so whole; none, once none runs.
no_stand_in() { local e; for e in /proc/[0-9]*/exe; do [[ $(readlink "$e" 2>/dev/null) != "$PROG/SarvoSetTool" ]] || return 1; done; }
wait_for_launch() {
    poll "SarvoSetTool's start" test -s "$LAUNCHES"
    poll "the stand-in SarvoSetTool's end" no_stand_in
    LAUNCH=$(cat "$LAUNCHES")
}
assert_no_launch() {
    poll "the stand-in SarvoSetTool's end" no_stand_in
    [[ ! -e $LAUNCHES ]] || fail "SarvoSetTool was started: $(cat "$LAUNCHES")"
}

root_pixmap() {  # [PROPERTY]: the pixmap _XROOTPMAP_ID (or PROPERTY) names, or "none"
    xprop -root "${1:-_XROOTPMAP_ID}" 2>/dev/null | sed -n 's/.*pixmap id # //p' | grep . || echo none
}
root_shot() { import -window root -depth 8 "$1"; }  # FILE: the root window as the user sees it
assert_same_picture() {  # FILE EXPECTED WHAT
    local differing; differing=$("$IM_COMPARE" -metric AE "$1" "$2" null: 2>&1)
    [[ $differing == 0 ]] || fail "$3: $differing pixels differ ($1 against $2)"
}
# assert_screen_becomes SHOOT EXPECTED WHAT [MASK]: SHOOT's screenshots equal
# EXPECTED within 10 s, apart from MASK ("x0,y0:x1,y1" ...).
assert_screen_becomes() {
    local shoot=$1 expected=$2 differing= i masks=() rectangle
    for rectangle in ${4:-}; do masks+=(-draw "rectangle ${rectangle/:/ }"); done
    "$IM_CONVERT" "$expected" -alpha off -fill black "${masks[@]}" "$T/expected-masked.png"
    for ((i = 0; i < 100; i++)); do
        "$shoot" "$T/shot.png" 2>/dev/null &&
            "$IM_CONVERT" "$T/shot.png" -alpha off -fill black "${masks[@]}" "$T/shot-masked.png" &&
            differing=$("$IM_COMPARE" -metric AE "$T/shot-masked.png" "$T/expected-masked.png" null: 2>&1) &&
            [[ $differing == 0 ]] && return 0
        sleep 0.1
    done
    fail "$3: ${differing:-no screenshot} pixels differ"
}
# PICTURE on a 320x240 screen as CENTRE, TILE, STRETCH, BLACK; SEAMS: where
# smooth scaling and our nearest pixel may differ.
expected_screens() {
    CENTRE=$T/centre.png TILE=$T/tile.png STRETCH=$T/stretch.png BLACK=$T/black.png
    "$IM_CONVERT" -size 320x240 xc:black "$1" -gravity center -composite "$CENTRE"
    "$IM_CONVERT" -size 320x240 "tile:$1" "$TILE"
    "$IM_CONVERT" "$1" -filter point -resize '320x240!' "$STRETCH"
    "$IM_CONVERT" -size 320x240 xc:black "$BLACK"
    SEAMS="152,0:167,239 0,112:319,127 0,0:319,3 0,236:319,239 0,0:3,239 316,0:319,239"
}
screen_of() {  # TILE STYLE: which of them the pair shows
    case $1$2 in 10) echo "$TILE" ;; 02) echo "$STRETCH" ;; *) echo "$CENTRE" ;; esac
}
split_screen() {  # two monitors side by side, the left one primary
    xrandr --setmonitor '*sarvo-left' 160/160x240/240+0+0 screen >/dev/null &&
        xrandr --setmonitor sarvo-right 160/160x240/240+160+0 none >/dev/null || fail "cannot make two monitors"
    CLEANUPS+=("xrandr --delmonitor sarvo-left; xrandr --delmonitor sarvo-right")
}

# focus_window CAPTION [KEY...]: waits for a visible window CAPTION, focuses it, presses KEY...; sets FOUND.
focus_window() {
    FOUND=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    [[ -n $FOUND ]] || fail "no window \"$1\" appeared"
    xdotool windowfocus --sync "$FOUND" || fail "cannot focus the window \"$1\""
    (($# < 2)) || xdotool key "${@:2}" || fail "cannot press ${*:2}"
}
open_window() {  # PROGRAM CAPTION: starts PROGRAM's window; sets PID and WIN
    "$1" >"$T/window.out" 2>&1 & PID=$!
    CLEANUPS+=("kill $PID 2>/dev/null")
    focus_window "$2" && WIN=$FOUND
}
# launch_action ENTRY ACTION: starts ACTION of the desktop entry ENTRY as a desktop's menu does (GLib).
launch_action() {
    /usr/bin/python3 -c 'import sys, gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
info = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])
if info is None or sys.argv[2] not in info.list_actions(): sys.exit(1)
info.launch_action(sys.argv[2], None)' \
        "$1" "$2" || fail "GLib did not start the action $2 of $1"
}
# close_window: as the window manager's close button does; the program ends with exit code 0.
close_window() {
    "$SARVO_ROOT_TOOL" close "$WIN" || fail "cannot ask the window to close"
    timeout 30 tail --pid="$PID" -f /dev/null || fail "the program did not end after its window closed"
    local rc=0; wait "$PID" || rc=$?
    assert_eq "$rc" 0 "exit code of a closed window ($(cat "$T/window.out"))"
}
