#!/usr/bin/env bash
# Installs every Debian package that building, running and testing the suite
# needs. Run as root, or as a user who may use sudo.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  # the Linux programs: Qt 6 windows, pictures, X11
  qt6-base-dev qt6-qpa-plugins libturbojpeg0-dev libjpeg-dev libgif-dev libx11-dev libxrandr-dev
  # tests: GoogleTest, a real X server, key presses, screenshots
  libgtest-dev googletest xvfb xdotool x11-utils imagemagick
  # the Windows build, run under Wine with a Japanese locale
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 locales fonts-ipafont-gothic
  # the benchmark's reference tools
  fd-find feh hyperfine jq libjpeg-turbo-progs time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
