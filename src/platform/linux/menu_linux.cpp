#include "platform/menu.h"

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <string_view>

#include "core/pure/desktop_entry.h"
#include "io_linux.h"
#include "menu_icons.h"
#include "platform/files.h"
#include "spawn_linux.h"
#include "xdg_linux.h"

namespace sarvo::platform {

namespace {

// An entry or an icon of ours is a few kilobytes; anything far larger is not ours.
constexpr std::size_t kFileLimit = 1024 * 1024;
// update-desktop-database reads the folder's entries and ends.
constexpr int kRefreshMs = 5000;

std::string Applications() { return linux_xdg::DataHome() + "/applications"; }

std::string EntryPath(const std::string& id) { return Applications() + "/" + id + ".desktop"; }

// The hicolor theme's folder of application icons of one size.
std::string IconFolder(int size) {
    const std::string n = std::to_string(size);
    return linux_xdg::DataHome() + "/icons/hicolor/" + n + "x" + n + "/apps";
}

std::string IconPath(const linux_menu::IconFile& icon) {
    return IconFolder(icon.size) + "/" + std::string(icon.name) + ".png";
}

std::string_view AsText(const std::vector<unsigned char>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view AsText(const linux_menu::IconFile& icon) {
    return {reinterpret_cast<const char*>(icon.data), icon.length};
}

enum class Found { Nothing, Read, Unreadable };

// What lies at `path`: nothing, a file read into `bytes`, or something that
// cannot be read (`why`), which may be anyone's.
Found ReadIfThere(const std::string& path, std::vector<unsigned char>& bytes, std::string& why) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 && errno == ENOENT) return Found::Nothing;
    return ReadWholeFile(path, bytes, kFileLimit, why) ? Found::Read : Found::Unreadable;
}

// Whether a file's text shows it to be the suite's.
using Ours = std::function<bool(std::string_view text)>;

enum class Put { Same, Written, Failed };

// Gives `path` the content `content` unless it holds it already; a file
// there that `ours` does not accept is left as it is.
Put PutFile(const std::string& path, std::string_view content, const Ours& ours, std::string& why) {
    std::vector<unsigned char> bytes;
    switch (ReadIfThere(path, bytes, why)) {
        case Found::Unreadable: return Put::Failed;
        case Found::Nothing: break;
        case Found::Read:
            if (AsText(bytes) == content) return Put::Same;
            if (!ours(AsText(bytes))) {
                why = "Sarvo Backdrop Changer のファイルではないので、そのままにしました：" + path;
                return Put::Failed;
            }
            break;
    }
    const std::string folder = linux_io::FolderOf(path);
    if (!linux_xdg::MakeFolders(folder)) {
        why = linux_io::ErrorText("フォルダを作成できませんでした", folder);
        return Put::Failed;
    }
    return WriteFileReplacing(path, content.data(), content.size(), why) ? Put::Written : Put::Failed;
}

// Deletes `path` when `ours` accepts what it holds. False, with `why`, when
// it could not be read or deleted; `removed` tells whether it was.
bool RemoveFile(const std::string& path, const Ours& ours, bool& removed, std::string& why) {
    std::vector<unsigned char> bytes;
    switch (ReadIfThere(path, bytes, why)) {
        case Found::Nothing: return true;
        case Found::Unreadable: return false;  // it may be ours: say so rather than pass it by
        case Found::Read:
            if (!ours(AsText(bytes))) return true;
            break;
    }
    if (!DeleteFileIfPresent(path, why)) return false;
    removed = true;
    return true;
}

// An icon counts as ours when it is exactly the one the suite writes.
Ours SameAs(const linux_menu::IconFile& icon) {
    return [&icon](std::string_view text) { return text == AsText(icon); };
}

// Desktops that keep a cache of the applications folder (the file types
// each program opens) have it made again by update-desktop-database; where
// that is not installed, the desktop watches the folder itself.
bool RefreshMenuCache(std::string& why) {
    std::string program;
    if (!linux_spawn::FindProgram("update-desktop-database", program, why)) return true;
    linux_spawn::RunResult result;
    if (!linux_spawn::RunAndWait({program, "-q", Applications()}, kRefreshMs, result, why)) return false;
    // -1: the status was lost to a reaper; the program has ended all the same.
    if (result.exitStatus <= 0) return true;
    why = "update-desktop-database が終了コード " + std::to_string(result.exitStatus) + " で終了しました：" + result.output;
    return false;
}

}  // namespace

MenuResult PutIntoMenu(const std::vector<MenuEntry>& entries, std::string& why) {
    std::vector<std::pair<std::string, std::string>> files;  // path, text
    for (const MenuEntry& entry : entries) {
        const auto text = MenuEntryFileFor(entry);
        if (!text) return MenuResult::Unfit;
        files.emplace_back(EntryPath(entry.id), *text);
    }
    bool written = false;
    std::string failures;
    const auto put = [&](const std::string& path, std::string_view content, const Ours& ours) {
        std::string failure;
        switch (PutFile(path, content, ours, failure)) {
            case Put::Same: break;
            case Put::Written: written = true; break;
            case Put::Failed: failures += (failures.empty() ? "" : "; ") + failure; break;
        }
    };
    // Icons first, so that a desktop that takes up a new entry at once finds its icon.
    for (const MenuEntry& entry : entries)
        for (const linux_menu::IconFile& icon : linux_menu::IconFiles())
            if (icon.name == entry.id) put(IconPath(icon), AsText(icon), SameAs(icon));
    for (const auto& [path, text] : files) put(path, text, IsSuiteMenuEntry);
    std::string refusal;
    if (written && !RefreshMenuCache(refusal)) failures += (failures.empty() ? "" : "; ") + refusal;
    why = failures;
    if (!failures.empty()) return MenuResult::Failed;
    return written ? MenuResult::Written : MenuResult::Unchanged;
}

void RemoveFromMenu(const std::vector<MenuEntry>& entries, std::vector<std::string>& left) {
    bool removed = false;
    const auto remove = [&](const std::string& path, const Ours& ours) {
        std::string why;
        if (!RemoveFile(path, ours, removed, why)) left.push_back(why);
    };
    for (const MenuEntry& entry : entries) {
        remove(EntryPath(entry.id), IsSuiteMenuEntry);
        for (const linux_menu::IconFile& icon : linux_menu::IconFiles())
            if (icon.name == entry.id) remove(IconPath(icon), SameAs(icon));
    }
    // The entries are gone either way; a cache that still names them names
    // programs that no menu shows.
    std::string ignored;
    if (removed) RefreshMenuCache(ignored);
}

}  // namespace sarvo::platform
