#include "autostart_linux.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "core/pure/desktop_entry.h"
#include "core/pure/profile_text.h"
#include "io_linux.h"
#include "platform/files.h"
#include "xdg_linux.h"

namespace sarvo::platform::linux_autostart {

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kSuffix = ".desktop";
// An autostart entry is a few lines; anything far larger is not ours.
constexpr std::size_t kEntryLimit = 64 * 1024;

std::string Folder() { return linux_xdg::ConfigHome() + "/autostart"; }

// A value name that can be a file name of its own in the folder.
bool ValidName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// The files of the folder whose name is `name` + ".desktop", the exact
// spelling first, then those that differ only in letter case.
std::vector<std::string> EntryFiles(const std::string& name) {
    const std::string exact = name + std::string(kSuffix);
    std::vector<std::string> files;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(Folder().c_str()), closedir);
    if (!dir) return files;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string file = entry->d_name;
        if (file == exact)
            files.insert(files.begin(), file);
        else if (EqualsIgnoringCase(file, exact))
            files.push_back(file);
    }
    return files;
}

}  // namespace

bool IsRunKey(const std::string& keyPath) { return EqualsIgnoringCase(keyPath, kRunKey); }

bool ReadEntry(const std::string& name, std::string& program) {
    program.clear();
    if (!ValidName(name)) return false;
    const std::vector<std::string> files = EntryFiles(name);
    if (files.empty()) return false;
    std::vector<unsigned char> bytes;
    std::string why;
    if (!ReadWholeFile(Folder() + "/" + files.front(), bytes, kEntryLimit, why)) return false;
    const auto found =
        ProgramOfDesktopEntry(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!found) return false;
    program = *found;
    return true;
}

bool WriteEntry(const std::string& name, const std::string& program, std::string& why) {
    const auto text = ValidName(name) ? DesktopEntryFor(name, program) : std::nullopt;
    if (!text) {
        why = "ログオン時に起動できるのは、絶対パスの名前が UTF-8 で書かれ、制御文字を含まないプログラムだけです。\r\n" +
              program;
        return false;
    }
    if (!linux_xdg::MakeFolders(Folder())) {
        why = linux_io::RefusalText(Folder());
        return false;
    }
    // An entry spelt in another letter case is the same value: replace it.
    const std::vector<std::string> files = EntryFiles(name);
    const std::string file = files.empty() ? name + std::string(kSuffix) : files.front();
    return WriteFileReplacing(Folder() + "/" + file, text->data(), text->size(), why);
}

bool RemoveEntry(const std::string& name, std::string& why) {
    if (!ValidName(name)) return true;  // no file can be named so
    bool removed = true;
    for (const std::string& file : EntryFiles(name))
        removed = DeleteFileIfPresent(Folder() + "/" + file, why) && removed;
    return removed;
}

}  // namespace sarvo::platform::linux_autostart
