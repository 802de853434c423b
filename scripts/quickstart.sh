#!/usr/bin/env bash
# Sets up and builds the suite, lays out a program folder with sample
# pictures, and runs the changer once. With no desktop session running, it
# starts a private X server, applies the wallpaper there and saves a
# screenshot of it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh programs

cmake --preset linux -DSARVO_BUILD_TESTS=OFF
cmake --build --preset linux -j"$(nproc)"
program="$top/build/program"
cmake --install build/linux --prefix "$program"

# A sample picture folder made by the build itself: BMP, GIF and JPEG files in
# sub-folders of the default picture folder.
build/linux/bin/sarvo-make-samples "$program/WallPaper"
echo "Picture folder: $program/WallPaper"

xvfb_pid=
cleanup() { [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  echo "No desktop session: started Xvfb on $DISPLAY"
fi

"$program/SarvoChanger"
echo "SarvoChanger finished."
echo "Chosen picture: $(grep -a '^WallPaper=' "$program/sarvoset.ini" | cut -d= -f2- | tr -d '\r')"

if [ -n "$xvfb_pid" ]; then
  shot="$top/build/wallpaper-screenshot.png"
  import -window root "$shot"
  echo "Screenshot of the wallpaper: $shot"
fi
