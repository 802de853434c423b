#!/usr/bin/env bash
# Mutation test of the suite: puts one small fault of our own choosing at a
# time into a scratch copy of the source (src/core, the three programs and
# src/platform/linux), builds it and runs the Linux tests until one fails,
# and counts the faults the suite catches. The working tree is never changed.
#
#   scripts/mutate.sh [NUMBER...]      all faults, or only those numbered
#   scripts/mutate.sh --check          only whether every fault's lines are found
#   scripts/mutate.sh --matrix [N...]  every test that catches each fault
#
# The copy and its build live in build/mutate; the first run builds it whole
# (later runs only what changed). A run of every fault first runs the tests
# on the unchanged copy, which must all pass. Per fault the labels unit,
# integration and reliability run in that order, each stopping at its first
# failure; the desktop label (the real shells) does not run: see
# docs/testing.md. A test that fails is run again alone; one that then passes
# failed by the load of the machine, and its label runs once more. A fault
# that does not build counts as neither caught nor missed.
#
# With --matrix a label runs whole rather than to its first failure, and the
# fault's line names every test that failed: the data for finding tests that
# catch nothing another test does not. The next label runs only when the one
# before caught nothing.
#
# Every stage runs under a reaper of its own (a child subreaper): whatever
# the stage started and left running - an X server whose fixture's cleanup
# was skipped by --stop-on-failure, a session bus, a shell, sway, a
# stand-in - is handed to it when its parent goes, and is stopped (SIGTERM,
# then SIGKILL) once the stage is over. While the tests run, it reaps each
# orphan that ends, as init would, so that a test waiting for the end of a
# program a launcher started sees it end. What had to be stopped is named in
# the fault's line; a process that outlives even that stops the run. Each
# stage also gets a temporary folder of its own (TMPDIR), removed after it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
scratch=$top/build/mutate/tree
build=$top/build/mutate/build
log=$top/build/mutate/log
mkdir -p "$scratch" "$log"

