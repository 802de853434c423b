#!/usr/bin/env bash
# Builds the Windows programs with MinGW-w64 and runs every test of the
# Windows build under Wine.
#
#   scripts/test-win32.sh [BUILD-DIR [CMAKE-ARGUMENT...]]
#
# BUILD-DIR defaults to build/win32 (the win32 preset's folder); further
# arguments go to the configure step (for example -DSARVO_WERROR=ON).
#
# The tests run in a Wine prefix of this run's own, BUILD-DIR/wineprefix,
# made anew each time, under the Japanese locale so that the programs' ANSI
# code page is 932 (Shift-JIS), as on the Japanese systems the suite is
# written for. One wineserver is kept running for the whole run: without it
# every Wine program start costs half a second or more.
#
# The tests of windows run on a private Xvfb, with the IPA Gothic fonts for
# the Japanese texts.
#
# Debian packages: cmake ninja-build g++-mingw-w64-x86-64-posix
# binutils-mingw-w64-x86-64 wine wine64 fonts-wine locales imagemagick
# googletest xvfb x11-utils fonts-ipafont-gothic.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/win32}
shift || true
mkdir -p "$build"
build=$(cd "$build" && pwd)

missing=()
for tool in cmake ninja x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine wineserver wineboot \
            convert compare import iconv Xvfb xdpyinfo; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[[ -d /usr/src/googletest ]] || missing+=("/usr/src/googletest")
if ((${#missing[@]} > 0)); then
    echo "test-win32: missing ${missing[*]}; see the package list at the top of $0" >&2
    exit 1
fi

# The Japanese locale: without it Wine silently uses code page 1252.
if ! locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "test-win32: the locale ja_JP.UTF-8 is missing; as root, enable it in /etc/locale.gen and run locale-gen" >&2
        exit 1
    fi
    echo "test-win32: generating the locale ja_JP.UTF-8"
    if grep -qE '^#\s*ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        sed -i -E 's/^#\s*(ja_JP\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    elif ! grep -qE '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    fi
    locale-gen >/dev/null
fi

echo "test-win32: configuring and building in $build"
cmake --preset win32 -B "$build" "$@"
cmake --build "$build" -j2

# The same settings as the test commands get from the toolchain file.
export WINEPREFIX="$build/wineprefix" HOME="$build/winehome" WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=' LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
unset DISPLAY WAYLAND_DISPLAY  # headless: a message box must never wait for a person

server_started=0
stop_server() {
    if ((server_started)); then wineserver -k >/dev/null 2>&1 || true; fi
}
trap stop_server EXIT

echo "test-win32: making the Wine prefix $WINEPREFIX"
# Any server still serving an old prefix at this path goes first.
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
mkdir -p "$HOME"
wineboot -i >/dev/null 2>&1
wineserver -w
# One persistent server for the run, with none of this script's streams:
# a server holding CTest's output pipe would delay every test by seconds.
wineserver -p </dev/null >/dev/null 2>&1
server_started=1
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

echo "test-win32: running the tests"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300 || { "$root/scripts/show-failures.sh" "$build"; exit 1; }
