#!/bin/bash
# The real desktop shells, each on an X server of its own (sway: headless) and
# a private session bus. In each, the changer runs three times, each time with
# another picture, centred, tiled and stretched, and the screen must show it;
# then the traps each shell is known for.
. "$(dirname "$0")/lib.sh"
shell=${1:?shell}
[[ $shell != sway ]] || as_unprivileged "$@"
with_session_bus "$@"

bus() { gdbus call --session --dest org.freedesktop.DBus --object-path / --method "org.freedesktop.DBus.$1" "${@:2}" 2>/dev/null; }
changer_on_bus() {  # whether a program on the session bus is the changer
    local id pid
    for id in $(bus ListNames | grep -o ':[0-9.]*'); do
        pid=$(bus GetConnectionUnixProcessID "$id" | sed -n 's/.*uint32 \([0-9]*\).*/\1/p')
        [[ $(readlink "/proc/${pid:-0}/exe") != "$PROG/SarvoChanger" ]] || return 0
    done
    return 1
}
three_runs() {  # SHOOT [PAIR x3 ("TILE STYLE"; centred, tiled, stretched)]
    local n=0 pair tile style pairs=("${@:2}")
    ((${#pairs[@]})) || pairs=("0 0" "1 0" "0 2")
    for pair in "${pairs[@]}"; do
        read -r tile style <<<"$pair"
        run_with "$n" "$tile" "$style"
        assert_shown "$1" "$tile" "$style" "$shell, run $n ($tile/$style)"
        n=$((n + 1))
    done
}

case $shell in
plasma)
    needs plasmashell kwin_x11
    shell_folder KDE
    export KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
    dbus-update-activation-environment KDE_FULL_SESSION KDE_SESSION_VERSION || fail "cannot hand the session to the bus"
    start kwin kwin_x11
    start plasmashell plasmashell
    plasma() { gdbus call --session --dest org.kde.plasmashell --object-path /PlasmaShell --method org.kde.PlasmaShell.evaluateScript "$1"; }
    up "plasmashell's desktop" eval 'plasma "print(desktops().length)" 2>/dev/null | grep -q "[1-9]"'
    three_runs root_shot
    # Widgets locked by the user.
    assert_eq "$(plasma 'lockCorona(true); print(locked)')" "('true',)" "locking Plasma's widgets"
    run_with 4 0 2
    assert_shown root_shot 0 2 "Plasma with its widgets locked"
    ;;
gnome)
    needs gnome-shell
    shell_folder GNOME
    export XDG_SESSION_TYPE=x11
    private_system_bus
    overview() {
        gdbus call --session --timeout 10 --dest org.gnome.Shell --object-path /org/gnome/Shell \
            --method org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive 2>/dev/null
    }
    # It starts in the overview, which hides the desktop: once it is open, closed with Escape.
    closed() { local now; now=$(overview); [[ $now != *true* ]] || { opened=1; xdotool key Escape; }; [[ $opened && $now == *false* ]]; }
    gnome_shell() {
        start gnome-shell "${WITHOUT_SYSTEMD[@]}" gnome-shell --x11 --replace
        opened=
        up "gnome-shell's overview" closed
    }
    gnome_shell
    # On Xvfb, gnome-shell 43 draws its tiles ("wallpaper") as one picture the
    # size of the screen: the tiles are left to the GSettings test.
    three_runs root_shot "0 0" "0 2" "0 2"
    ;;
xfce)
    needs xfdesktop xfwm4
    shell_folder XFCE
    start xfwm4 xfwm4
    up "xfwm4" eval 'xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q "= [1-9]"'
    start xfdesktop xfdesktop
    up "xfdesktop" desktop_window '"Desktop"'
    three_runs root_shot
    # A run at log-on before xfdesktop is up, on a channel naming only a monitor
    # that is gone: xfdesktop fills in its own picture for the monitors without one.
    stop "$STARTED"
    xfconf-query -c xfce4-desktop -p /backdrop -r -R || fail "cannot empty the channel"
    xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorVirtual-1/workspace0/last-image -n -t string \
        -s /usr/share/backgrounds/gone.png || fail "cannot name a monitor that is gone"
    run_with 3 0 2
    start xfdesktop xfdesktop
    assert_shown root_shot 0 2 "xfdesktop started after a run for a monitor that is gone"
    ;;
lxqt)
    needs pcmanfm-qt
    shell_folder LXQt
    start pcmanfm-qt pcmanfm-qt --desktop
    up "pcmanfm-qt's desktop" desktop_window pcmanfm-qt
    three_runs root_shot
    # A run at log-on that starts before the desktop: the picture pcmanfm-qt
    # shows when it starts must never be gone (it spins at full speed without).
    stop "$STARTED"
    run_with 3 0 2 & changer=$!
    poll "the run's wait for pcmanfm-qt" eval 'changer_on_bus || ! kill -0 $changer 2>/dev/null'
    start pcmanfm-qt pcmanfm-qt --desktop
    wait "$changer" || fail "the run before pcmanfm-qt's desktop"
    shown=$(ini_value "$XDG_CONFIG_HOME/pcmanfm-qt/default/settings.conf" Wallpaper)
    [[ -f $shown ]] || fail "pcmanfm-qt looks for $shown, which is gone"
    # shellcheck disable=SC2034  # read by assert_shown (run_with set it in the run's own shell)
    PICTURE=$PICS/picture3.bmp
    assert_shown root_shot 0 2 "pcmanfm-qt started after the run"
    # Removed: in colour mode pcmanfm-qt goes on drawing the last picture unless shown a black one.
    "$SARVO_SERVICE_TOOL" apply "" || fail "cannot remove the wallpaper"
    assert_shown root_shot - - "pcmanfm-qt after removing the wallpaper"
    ;;
sway)
    needs sway swaybg grim
    desktop_program_folder
    export XDG_STATE_HOME=$T/state XDG_CURRENT_DESKTOP=sway:wlroots
    # shellcheck disable=SC2034  # read by assert_shown
    SCREEN_W=320 SCREEN_H=240
    use_headless_sway 320x240
    # A sway whose configuration starts a swaybg of the user's own: sway draws
    # it over the ones started later, sway's for "output * bg" and the changer's.
    "$IM_CONVERT" -size 320x240 xc:'#123456' "$T/own.png" || fail "cannot make the user's own picture"
    for backend in sway wlroots; do
        kill "$SWAY_PID"
        poll "sway's end" test ! -e "$SWAYSOCK"
        use_headless_sway 320x240 "exec swaybg -o '*' -i '$T/own.png' -m center"
        assert_screen_becomes grim "$T/own.png" "the user's own swaybg"
        SARVO_DESKTOP_BACKEND=$backend run_with 3 0 2
        assert_shown grim 0 2 "$backend, over the user's own swaybg"
    done
    read -r ours _ <"$XDG_STATE_HOME/sarvo-backdrop-changer/swaybg-$WAYLAND_DISPLAY.pid" || fail "no swaybg of the changer's"
    kill "$ours"
    ;;
*) fail "unknown shell $shell" ;;
esac
