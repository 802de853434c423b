#!/bin/bash
# xvfb.sh start STATE [SCREEN (320x240x24)] | stop STATE: the tests' X server on
# a free display; STATE sets SARVO_TEST_DISPLAY and SARVO_XVFB_PID. -noreset
# keeps the root's picture and properties when the last client leaves.
set -u
state=${2:?state file}
case ${1:?start or stop} in
start)
    setsid Xvfb -displayfd 3 -screen 0 "${3:-320x240x24}" -nolisten tcp -noreset 3>"$state.display" </dev/null \
        >"$state.log" 2>&1 &
    for _ in $(seq 100); do
        read -r n <"$state.display" && [[ -n $n ]] &&
            printf 'SARVO_TEST_DISPLAY=:%d\nSARVO_XVFB_PID=%d\n' "$n" "$!" >"$state" && exit 0
        kill -0 $! 2>/dev/null || break
        sleep 0.1
    done
    echo "cannot start Xvfb: $(cat "$state.log")" >&2
    exit 1
    ;;
stop)
    [[ -f $state ]] || exit 0
    # shellcheck source=/dev/null
    . "$state"
    if [[ $(cat "/proc/$SARVO_XVFB_PID/comm" 2>/dev/null) == Xvfb ]]; then
        kill "$SARVO_XVFB_PID"
        for _ in $(seq 50); do kill -0 "$SARVO_XVFB_PID" 2>/dev/null && sleep 0.1; done
    fi
    rm -f "$state" "$state.display"
    ;;
esac