# Each fault: a comment saying what it breaks, the file, the lines as they
# are ("-", one or more in a row) and as the fault makes them ("+"). The
# lines must occur exactly once, together.
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
-        EndsWithLower(name, "jpeg"))
+        EndsWithLower(name, "jpe"))
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
-    return value >= 0 ? value / 2 : -((-value + 1) / 2);
+    return value / 2;
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
src/platform/linux/io_linux.cpp
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
src/platform/linux/io_linux.cpp
-    RemoveLeftovers(folder);
+    (void)folder;
# a live writer's temporary file is removed
src/platform/linux/io_linux.cpp
-        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
+        if (fstat(fd, &held) == 0 &&
# the settings file and the store are changed without a lock
src/platform/linux/key_file_linux.cpp
-    if (lock.Acquire(linux_io::FolderOf(path), kLockWait, why) == linux_io::FolderLock::Outcome::Busy) return false;
+    (void)kLockWait;
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
# the picture handed just before the new one is removed while the desktop may still fade from it
src/platform/linux/desktop/presenter.cpp
-        if (handOver(path) != previous) unlink(path.c_str());
+        unlink(path.c_str());
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
# a second lock on a folder the process holds waits for itself
src/platform/linux/io_linux.cpp
-            if (h.device != st.st_dev || h.inode != st.st_ino) continue;
+            continue;
# a folder lock another run holds is given up at once, without waiting
src/platform/linux/io_linux.cpp
-        if (std::chrono::steady_clock::now() >= deadline) {
+        if (true) {
# the changer replaces, shows and records the bitmap without holding the change
src/platform/linux/wallpaper_linux.cpp
-bool WallpaperChange::Begin(std::string& why) { return LockTheDesktop(hold_->lock, why); }
+bool WallpaperChange::Begin(std::string&) { return true; }
# every hidden file counts as a leftover temporary file
src/platform/linux/io_linux.cpp
-        if (std::strncmp(e->d_name, kTemporaryMark.data(), kTemporaryMark.size()) != 0) continue;
+        if (e->d_name[0] != '.') continue;
# a new temporary file is named before it is locked
src/platform/linux/io_linux.cpp
-    flock(fd, LOCK_EX | LOCK_NB);  // no one else can have a file without a name open
+    (void)fd;
# the X server's probe only connects, and Xlib then waits on a silent server
src/platform/linux/x11_linux.cpp
-    if (result == Result::Done) result = ReceiveAll(socket, &answer, 1, deadline, failure);
+    (void)answer;
# a socket whose queue is full is asked again without end
src/platform/linux/socket_linux.cpp
-            if (Left(deadline) == 0) return Result::TimedOut;
+            (void)0;
# the session bus is given its bound in seconds, not milliseconds
src/platform/linux/desktop/gio_library.cpp
-        if (!changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return done; }))
+        if (!changed.wait_for(lock, std::chrono::seconds(milliseconds), [&] { return done; }))
# each desktop step gets the whole budget, not what the steps before left
src/platform/linux/deadline_linux.cpp
-    gLeft -= std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - gArmedAt);
+    (void)gArmedAt;
# a helper that does not end is waited for without end
src/platform/linux/spawn_linux.cpp
-        if (left.count() <= 0) break;
+        (void)left;
# a helper reaped under an ignored SIGCHLD is waited for until its time runs out
src/platform/linux/spawn_linux.cpp
-        if (waited < 0 && errno == ECHILD) {
+        if (false) {
# a status lost to a reaper counts as a failed menu refresh
src/platform/linux/menu_linux.cpp
-    if (result.exitStatus <= 0) return true;
+    if (result.exitStatus == 0) return true;
# SIGTERM at the session's end kills the window without its unload handler
src/platform/linux/qt/window.cpp
-    static constexpr int kSignals[] = {SIGTERM, SIGHUP};
+    static constexpr int kSignals[] = {SIGINT, SIGHUP};
# the session's end closes the window without its unload handler
src/platform/linux/qt/window.cpp
-    void EndSession() {
-        Unload();
+    void EndSession() {
+        closed_ = true;
# the unload handler runs again when a second end of the session (a save request, then SIGTERM) comes
src/platform/linux/qt/window.cpp
-        if (closed_) return;
+        if (failure_) return;
# the session manager's request to save is not heard, so only SIGTERM saves the settings
src/platform/linux/qt/window.cpp
-                         [this](QSessionManager&) { onEnd_(); });
+                         [](QSessionManager&) {});
# a key held at start is read from the wrong bit of its byte
src/platform/linux/keys_linux.cpp
-    return (static_cast<unsigned char>(keys[code >> 3]) >> (code & 7)) & 1;
+    return (static_cast<unsigned char>(keys[code >> 3]) >> (code % 7)) & 1;
# the control with tab index 0 takes no focus, so the window opens with the focus elsewhere
src/core/pure/form.h
-    return control.tabIndex >= 0 && control.kind != ControlKind::Label && control.kind != ControlKind::Image;
+    return control.tabIndex > 0 && control.kind != ControlKind::Label && control.kind != ControlKind::Image;
# a failure nobody handles ends the program with status 0
src/core/modules/GenericError.cpp
-        return 1;
+        return 0;
# the box for a refused file leaves out the path the system refused
src/core/modules/GenericError.cpp
-    if (!path.empty()) text += "\r\n" + path;
+    (void)path;
# a thread the system will not start ends the walk
src/core/modules/Search.cpp
-        } catch (const std::system_error&) {
+        } catch (const std::bad_alloc&) {
# a failure on a listing thread is dropped and the walk returns what it has
src/core/modules/Search.cpp
-        if (failure_) std::rethrow_exception(failure_);
+        (void)failure_;
# a monitor may get again the picture it showed last
src/core/pure/monitor_draw.cpp
-                if (avoidLast && !lastName.empty() && LastComponent(files[i], separator) == lastName) continue;
+                if (avoidLast && !lastName.empty() && files[i] == lastName) continue;
# two monitors may get the same picture
src/core/pure/monitor_draw.cpp
-        taken[chosen] = true;
+        (void)taken;
# a monitor is found in the record by its place only
src/core/pure/monitor_record.cpp
-        if (!name.empty() && !m.name.empty() ? m.name == name : m.rect == rect) return m.picture;
+        if (m.rect == rect) return m.picture;
# a top-down picture lands upside down on its monitor
src/core/pure/spanned.cpp
-        const int y = topDown_ ? static_cast<int>(index) : height_ - 1 - static_cast<int>(index);
+        const int y = height_ - 1 - static_cast<int>(index);
# a JPEG turned by its Exif orientation is drawn for a monitor of its stored shape
src/core/pure/picture_header.cpp
-            return orientation >= 5 ? SizeOf(height, width) : SizeOf(width, height);
+            return SizeOf(width, height);
# with one monitor left the run still spans one picture per monitor
src/changer/Monitors.cpp
-    if (gMonitorList.size() < 2) gMonitorList.clear();
+    if (gMonitorList.size() < 1) gMonitorList.clear();
# the further formats are read without MoreFormats=1
src/core/pure/picture_format.cpp
-    return formats == PictureFormats::More ? MoreFormat(head, size) : PictureFormat::Unknown;
+    return MoreFormat(head, size);
# a PNG's eXIf chunk is read as a JPEG's Exif block
src/core/pure/exif.cpp
-        if (std::memcmp(type, "eXIf", 4) == 0) return TiffExifOrientation(data + at + 8, length);
+        if (std::memcmp(type, "eXIf", 4) == 0) return ExifBlockOrientation(data + at + 8, length);
# a transparent pixel keeps its colour instead of showing black
src/core/pure/row_sink.cpp
-        for (int c = 0; c < 3; ++c) bgr[c] = static_cast<unsigned char>((bgra[c] * alpha + 127) / 255);
+        for (int c = 0; c < 3; ++c) bgr[c] = bgra[c];
# a PNG with a transparent colour (tRNS) counts as opaque
src/platform/linux/png_linux.cpp
-    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
+    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0;
# an AVIF's rotation is not applied
src/platform/linux/avif_linux.cpp
-    if (image->transformFlags & AVIF_TRANSFORM_IROT) quarterTurns = image->irot.angle;
+    (void)quarterTurns;
# the menu's delete-skip action switches the wallpaper off
src/core/pure/menu_entries.cpp
-                               {"delete-skip", "デリートスキップ", settingTool, "/delskip"},
+                               {"delete-skip", "デリートスキップ", settingTool, "/nowall"},
# the suite's menu entries are written without their mark
src/core/pure/desktop_entry.cpp
-    text += std::string(kSuiteMark) + "=true\n";
+    text += "\n";
# a menu entry of someone else's under the suite's name is replaced
src/platform/linux/menu_linux.cpp
-            if (!ours(AsText(bytes))) {
+            if (false) {
# a name with other letters than hexadecimal digits counts as a handed copy
src/platform/linux/desktop/presenter.cpp
-    if (rest.size() >= 20 && digits(rest.substr(0, 16), "0123456789abcdef")) {
+    if (rest.size() >= 20 && digits(rest.substr(0, 16), "0123456789abcdefghijklmnopqrstuvwxyz")) {
# GNOME's earlier values are not kept, so a refused placement leaves the new picture named
src/platform/linux/desktop/backend_gsettings.cpp
-        earlier.emplace_back(key, was);
+        (void)was;
# Xfce's monitors that RandR names but the channel does not yet hold get no picture
src/platform/linux/desktop/backend_xfce.cpp
-        if (std::find(prefixes.begin(), prefixes.end(), prefix) == prefixes.end()) prefixes.push_back(prefix);
+        (void)prefix;
# sway is handed a path with only its quotes escaped
src/platform/linux/desktop/backend_sway.cpp
-        if (!plain) quoted += '\\';
+        if (c == '"') quoted += '\\';
# the uninstaller's closing box misses its line before what is left
src/uninstaller/Form1.cpp
-        text += "\r\nただし、次のものは削除できませんでした。";
+        text += "\r\n次のものは削除できませんでした。";
# a move whose target folder refused it names the picture
src/platform/linux/files_linux.cpp
-    if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != ENOTSUP) {
-        error = Refusal(to, errno);
+    if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != ENOTSUP) {
+        error = Refusal(from, errno);
# the changer writes no record of each monitor's picture
src/changer/Form1.cpp
-    if (!gMonitorList.empty()) RecordMonitorPictures();
+    (void)gMonitorList;
# the uninstaller leaves the record of each monitor's picture
src/uninstaller/Form1.cpp
-        copies.push_back(folder.path + kSep + kMonitorRecordName);
+        (void)kMonitorRecordName;
# /nowall leaves the copies handed to the desktop
src/settings_tool/Form1.cpp
-    if (WallpaperPath.empty()) RemoveBitmapCopies();
+    (void)WallpaperPath;
# Tab in the help text stays there instead of moving on to the next control
src/platform/linux/qt/window.cpp
-    text->setTabChangesFocus(true);
+    text->setTabChangesFocus(false);
# Escape in a question answers Yes
src/platform/linux/qt/message_box.cpp
-        box.setEscapeButton(QMessageBox::No);
+        box.setEscapeButton(QMessageBox::Yes);
EOF
}

# Reads the table into the arrays what, file, before and after.
what=() file=() before=() after=()
while IFS= read -r line; do
    n=$((${#what[@]} - 1))
    case $line in
    "# "*) what+=("${line#\# }") file+=("") before+=("") after+=("") ;;
    -*) before[n]+="${before[n]:+$'\n'}${line#-}" ;;
    +*) after[n]+="${after[n]:+$'\n'}${line#+}" ;;
    *) file[n]=$line ;;
    esac
done < <(faults)

# Puts fault I (from 0) into the file under ROOT; with --check only looks.
plant() {  # ROOT I [--check]
    python3 - "$1/${file[$2]}" "${before[$2]}" "${after[$2]}" "${3:-}" <<'PY'
import sys
path, old, new, check = sys.argv[1:]
try:
    text = open(path, encoding="utf-8").read()
except OSError as e:
    sys.exit(f"mutate: {e}")
count = text.count(old + "\n")
if count != 1:
    sys.exit(f"mutate: {path}: the lines to change occur {count} times: {old.strip()}")
if not check:
    open(path, "w", encoding="utf-8").write(text.replace(old + "\n", new + "\n"))
PY
}

if [[ ${1:-} == --check ]]; then
    bad=0
    for ((i = 0; i < ${#what[@]}; i++)); do plant "$top" "$i" --check || bad=1; done
    echo "mutate: ${#what[@]} faults, $(printf '%s\n' "${file[@]}" | grep -c '^src/core/\|^src/platform/linux/') of them in src/core and src/platform/linux"
    exit $bad
fi

matrix= stop=(--stop-on-failure)
if [[ ${1:-} == --matrix ]]; then matrix=1 stop=(); shift; fi
chosen=("$@")
if ((${#chosen[@]} == 0)); then
    for ((i = 1; i <= ${#what[@]}; i++)); do chosen+=("$i"); done
fi

# The reaper: runs the command with its output in LOG as a child subreaper,
# then stops every process still below it. Prints "stopped: NAME..." when it
# had to stop any, and exits 125 when one could not be stopped.
reaper=$(cat <<'PY'
import ctypes, os, signal, subprocess, sys, time

if ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0) != 0:  # PR_SET_CHILD_SUBREAPER
    sys.exit("mutate: cannot become a subreaper")
with open(sys.argv[1], "wb") as out:
    command = subprocess.Popen(sys.argv[2:], stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
# Reaps, as init does, every orphan handed over while the command runs: a
# test that waits for a program a launcher started (kill -0, tail --pid)
# would otherwise see its zombie alive until the stage ends.
while True:
    pid, status = os.waitpid(-1, 0)
    if pid == command.pid:
        code = os.waitstatus_to_exitcode(status)
        code = code if code >= 0 else 128 - code
        break

me = os.getpid()

def below():
    """The live processes under this one, with their names."""
    parent, name = {}, {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        if fields[0] != "Z":
            parent[int(entry)] = int(fields[1])
            name[int(entry)] = stat[stat.index("(") + 1:stat.rindex(")")]
    found = {}
    for pid in parent:
        p, hops = parent[pid], 0
        while p in parent and p != me and hops < 4096:
            p, hops = parent[p], hops + 1
        if p == me:
            found[pid] = name[pid]
    return found

def reap():
    while True:
        try:
            if os.waitpid(-1, os.WNOHANG)[0] == 0:
                return
        except ChildProcessError:
            return

stopped, signalled, start = {}, set(), time.monotonic()
while (left := below()) and time.monotonic() - start < 15:
    stopped.update(left)
    # SIGTERM once each, so that a script's cleanup runs; SIGKILL after 5 s.
    late = time.monotonic() - start > 5
    for pid in left:
        if late or pid not in signalled:
            try:
                os.kill(pid, signal.SIGKILL if late else signal.SIGTERM)
            except ProcessLookupError:
                pass
            signalled.add(pid)
    time.sleep(0.1)
    reap()
reap()
if stopped:
    print("stopped: " + " ".join(sorted(set(stopped.values()))))
if below():
    print("mutate: processes outlived SIGKILL: " + " ".join(sorted(below().values())), file=sys.stderr)
    sys.exit(125)
sys.exit(code)
PY
)

# Runs the tests ctest selects with ARGS on the build; their log in OUT.
# Adds to STOPPED what the reaper had to stop.
run_stage() {  # OUT ARGS...
    local tmp code=0 stopped
    tmp=$(mktemp -d /tmp/sarvo-mutate.XXXXXX) && chmod 1777 "$tmp"
    stopped=$(TMPDIR=$tmp python3 -c "$reaper" "$1" \
        ctest --test-dir "$build" "${@:2}" -j2 "${stop[@]}" --timeout 300) || code=$?
    rm -rf "$tmp"
    ((code != 125)) || { echo "mutate: a process of the tests ($*) could not be stopped" >&2; exit 1; }
    [[ -z $stopped ]] || STOPPED+=" ${stopped#stopped: }"
    return $code
}

# Runs the tests of LABEL, their logs named after NAME. A test that fails is
# run once more alone: if it then passes, it failed by the load of this
# shared machine rather than by the fault, and the whole label runs again,
# whose result counts. Sets FAILED to the test that failed, STOPPED to what
# the reaper had to stop and FLAKY to the tests that failed only once.
test_label() {  # LABEL NAME
    local round code
    FAILED= STOPPED= FLAKY=
    for round in 1 2; do
        code=0
        run_stage "$log/$2.$1.$round.log" -L "^$1\$" || code=$?
        ((code != 0)) || return 0
        FAILED=$(sed -n 's/^.*Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p' "$log/$2.$1.$round.log")
        if [[ -n $matrix ]]; then
            FAILED=$(tr '\n' ' ' <<<"$FAILED")
            return $code
        fi
        FAILED=${FAILED%%$'\n'*}
        [[ -n $FAILED && $round == 1 ]] || return $code
        run_stage "$log/$2.$1.alone.log" -R "^${FAILED//./\\.}\$" || return $code
        FLAKY+=" $FAILED"
    done
}

# The scratch copy: the files of the working tree as they are now. Only
# files whose content differs are copied, so the build stays incremental.
(cd "$top" && git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [[ -f $f ]] || continue
    cmp -s "$f" "$scratch/$f" 2>/dev/null || { mkdir -p "$scratch/$(dirname "$f")" && cp "$f" "$scratch/$f"; }
done)
cmake -S "$scratch" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSARVO_BUILD_TESTS=ON >"$log/configure.log"
echo "mutate: building the unchanged copy"
cmake --build "$build" -j2 >"$log/build.log" 2>&1 || { tail -n 30 "$log/build.log"; exit 1; }
for ((i = 0; i < ${#what[@]}; i++)); do plant "$scratch" "$i" --check || exit 1; done

# The unchanged copy must pass every stage, or a fault would count as caught
# by a test that fails anyway.
if (($# == 0)); then
    echo "mutate: testing the unchanged copy"
    for label in unit integration reliability; do
        test_label "$label" unchanged ||
            { echo "mutate: the unchanged copy fails ${FAILED:-its $label tests}; see $log/unchanged.$label.*" >&2; exit 1; }
        [[ -z $STOPPED ]] || echo "mutate: the unchanged copy's $label tests left processes:$STOPPED"
        [[ -z $FLAKY ]] || echo "mutate: the unchanged copy's $label tests failed once, then passed:$FLAKY"
    done
fi

# Puts the copy's file back whatever happens, with a new time, so that the
# next build makes it again.
restore() { [[ -n ${original:-} ]] && cp "$original" "$target" && original=; }
trap restore EXIT
original=

caught=0 missed=0 unbuilt=0 missed_list=() started=$SECONDS
for n in "${chosen[@]}"; do
    i=$((n - 1))
    target=$scratch/${file[i]}
    cp "$target" "$log/original"
    original=$log/original
    plant "$scratch" "$i" || exit 1
    verdict= leftovers= flaky= since=$SECONDS
    if ! cmake --build "$build" -j2 >"$log/$n.build.log" 2>&1; then
        verdict="does not build"
        unbuilt=$((unbuilt + 1))
    else
        for label in unit integration reliability; do
            test_label "$label" "$n" && stage=0 || stage=$?
            [[ -z $STOPPED ]] || leftovers+=" [$label:$STOPPED]"
            [[ -z $FLAKY ]] || flaky+=" [$label:$FLAKY]"
            if ((stage != 0)); then
                verdict="caught by ${FAILED:-status $stage of the $label tests}"
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
    printf 'mutate: %2d %-70s %s (%d s)%s%s\n' "$n" "${what[i]}" "$verdict" $((SECONDS - since)) "${leftovers:+; stopped$leftovers}" "${flaky:+; failed once, then passed$flaky}"
done
echo "mutate: the suite caught $caught of $((caught + missed)) faults; $unbuilt did not build; $((SECONDS - started)) s"
((missed == 0)) || echo "mutate: missed: ${missed_list[*]}"
