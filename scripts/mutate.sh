#!/usr/bin/env bash
# Mutation test of the suite: puts one small fault of our own choosing at a
# time into a scratch copy of the source (src/core and src/platform/linux),
# builds it and runs the Linux tests until one fails, and counts the faults
# the suite catches. The working tree is never changed.
#
#   scripts/mutate.sh [NUMBER...]      all faults, or only those numbered
#
# The copy and its build live in build/mutate; the first run builds it whole
# (later runs only what changed). Per fault the unit tests run first, then
# the rest, each stopping at the first failure. A fault that does not build
# counts as neither caught nor missed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
scratch=$top/build/mutate/tree
build=$top/build/mutate/build
log=$top/build/mutate/log
mkdir -p "$scratch" "$log"

# Each fault: a comment saying what it breaks, the file, the line as it is
# ("-") and as the fault makes it ("+"). The line must occur exactly once.
faults() {
    cat <<'EOF'
# the Exif reader reads past a block shorter than one entry
src/core/pure/exif.cpp
-        if (entry > size || size - entry < 12) break;
+        if (entry > size || size - entry < 2) break;
# orientation 6 is turned the wrong way
src/core/pure/exif.cpp
-    case 6: return {y, h - 1 - x};
+    case 6: return {w - 1 - y, x};
# an orientation value past 8 is taken
src/core/pure/exif.cpp
-        return value >= 1 && value <= 8 ? static_cast<int>(value) : kUpright;
+        return value >= 1 && value <= 9 ? static_cast<int>(value) : kUpright;
# "jpeg" is no longer a picture extension
src/core/pure/rules.cpp
-           EndsWithLower(name, "jpeg");
+           EndsWithLower(name, "jpe");
# extensions are compared with their letter case
src/core/pure/rules.cpp
-        if (lower != lowerTail[i]) return false;
+        if (c != lowerTail[i]) return false;
# a four-character argument is looked at
src/core/pure/rules.cpp
-    if (length < 5) return std::nullopt;
+    if (length < 4) return std::nullopt;
# settings names are compared with their letter case
src/core/pure/profile_text.cpp
-        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
+        if (a[i] != b[i]) return false;
# a comment line is taken for a key
src/core/pure/profile_text.cpp
-    if (s.empty() || s.front() == ';' || s.front() == '[') return std::nullopt;
+    if (s.empty() || s.front() == '[') return std::nullopt;
# CR LF line ends keep their CR in the value
src/core/pure/profile_text.cpp
-        if (contentEnd > start && text[contentEnd - 1] == '\r') {
+        if (false) {
# BMP rows lose their padding to four bytes
src/core/pure/bmp_reader.cpp
-    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(l.width) * l.bits + 31) / 32 * 4;
+    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(l.width) * l.bits + 7) / 8;
# BMP rows come in the wrong order
src/core/pure/bmp_reader.cpp
-        l.topDown = height < 0;
+        l.topDown = height > 0;
# a BMP pixel offset at the end of the file is taken
src/core/pure/bmp_reader.cpp
-    if (l.pixelOffset >= size)
+    if (l.pixelOffset > size)
# an RLE delta jumps to a column instead of moving right
src/core/pure/bmp_reader.cpp
-            x += delta[0];
+            x = delta[0];
# bit-field channels are scaled without rounding
src/core/pure/bmp_reader.cpp
-        return static_cast<unsigned char>((value * 255 + max_ / 2) / max_);
+        return static_cast<unsigned char>((value * 255) / max_);
# a picture larger than the screen is centred one pixel off
src/core/pure/compose.cpp
-int FloorHalf(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }
+int FloorHalf(int value) { return value / 2; }
# tiles start at the screen's corner instead of each monitor's
src/core/pure/compose.cpp
-            int sx = (from - m.x) % pw;
+            int sx = from % pw;
# any TileWallpaper but 0 tiles
src/core/pure/placement.cpp
-    if (WholeNumber(tileWallpaper) == 1) return Placement::Tile;
+    if (WholeNumber(tileWallpaper) != 0) return Placement::Tile;
# a bitmap stored top-down shows a negative height
src/core/pure/setting_texts.cpp
-    return RightAligned(width, 4) + " x " + RightAligned(std::llabs(static_cast<long long>(height)), 4) + kPixels;
+    return RightAligned(width, 4) + " x " + RightAligned(height, 4) + kPixels;
# "$" reaches an autostart entry unquoted
src/core/pure/desktop_entry.cpp
-    return std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos;
+    return std::string_view(" \t\n\"'\\><~|&;*?#()`").find(c) != std::string_view::npos;
# the bitmap's rows lose their padding
src/core/pure/bitmap.cpp
-    const std::size_t stride = (w * 3 + 3) & ~std::size_t{3};
+    const std::size_t stride = w * 3;
# a key opened for reading may be written
src/core/modules/RegistKey.cpp
-    return OpenFor(Access::Write) && platform::RegistryWriteString(TheKey().path, name, value);
+    return OpenFor(Access::Read) || platform::RegistryWriteString(TheKey().path, name, value);
# the walk enters a folder again through a link
src/core/modules/Search.cpp
-        if (folder.listing == kUnreadable || entered[static_cast<std::size_t>(folder.listing)]) continue;
+        if (folder.listing == kUnreadable) continue;
# names with line breaks reach the catalogue
src/core/modules/Search.cpp
-        if (c == '\r' || c == '\n') return true;
+        if (c == '\n') return true;
# a read-only file is replaced
src/platform/linux/replace_linux.cpp
-    if (exists && ((old.st_mode & 0222) == 0 || access(s.target.c_str(), W_OK) != 0)) {
+    if (false) {
# a symbolic link is replaced by a file
src/platform/linux/replace_linux.cpp
-    s.target = FinalTarget(path);
+    s.target = path;
# new files ignore the umask
src/platform/linux/replace_linux.cpp
-    return 0666 & ~mask;
+    return 0644;
# a replaced file loses its mode
src/platform/linux/replace_linux.cpp
-    const mode_t mode = exists ? (old.st_mode & 07777) : CreationMode();
+    const mode_t mode = CreationMode();
# no writing in place when the folder is closed
src/platform/linux/replace_linux.cpp
-        if (exists && (error == EACCES || error == EPERM)) {
+        if (false) {
# temporary files of killed writers stay
src/platform/linux/replace_linux.cpp
-    RemoveLeftovers(s.target);
+    (void)s.target;
# a live writer's temporary file is removed
src/platform/linux/replace_linux.cpp
-            flock(fd, LOCK_EX | LOCK_NB) == 0)
+            true)
# the settings file and the store are changed without a lock
src/platform/linux/key_file_linux.cpp
-    const int lock = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
+    const int lock = -1;
# a settings file that cannot be read is replaced
src/platform/linux/key_file_linux.cpp
-    return stat(path.c_str(), &st) != 0;
+    return true;
# a carriage return may stand in a value
src/platform/linux/key_file_linux.cpp
-bool FitsOnOneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }
+bool FitsOnOneLine(const std::string& text) { return text.find_first_of("\n") == std::string::npos; }
# a hidden file counts as an ordinary one
src/platform/linux/files_linux.cpp
-    if (nameStart >= path.size() || path[nameStart] == '.') return false;
+    if (nameStart >= path.size()) return false;
# a pipe is read as a file
src/platform/linux/files_linux.cpp
-    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
+    if (fstat(fd, &st) != 0) {
# a file of exactly the limit is refused
src/platform/linux/files_linux.cpp
-    if (static_cast<unsigned long long>(st.st_size) > limit) {
+    if (static_cast<unsigned long long>(st.st_size) >= limit) {
# pipes and sockets are listed
src/platform/linux/folders_linux.cpp
-        if (isFolder || isFile) listing.entries.push_back({e->d_name, isFolder});
+        listing.entries.push_back({e->d_name, isFolder});
# a path through a file counts as a folder the test cannot tell
src/platform/linux/folders_linux.cpp
-    const bool missing = errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG;
+    const bool missing = errno == ENOENT;
# only the desktop's key exists in the store, not those made
src/platform/linux/registry_linux.cpp
-    return EqualsIgnoringCase(keyPath, kDesktopKey) || text.HasSection(keyPath);
+    return text.HasSection(keyPath);
# a settings key holding "=" is written
src/platform/linux/profile_linux.cpp
-    if (!keyfile::FitsOnOneLine(value) || !keyfile::FitsOnOneLine(key) || key.find('=') != std::string::npos)
+    if (!keyfile::FitsOnOneLine(value) || !keyfile::FitsOnOneLine(key))
# a relative picture argument is handed over as it is
src/platform/linux/program_linux.cpp
-        text += NamesExistingFile(argument) ? "\"" + Absolute(argument) + "\"" : argument;
+        text += NamesExistingFile(argument) ? "\"" + argument + "\"" : argument;
# a relative XDG folder is taken
src/platform/linux/xdg_linux.cpp
-    if (value != nullptr && value[0] == '/') return value;
+    if (value != nullptr && value[0] != '\0') return value;
# the suite's folders are made open to all
src/platform/linux/xdg_linux.cpp
-    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
+    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
# an autostart entry spelt in another letter case is not found
src/platform/linux/autostart_linux.cpp
-        else if (EqualsIgnoringCase(file, exact))
+        else if (false)
# the JPEG decoder's own memory is not bounded
src/platform/linux/jpeg_linux.cpp
-    if (bitmapBytes != 0) cinfo.mem->max_memory_to_use = static_cast<long>(Bitmap::kMaxBytes - bitmapBytes);
+    (void)bitmapBytes;
# a GIF's transparent pixels show white
src/platform/linux/gif_linux.cpp
-        background = gif->SColorMap->Colors[gif->SBackGroundColor];
+        background = GifColorType{255, 255, 255};
# a GIF's transparent pixels are drawn
src/platform/linux/gif_linux.cpp
-            if (index == transparent) continue;
+            if (false) continue;
# desktops get the same name for every picture
src/platform/linux/desktop/presenter.cpp
-    return stem + (aInUse ? "-b" : "-a") + extension;
+    return stem + "-a" + extension;
# a Wayland session without X counts as no session
src/platform/linux/desktop/backends.cpp
-    if (Value(environment, "DISPLAY").empty() && Value(environment, "WAYLAND_DISPLAY").empty()) {
+    if (Value(environment, "DISPLAY").empty()) {
# ESETROOT_PMAP_ID is not set
src/platform/linux/desktop/backend_x11.cpp
-    XChangeProperty(d, root, setrootProperty, XA_PIXMAP, 32, PropModeReplace,
+    if (false) XChangeProperty(d, root, setrootProperty, XA_PIXMAP, 32, PropModeReplace,
# N is probed as D
src/platform/linux/keys_linux.cpp
-        case Key::N: return XK_n;
+        case Key::N: return XK_d;
# messages on standard error keep their carriage returns
src/platform/linux/ui_linux.cpp
-        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
+        if (false) continue;
# a message box takes markup in a name for formatting
src/platform/linux/qt/message_box.cpp
-    box.setTextFormat(Qt::PlainText);
+    (void)0;
EOF
}

# Reads the table into the arrays what, file, before and after.
what=() file=() before=() after=()
while IFS= read -r line; do
    case $line in
    "# "*) what+=("${line#\# }") ;;
    -*) before+=("${line#-}") ;;
    +*) after+=("${line#+}") ;;
    *) file+=("$line") ;;
    esac
done < <(faults)

chosen=("$@")
if ((${#chosen[@]} == 0)); then
    for ((i = 1; i <= ${#what[@]}; i++)); do chosen+=("$i"); done
fi

# The scratch copy: the files of the working tree as they are now. Only
# files whose content differs are copied, so the build stays incremental.
(cd "$top" && git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [[ -f $f ]] || continue
    cmp -s "$f" "$scratch/$f" 2>/dev/null || { mkdir -p "$scratch/$(dirname "$f")" && cp "$f" "$scratch/$f"; }
done)
cmake -S "$scratch" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSARVO_BUILD_TESTS=ON >"$log/configure.log"
echo "mutate: building the unchanged copy"
cmake --build "$build" -j2 >"$log/build.log" 2>&1 || { tail -n 30 "$log/build.log"; exit 1; }

# Puts the copy's file back whatever happens, with a new time, so that the
# next build makes it again.
restore() { [[ -n ${original:-} ]] && cp "$original" "$target" && original=; }
trap restore EXIT
original=

caught=0 missed=0 unbuilt=0 missed_list=()
for n in "${chosen[@]}"; do
    i=$((n - 1))
    target=$scratch/${file[i]}
    cp "$target" "$log/original"
    original=$log/original
    python3 - "$target" "${before[i]}" "${after[i]}" <<'PY' || exit 1
import sys
path, old, new = sys.argv[1:]
text = open(path, encoding="utf-8").read()
if text.count(old + "\n") != 1:
    sys.exit(f"mutate: {path}: the line to change occurs {text.count(old + chr(10))} times: {old.strip()}")
open(path, "w", encoding="utf-8").write(text.replace(old + "\n", new + "\n"))
PY
    verdict=
    if ! cmake --build "$build" -j2 >"$log/$n.build.log" 2>&1; then
        verdict="does not build"
        unbuilt=$((unbuilt + 1))
    else
        for stage in "-L unit" "-LE unit"; do
            # shellcheck disable=SC2086  # the stage is two words
            if ! ctest --test-dir "$build" $stage -j2 --stop-on-failure --timeout 300 >"$log/$n.test.log" 2>&1; then
                verdict="caught by $(sed -n 's/^.*Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p' "$log/$n.test.log" | head -n 1)"
                break
            fi
        done
        if [[ -n $verdict ]]; then
            caught=$((caught + 1))
        else
            verdict="MISSED"
            missed=$((missed + 1))
            missed_list+=("$n")
        fi
    fi
    restore
    printf 'mutate: %2d %-62s %s\n' "$n" "${what[i]}" "$verdict"
done
echo "mutate: the suite caught $caught of $((caught + missed)) faults; $unbuilt did not build"
((missed == 0)) || echo "mutate: missed: ${missed_list[*]}"
