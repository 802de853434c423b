# shellcheck shell=bash disable=SC2034  # the variables set here are read by the test scripts
# Helpers of the changer's integration tests, sourced by each test script.
#
# The tests run the real SarvoChanger copied into a fresh program folder with
# a stand-in SarvoSetTool beside it, with private XDG folders. CTest passes:
#   SARVO_CHANGER, SARVO_QT_MODULE    the built changer and its Qt module
#   SARVO_PLASMA_MODULE               its Plasma module
#   SARVO_DESKTOP_STAND_IN            desktop_stand_in (Plasma shell, portal)
#   SARVO_STANDIN                     the stand-in settings tool
#   SARVO_ROOT_TOOL                   x11_root_tool
#   SARVO_APPLY_TOOL                  apply_wallpaper
#   SARVO_SHOW_TOOL                   show_message
#   SARVO_SCREEN_TOOL                 screen_size
#   SARVO_SETTOOL                     the real settings tool (its tests put it
#                                     in the stand-in's place)
#   SARVO_CLOSE_TOOL                  x11_close_window
#   SARVO_LAUNCH_TOOL                 launch_desktop_entry
#   SARVO_XVFB_STATE                  the Xvfb fixture's state file (X tests)
set -u
set -o pipefail

IM_CONVERT=convert-im6.q16
IM_COMPARE=compare-im6.q16

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# assert_eq ACTUAL EXPECTED WHAT
assert_eq() {
    [[ $1 == "$2" ]] || fail "$3"$'\n'"  expected: [$2]"$'\n'"  actual:   [$1]"
}

# assert_contains TEXT PART WHAT
assert_contains() {
    [[ $1 == *"$2"* ]] || fail "$3: [$2] not in [$1]"
}

# is_one_of VALUE CHOICE...: true when VALUE is one of the choices.
is_one_of() {
    local value=$1 choice
    shift
    for choice; do [[ $value == "$choice" ]] && return 0; done
    return 1
}

# A fresh program folder and private per-user folders; removed on exit.
#   T       the test's scratch folder
#   PROG    the program folder: SarvoChanger, the box module, SarvoSetTool
#   PICS    an empty picture folder, named in sarvoset.ini (SETTINGS)
#   BITMAP  where the changer writes its bitmap
#   LAUNCHES  the stand-in's record of its starts
new_program_folder() {
    T=${SARVO_TEST_T:-$(mktemp -d "${TMPDIR:-/tmp}/sarvo-it.XXXXXX")} || fail "no temporary folder"
    trap cleanup EXIT
    PROG=$T/prog
    PICS=$T/pictures
    mkdir -p "$PROG" "$PICS" "$T/home"
    cp "$SARVO_CHANGER" "$PROG/SarvoChanger"
    cp "$SARVO_QT_MODULE" "$SARVO_PLASMA_MODULE" "$PROG/"
    cp "$SARVO_STANDIN" "$PROG/SarvoSetTool"
    export HOME=$T/home XDG_CONFIG_HOME=$T/config XDG_DATA_HOME=$T/data
    export SARVO_STANDIN_LOG=$T/launches.log
    LAUNCHES=$SARVO_STANDIN_LOG
    BITMAP=$XDG_DATA_HOME/sarvo-backdrop-changer/SarvoChangerGraphic.bmp
    REGISTRY=$XDG_CONFIG_HOME/sarvo-backdrop-changer/registry.ini
    SETTINGS=$PROG/sarvoset.ini
    unset SARVO_DESKTOP_BACKEND XDG_CURRENT_DESKTOP WAYLAND_DISPLAY XDG_SESSION_TYPE
    printf '[Sarvo Changer]\r\nFolderPath=%s\r\n' "$PICS" >"$SETTINGS"
}

