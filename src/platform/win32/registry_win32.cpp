// The per-user store is the registry itself, below HKEY_CURRENT_USER, through
// the ANSI registry functions: values are REG_SZ texts in the ANSI code page,
// read into a 256-byte buffer as the suite has always read them.
#include <windows.h>

#include "ansi_win32.h"
#include "platform/registry.h"

namespace sarvo::platform {

namespace {

constexpr DWORD kReadBufferSize = 256;

// An open key below HKEY_CURRENT_USER, closed when it goes out of scope.
class OpenKey {
public:
    OpenKey(const std::string& keyPath, REGSAM access) {
        std::string aPath;
        if (win32::ToAnsi(keyPath, aPath))
            status_ = RegOpenKeyExA(HKEY_CURRENT_USER, aPath.c_str(), 0, access, &key_);
    }
    ~OpenKey() {
        if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    bool ok() const { return status_ == ERROR_SUCCESS; }
    LSTATUS status() const { return status_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
    LSTATUS status_ = ERROR_INVALID_NAME;
};

}  // namespace

bool RegistryReadString(const std::string& keyPath, const std::string& name, std::string& value) {
    value.clear();
    std::string aName;
    if (!win32::ToAnsi(name, aName)) return false;
    OpenKey key(keyPath, KEY_QUERY_VALUE);
    if (!key.ok()) return false;
    char buffer[kReadBufferSize] = {};
    DWORD size = kReadBufferSize;
    DWORD type = REG_SZ;
    // A value of 256 bytes or more does not fit; it reads as not there.
    if (RegQueryValueExA(key.get(), aName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    buffer[kReadBufferSize - 1] = '\0';
    value = win32::FromAnsi(buffer);
    return true;
}

bool RegistryWriteString(const std::string& keyPath, const std::string& name, const std::string& value,
                         std::string& why) {
    why.clear();
    std::string aName, aValue;
    if (!win32::ToAnsi(name, aName) || !win32::ToAnsi(value, aValue)) {
        why = value + ": " + win32::SystemErrorText(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    OpenKey key(keyPath, KEY_SET_VALUE);
    LSTATUS status = key.status();
    if (key.ok())
        status = RegSetValueExA(key.get(), aName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(aValue.c_str()),
                                static_cast<DWORD>(aValue.size() + 1));
    if (status == ERROR_SUCCESS) return true;
    why = win32::SystemErrorText(static_cast<unsigned long>(status));
    return false;
}

bool RegistryWriteString(const std::string& keyPath, const std::string& name, const std::string& value) {
    std::string why;
    return RegistryWriteString(keyPath, name, value, why);
}

bool RegistryDeleteValue(const std::string& keyPath, const std::string& name, std::string& why) {
    const auto refused = [&](long status) {
        why = "HKEY_CURRENT_USER\\" + keyPath + "\\" + name + ": " + win32::SystemErrorText(static_cast<DWORD>(status));
        return false;
    };
    std::string aName;
    if (!win32::ToAnsi(name, aName)) return refused(ERROR_NO_UNICODE_TRANSLATION);
    OpenKey key(keyPath, KEY_SET_VALUE);
    if (!key.ok()) return key.status() == ERROR_FILE_NOT_FOUND || refused(key.status());  // no key, so no value
    const LSTATUS status = RegDeleteValueA(key.get(), aName.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || refused(status);
}

bool RegistryCreateKey(const std::string& keyPath) {
    std::string aPath;
    if (!win32::ToAnsi(keyPath, aPath)) return false;
    HKEY key = nullptr;
    const LSTATUS status =
        RegCreateKeyExA(HKEY_CURRENT_USER, aPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace sarvo::platform
