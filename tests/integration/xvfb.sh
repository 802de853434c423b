#!/bin/bash
# The X server the integration tests share, as a CTest fixture:
#   xvfb.sh start STATE [SCREEN]
#                         starts Xvfb on a free display and writes STATE,
#                         a shell fragment setting SARVO_TEST_DISPLAY and
#                         SARVO_XVFB_PID; SCREEN is the screen's size and
#                         depth (320x240x24 unless given)
#   xvfb.sh stop STATE    ends that Xvfb
# -noreset keeps the root window's background and properties when the last
# client leaves, as a real session does.
set -u
command=${1:?start or stop}
state=${2:?state file}
screen=${3:-320x240x24}

start() {
    local n pid
    for ((n = 57; n < 200; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        setsid Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset </dev/null >"$state.log" 2>&1 &
        pid=$!
        for _ in $(seq 50); do
            if ! kill -0 "$pid" 2>/dev/null; then break; fi   # lost the display to someone else
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                printf 'SARVO_TEST_DISPLAY=:%d\nSARVO_XVFB_PID=%d\n' "$n" "$pid" >"$state"
                return 0
            fi
            sleep 0.2
        done
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    echo "cannot start Xvfb" >&2
    return 1
}

stop() {
    [[ -f $state ]] || return 0
    # shellcheck source=/dev/null
    . "$state"
    if [[ $(cat "/proc/$SARVO_XVFB_PID/comm" 2>/dev/null) == Xvfb ]]; then
        kill "$SARVO_XVFB_PID"
        for _ in $(seq 50); do
            kill -0 "$SARVO_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -f "$state"
}

case $command in
    start) start ;;
    stop) stop ;;
    *) echo "usage: xvfb.sh start|stop STATE" >&2; exit 2 ;;
esac