# with_session_bus ARGUMENT...: runs the calling script again, once, under a
# private session bus (dbus-run-session), and exits with its status. The
# private folders are set before the bus starts, so that the services it
# starts (dconf, xfconfd) keep their files there too. Call it first.
with_session_bus() {
    [[ -n ${SARVO_TEST_T:-} ]] && return 0
    SARVO_TEST_T=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-it.XXXXXX") || fail "no temporary folder"
    export SARVO_TEST_T HOME=$SARVO_TEST_T/home XDG_CONFIG_HOME=$SARVO_TEST_T/config
    export XDG_DATA_HOME=$SARVO_TEST_T/data XDG_RUNTIME_DIR=$SARVO_TEST_T/run
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    dbus-run-session -- bash "${BASH_SOURCE[1]}" "$@"
    local rc=$?
    rm -rf "$SARVO_TEST_T"
    exit $rc
}

# as_unprivileged ARGUMENT...: when run as root, runs the calling script
# again as the unprivileged user "nobody" and exits with its status (some
# programs, sway among them, refuse to run as root). Call it first.
as_unprivileged() {
    [[ $(id -u) != 0 ]] && return 0
    exec setpriv --reuid=65534 --regid=65534 --clear-groups bash "${BASH_SOURCE[1]}" "$@"
}

# assert_same_picture FILE EXPECTED WHAT: the two pictures have the same
# pixels.
assert_same_picture() {
    local differing
    differing=$("$IM_COMPARE" -metric AE "$1" "$2" null: 2>&1)
    [[ $differing == 0 ]] || fail "$3: $differing pixels differ ($1 against $2)"
}

# assert_screen_becomes SHOOT EXPECTED WHAT [MASK]: the screenshots the
# command SHOOT writes to the file it is given come to equal the image
# EXPECTED within 10 s, apart from the rectangles of MASK ("x0,y0:x1,y1"
# ...). Desktops draw a new wallpaper in their own time, so the screen is
# looked at until it matches.
assert_screen_becomes() {
    local shoot=$1 expected=$2 what=$3 differing= i masks=() rectangle
    for rectangle in ${4:-}; do masks+=(-draw "rectangle ${rectangle/:/ }"); done
    "$IM_CONVERT" "$expected" -alpha off -fill black "${masks[@]}" "$T/expected-masked.png"
    for ((i = 0; i < 100; i++)); do
        "$shoot" "$T/shot.png" 2>/dev/null &&
            "$IM_CONVERT" "$T/shot.png" -alpha off -fill black "${masks[@]}" "$T/shot-masked.png" &&
            differing=$("$IM_COMPARE" -metric AE "$T/shot-masked.png" "$T/expected-masked.png" null: 2>&1) &&
            [[ $differing == 0 ]] && return 0
        sleep 0.1
    done
    "$IM_CONVERT" "$T/shot.png" "${TMPDIR:-/tmp}/sarvo-failed-screen.png" 2>/dev/null
    fail "$what: ${differing:-no screenshot} pixels differ (screen kept as ${TMPDIR:-/tmp}/sarvo-failed-screen.png)"
}

# The expected screens of the quadrant picture PICTURE on a 320x240 screen,
# as CENTRE, TILE, STRETCH and BLACK (PNG files in $T), and SEAMS: the bands
# along the quadrants' seams and the screen's edge where smooth scaling and
# our nearest-pixel reference may differ.
expected_screens() {
    CENTRE=$T/centre.png TILE=$T/tile.png STRETCH=$T/stretch.png BLACK=$T/black.png
    "$IM_CONVERT" -size 320x240 xc:black "$1" -gravity center -composite "$CENTRE"
    "$IM_CONVERT" -size 320x240 "tile:$1" "$TILE"
    "$IM_CONVERT" "$1" -filter point -resize '320x240!' "$STRETCH"
    "$IM_CONVERT" -size 320x240 xc:black "$BLACK"
    SEAMS="152,0:167,239 0,112:319,127 0,0:319,3 0,236:319,239 0,0:3,239 316,0:319,239"
}

# root_shot FILE: the X root window as the user sees it.
root_shot() {
    import -window root -depth 8 "$1"
}

