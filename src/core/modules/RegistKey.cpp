#include "core/modules/RegistKey.h"

#include "platform/registry.h"

namespace sarvo {

namespace {

// The store is reached by key path and value name on every call, so the
// "open key" is the path remembered with the access it was opened for.
enum class Access { None, Read, Write };

struct OpenKey {
    std::string path;
    Access access = Access::None;
};

OpenKey& TheKey() {
    static OpenKey key;
    return key;
}

bool Open(const std::string& subKey, Access access) {
    TheKey() = OpenKey{subKey, subKey.empty() ? Access::None : access};
    return TheKey().access != Access::None;
}

bool OpenFor(Access access) { return TheKey().access == access; }

}  // namespace

bool RegistOpenWrite(const std::string& subKey) { return Open(subKey, Access::Write); }

bool RegistOpenRead(const std::string& subKey) { return Open(subKey, Access::Read); }

bool RegistCreate(const std::string& subKey) {
    const bool created = !subKey.empty() && platform::RegistryCreateKey(subKey);
    return Open(subKey, created ? Access::Write : Access::None);
}

bool RegistReadString(const std::string& name, std::string& value) {
    value.clear();
    if (!OpenFor(Access::Read) || !platform::RegistryReadString(TheKey().path, name, value)) {
        value.clear();
        return false;
    }
    // The text ends at its first NUL, as a value handed back in a C buffer does.
    const std::size_t nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    return true;
}

bool RegistWriteString(const std::string& name, const std::string& value) {
    return OpenFor(Access::Write) && platform::RegistryWriteString(TheKey().path, name, value);
}

bool RegistWriteString(const std::string& name, const std::string& value, std::string& why) {
    why.clear();
    return OpenFor(Access::Write) && platform::RegistryWriteString(TheKey().path, name, value, why);
}

bool RegistDeleteValue(const std::string& name, std::string& why) {
    if (OpenFor(Access::Write)) return platform::RegistryDeleteValue(TheKey().path, name, why);
    why = "レジストリのキーが開かれていません。";
    return false;
}

bool RegistClose() {
    const bool wasOpen = TheKey().access != Access::None;
    TheKey() = OpenKey{};
    return wasOpen;
}

}  // namespace sarvo
