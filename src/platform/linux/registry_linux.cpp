#include "platform/registry.h"

#include <functional>

#include "autostart_linux.h"
#include "core/pure/profile_text.h"
#include "key_file_linux.h"
#include "xdg_linux.h"

namespace sarvo::platform {

// The store is one key file: a group per key path, a line per value. The
// desktop's key always exists, as it does on every Windows profile, and its
// placement values read as a new profile's ("0" and "0": centred, which is
// also what the changer does without them) until something writes them. The
// log-on list is the exception: its values are XDG autostart entries, which
// the desktop itself reads at log-on (autostart_linux.h).
namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";

std::string StoreFolder() { return linux_xdg::ConfigHome() + "/" + linux_xdg::kSuiteFolder; }
std::string StorePath() { return StoreFolder() + "/registry.ini"; }

bool Load(ProfileText& text) { return linux_keyfile::Load(StorePath(), text); }

// Every change is one locked read-change-write of the store, so that a
// changer recording "Wallpaper" and the settings tool writing the placement
// at the same moment never undo each other.
bool Update(const std::function<bool(ProfileText&)>& change) {
    return linux_xdg::MakeFolders(StoreFolder()) && linux_keyfile::Update(StorePath(), change);
}

bool KeyExists(const ProfileText& text, const std::string& keyPath) {
    return EqualsIgnoringCase(keyPath, kDesktopKey) || text.HasSection(keyPath);
}

// What a new Windows profile holds in the desktop's key, for the values the
// suite reads there.
const char* ProfileDefault(const std::string& keyPath, const std::string& name) {
    if (!EqualsIgnoringCase(keyPath, kDesktopKey)) return nullptr;
    if (EqualsIgnoringCase(name, "TileWallpaper") || EqualsIgnoringCase(name, "WallpaperStyle")) return "0";
    return nullptr;
}

bool ValidName(const std::string& s) {
    return linux_keyfile::FitsOnOneLine(s) && s.find_first_of("[]=") == std::string::npos;
}

}  // namespace

bool RegistryReadString(const std::string& keyPath, const std::string& name, std::string& value) {
    value.clear();
    if (linux_autostart::IsRunKey(keyPath)) return linux_autostart::ReadEntry(name, value);
    ProfileText text;
    if (!Load(text)) return false;
    const auto found = text.Find(keyPath, name);
    if (!found) {
        const char* fallback = ProfileDefault(keyPath, name);
        if (fallback != nullptr) value = fallback;
        return fallback != nullptr;
    }
    value = CutToLimit(*found, linux_keyfile::kReadLimit);
    return true;
}

bool RegistryWriteString(const std::string& keyPath, const std::string& name, const std::string& value,
                         std::string& why) {
    why.clear();
    if (linux_autostart::IsRunKey(keyPath)) return linux_autostart::WriteEntry(name, value, why);
    if (!ValidName(keyPath) || !ValidName(name) || !linux_keyfile::FitsOnOneLine(value))
        return false;
    bool exists = false;
    const bool ok = Update([&](ProfileText& text) {
        exists = KeyExists(text, keyPath);
        // A value the store already holds is not written again: every
        // changer run records the same bitmap path, and each write costs a
        // flush to disk.
        if (!exists || text.Find(keyPath, name) == value) return false;
        text.Set(keyPath, name, value);
        return true;
    });
    return ok && exists;
}

bool RegistryWriteString(const std::string& keyPath, const std::string& name, const std::string& value) {
    std::string why;
    return RegistryWriteString(keyPath, name, value, why);
}

bool RegistryDeleteValue(const std::string& keyPath, const std::string& name, std::string& why) {
    if (linux_autostart::IsRunKey(keyPath)) return linux_autostart::RemoveEntry(name, why);
    if (Update([&](ProfileText& text) { return text.Remove(keyPath, name); })) return true;
    why = "書き込めませんでした：" + StorePath();
    return false;
}

bool RegistryCreateKey(const std::string& keyPath) {
    if (linux_autostart::IsRunKey(keyPath)) return true;  // its folder is made with the first entry
    if (!ValidName(keyPath)) return false;
    return Update([&](ProfileText& text) {
        if (KeyExists(text, keyPath)) return false;
        text.AddSection(keyPath);
        return true;
    });
}

}  // namespace sarvo::platform