# split_screen: the screen as two monitors side by side, the left one
# primary, until the test ends.
split_screen() {
    xrandr --setmonitor '*sarvo-left' 160/160x240/240+0+0 screen >/dev/null &&
        xrandr --setmonitor sarvo-right 160/160x240/240+160+0 none >/dev/null || fail "cannot make two monitors"
    CLEANUPS+=("xrandr --delmonitor sarvo-left; xrandr --delmonitor sarvo-right")
}

CLEANUPS=()
cleanup() {
    local c
    for c in "${CLEANUPS[@]}"; do eval "$c"; done
    [[ -n ${T:-} ]] && rm -rf "$T"
}

# Leaves the Qt module out of the program folder: messages then go
# to standard error even with a display, followed by a line saying why no
# box was shown. For runs that may stop with a message while a display is
# needed for the wallpaper.
without_box_module() {
    rm -f "$PROG/$(basename "$SARVO_QT_MODULE")"
}

# set_placement TILE STYLE: the pair in the registry store.
set_placement() {
    mkdir -p "$(dirname "$REGISTRY")"
    printf '[Control Panel\\Desktop]\nTileWallpaper=%s\nWallpaperStyle=%s\n' "$1" "$2" >"$REGISTRY"
}

# ini_value FILE KEY: the value of KEY (the first line "KEY=..."), without CR.
ini_value() {
    [[ -f $1 ]] || return 0
    sed -n "s/^$2=//p" "$1" | head -n 1 | tr -d '\r'
}

# quadrants FILE [WIDTH HEIGHT]: a 24-bit picture in four solid colours.
quadrants() {
    local w=${2:-64} h=${3:-48}
    "$IM_CONVERT" -size "$((w / 2))x$((h / 2))" xc:'#ff0000' -size "$((w - w / 2))x$((h / 2))" xc:'#00ff00' +append \
        \( -size "$((w / 2))x$((h - h / 2))" xc:'#0000ff' -size "$((w - w / 2))x$((h - h / 2))" xc:'#ffff00' +append \) \
        -append -type TrueColor "BMP3:$1" || fail "cannot make $1"
}

# run_changer [ARGUMENT...]: runs the changer in the program folder (from the
# current folder), with a time limit; sets RC, OUT and ERR.
run_changer() {
    timeout ${SARVO_RUN_LIMIT:-60} "$PROG/SarvoChanger" "$@" >"$T/stdout" 2>"$T/stderr"
    RC=$?
    OUT=$(cat "$T/stdout")
    ERR=$(cat "$T/stderr")
    [[ $RC -ne 124 ]] || fail "the changer did not end within its time limit"
}

# Runs without any display, as from cron or a text console.
no_display() {
    unset DISPLAY
}

# Uses the fixture's Xvfb, with no key held at the start.
use_display() {
    [[ -f ${SARVO_XVFB_STATE:-} ]] || fail "no Xvfb fixture state at ${SARVO_XVFB_STATE:-}"
    # shellcheck source=/dev/null
    . "$SARVO_XVFB_STATE"
    export DISPLAY=$SARVO_TEST_DISPLAY
    release_keys
}

# Starts a headless sway (a Wayland compositor without Xwayland or input
# devices) for this test and points WAYLAND_DISPLAY at it, with no X display.
# sway refuses to run as root, so it runs as "nobody" in a runtime folder of
# its own; a client running as root may still connect. Sets SWAYSOCK.
use_headless_sway() {
    local run i socket
    run=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-wayland.XXXXXX") || fail "no runtime folder"
    CLEANUPS+=("rm -rf '$run'")
    printf 'output HEADLESS-1 mode 640x480\n' >"$run/config"
    chmod 755 "$run" && chmod 644 "$run/config"
    [[ $(id -u) == 0 ]] && chown nobody "$run" && chmod 700 "$run"
    local as_nobody=()
    [[ $(id -u) == 0 ]] && as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    "${as_nobody[@]}" env -i PATH=/usr/bin:/bin HOME="$run" XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
        sway -c "$run/config" </dev/null >"$T/sway.log" 2>&1 &
    CLEANUPS+=("kill $! 2>/dev/null")
    for ((i = 0; i < 100; i++)); do
        socket=$(find "$run" -maxdepth 1 -name 'sway-ipc.*.sock' -print -quit)
        [[ -n $socket && -S $run/wayland-1 ]] && break
        sleep 0.1
    done
    [[ -n $socket ]] || fail "headless sway did not start: $(cat "$T/sway.log")"
    unset DISPLAY
    export XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY=wayland-1 SWAYSOCK=$socket
}

