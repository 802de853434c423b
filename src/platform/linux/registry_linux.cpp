#include "registry.h"

#include <sys/stat.h>

#include <vector>

#include "core/profile_text.h"
#include "files.h"
#include "xdg_dirs.h"

namespace sarvo::platform {

// The store is one key file: a group per key path, a line per value. The
// desktop's key always exists, as it does on every Windows profile.
namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr std::size_t kReadLimit = 4095;
constexpr std::size_t kFileLimit = 16u << 20;

std::string StoreFolder() { return linux_xdg::ConfigHome() + "/" + linux_xdg::kSuiteFolder; }
std::string StorePath() { return StoreFolder() + "/registry.ini"; }

// Loads the store; a missing store is empty. Returns false only when a store
// exists but cannot be read, so that it is never overwritten blindly.
bool Load(ProfileText& text) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (ReadWholeFile(StorePath(), bytes, kFileLimit, why)) {
        text = ProfileText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return true;
    }
    struct stat st {};
    text = ProfileText();
    return stat(StorePath().c_str(), &st) != 0;
}

bool Save(const ProfileText& text) {
    if (!linux_xdg::MakeFolders(StoreFolder())) return false;
    const std::string out = text.Text();
    std::string why;
    return WriteFileReplacing(StorePath(), out.data(), out.size(), why);
}

bool KeyExists(const ProfileText& text, const std::string& keyPath) {
    return EqualsIgnoringCase(keyPath, kDesktopKey) || text.HasSection(keyPath);
}

bool ValidName(const std::string& s) { return s.find_first_of("\r\n[]=") == std::string::npos; }

}  // namespace

bool RegistryReadString(const std::string& keyPath, const std::string& name, std::string& value) {
    value.clear();
    ProfileText text;
    if (!Load(text)) return false;
    const auto found = text.Find(keyPath, name);
    if (!found) return false;
    value = CutToLimit(*found, kReadLimit);
    return true;
}

bool RegistryWriteString(const std::string& keyPath, const std::string& name, const std::string& value) {
    if (!ValidName(keyPath) || !ValidName(name) || value.find_first_of("\r\n") != std::string::npos)
        return false;
    ProfileText text;
    if (!Load(text) || !KeyExists(text, keyPath)) return false;
    text.Set(keyPath, name, value);
    return Save(text);
}

bool RegistryDeleteValue(const std::string& keyPath, const std::string& name) {
    ProfileText text;
    if (!Load(text)) return false;
    if (!text.Remove(keyPath, name)) return true;
    return Save(text);
}

bool RegistryCreateKey(const std::string& keyPath) {
    if (!ValidName(keyPath)) return false;
    ProfileText text;
    if (!Load(text)) return false;
    if (KeyExists(text, keyPath)) return true;
    text.AddSection(keyPath);
    return Save(text);
}

}  // namespace sarvo::platform
