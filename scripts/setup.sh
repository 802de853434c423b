#!/usr/bin/env bash
# Installs the Debian packages the suite needs:
#
#   scripts/setup.sh programs   building and running the Linux programs, and
#                               the quick start's private X server
#   scripts/setup.sh all        that, and everything the tests and the
#                               benchmark use (the default)
#
# Run it as root, or as a user who may use sudo. It installs only what is
# missing, so it needs neither when everything is there.
set -euo pipefail

what=${1:-all}

programs=(
  # build
  build-essential cmake ninja-build pkg-config
  # the Linux programs: Qt 6 windows (X11 and Wayland) with Qt's own Japanese
  # texts, the Wayland monitors' modes, pictures, X11
  qt6-base-dev qt6-qpa-plugins qt6-wayland qt6-translations-l10n libwayland-dev
  libturbojpeg0-dev libjpeg-dev libgif-dev libx11-dev libxrandr-dev
  # the desktops' wallpaper settings: GIO (GSettings, D-Bus), PNG copies;
  # the compositors' lists of monitors (JSON)
  libglib2.0-dev libpng-dev nlohmann-json3-dev
  # the formats read with MoreFormats=1: PNG (above), WebP, AVIF, HEIF, JPEG XL
  libwebp-dev libavif-dev libheif-dev libjxl-dev
  fonts-ipafont-gothic xdg-utils
  # the quick start's private X server and its screenshot
  xvfb x11-utils imagemagick
)
tests=(
  # tests: GoogleTest, key presses and clicks, and the desktop's own readers
  # of the autostart file (its validator, GLib's gio launch), GLib from
  # Python for the stand-in desktop services
  libgtest-dev googletest xdotool desktop-file-utils libglib2.0-bin procps python3-gi gir1.2-glib-2.0
  # the Windows build, run under Wine with a Japanese locale
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 fonts-wine locales
  # the desktops the tests run for real: dconf with the GNOME and MATE
  # schemas, xfconfd, headless sway with swaybg and grim, pcmanfm-qt, each on
  # a private session bus
  dbus dconf-service dconf-cli gsettings-desktop-schemas mate-desktop-common
  xfconf libxfconf-0-3 x11-xserver-utils sway swaybg grim pcmanfm-qt
  # the desktop shells themselves, each on Xvfb: Plasma with its window
  # manager, GNOME Shell, Xfce's desktop and window manager
  plasma-workspace plasma-desktop kwin-x11 gnome-shell mutter xfdesktop4 xfwm4
  # the benchmark's reference tools
  fd-find feh xwallpaper hyperfine jq libjpeg-turbo-progs time
  # fuzzing: clang with libFuzzer and the sanitizers
  clang libclang-rt-14-dev
)

case $what in
  programs) packages=("${programs[@]}") ;;
  all) packages=("${programs[@]}" "${tests[@]}") ;;
  *) echo "usage: scripts/setup.sh [programs|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup.sh: these Debian packages are missing: ${missing[*]}" >&2
    echo "setup.sh: installing them needs root, and sudo is not installed here." >&2
    echo "setup.sh: run this script as root (for example: su -c scripts/setup.sh), or install sudo." >&2
    exit 1
  fi
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