release_keys() {
    xdotool keyup space d n 2>/dev/null || true
}

# hold_keys KEY...: held until the test ends.
hold_keys() {
    CLEANUPS+=("release_keys")
    xdotool keydown "$@" || fail "xdotool cannot press $*"
}

# wait_for_launch: waits up to 10 s for the stand-in's record; sets LAUNCH.
wait_for_launch() {
    local i
    for ((i = 0; i < 100; i++)); do
        if [[ -s $LAUNCHES ]]; then
            LAUNCH=$(cat "$LAUNCHES")
            return 0
        fi
        sleep 0.1
    done
    fail "SarvoSetTool was not started"
}

# stand_in_running: true while a process runs the program folder's stand-in.
stand_in_running() {
    local exe
    for exe in /proc/[0-9]*/exe; do
        [[ $(readlink "$exe" 2>/dev/null) == "$PROG/SarvoSetTool" ]] && return 0
    done
    return 1
}

# assert_no_launch: the stand-in was not started. Called after the changer
# has ended: a program it started is running by then (the changer returns
# from a start only once the program is running), so once no stand-in runs,
# any start would have left its record.
assert_no_launch() {
    local i
    for ((i = 0; i < 100; i++)); do
        stand_in_running || break
        sleep 0.1
    done
    ! stand_in_running || fail "the stand-in SarvoSetTool does not end"
    [[ ! -e $LAUNCHES ]] || fail "SarvoSetTool was started: $(cat "$LAUNCHES")"
}

# root_pixmap [PROPERTY]: the pixmap _XROOTPMAP_ID (or PROPERTY) names, or "none".
root_pixmap() {
    local p
    p=$(xprop -root "${1:-_XROOTPMAP_ID}" 2>/dev/null | sed -n 's/.*pixmap id # //p')
    echo "${p:-none}"
}

# assert_root_shows EXPECTED_IMAGE WHAT: the root window equals the image
# pixel for pixel.
assert_root_shows() {
    root_shot "$T/root.ppm" || fail "cannot read the root window"
    local differing
    differing=$("$IM_COMPARE" -metric AE "$T/root.ppm" "$1" null: 2>&1)
    [[ $differing == 0 ]] || {
        cp "$T/root.ppm" "${TMPDIR:-/tmp}/sarvo-failed-root.ppm"
        fail "$2: $differing pixels differ from the expected screen (root kept as ${TMPDIR:-/tmp}/sarvo-failed-root.ppm)"
    }
}

# poll WHAT COMMAND...: waits up to 30 s for COMMAND to succeed.
poll() {
    local what=$1 i
    shift
    for ((i = 0; i < 300; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what did not happen within 30 s"
}

# open_window PROGRAM CAPTION: starts PROGRAM's window run and waits for the
# window; sets PID and WIN.
open_window() {
    "$1" >"$T/window.out" 2>&1 &
    PID=$!
    CLEANUPS+=("kill $PID 2>/dev/null")
    WIN=$(timeout 30 xdotool search --sync --name "^$2\$" | head -n 1)
    [[ -n $WIN ]] || fail "no window \"$2\" appeared ($(cat "$T/window.out"))"
    xdotool windowfocus --sync "$WIN" || fail "cannot focus the window \"$2\""
}

# close_window: closes the window as the window manager's close button does
# and waits for its program to end with exit code 0.
close_window() {
    "$SARVO_CLOSE_TOOL" "$WIN" || fail "cannot ask the window to close"
    timeout 30 tail --pid="$PID" -f /dev/null || fail "the program did not end after its window closed"
    local rc=0
    wait "$PID" || rc=$?
    assert_eq "$rc" 0 "exit code of a closed window ($(cat "$T/window.out"))"
}
