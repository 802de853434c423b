// The per-user store of named text values under key paths, as the Windows
// registry holds them below HKEY_CURRENT_USER. Key paths use '\' between
// their parts on every platform ("Control Panel\Desktop"). Key paths and
// value names match without regard to case.
#pragma once

#include <string>

namespace sarvo::platform {

// Reads a text value. Returns false (and leaves `value` empty) when the key
// or the value does not exist or cannot be read. The desktop's placement
// values ("Control Panel\Desktop": TileWallpaper, WallpaperStyle) exist on
// every profile: where the platform has no such store, they read as a new
// Windows profile's until they are written.
bool RegistryReadString(const std::string& keyPath, const std::string& name, std::string& value);

// Writes a text value; the key must exist (see RegistryCreateKey), except
// that "Control Panel\Desktop" always exists. Returns false on failure, with
// `why` saying what the system reported where it said anything (else empty).
bool RegistryWriteString(const std::string& keyPath, const std::string& name, const std::string& value,
                         std::string& why);
bool RegistryWriteString(const std::string& keyPath, const std::string& name, const std::string& value);

// Removes a value. A value that is not there counts as removed. On failure
// `why` says what holds the value (the registry key, or the file that
// stands for it) and the system's reason.
bool RegistryDeleteValue(const std::string& keyPath, const std::string& name, std::string& why);
inline bool RegistryDeleteValue(const std::string& keyPath, const std::string& name) {
    std::string why;
    return RegistryDeleteValue(keyPath, name, why);
}

// Makes sure the key exists. Returns false when it cannot be created.
bool RegistryCreateKey(const std::string& keyPath);

}  // namespace sarvo::platform
