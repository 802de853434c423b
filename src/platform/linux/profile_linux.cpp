#include "platform/profile.h"

#include "core/pure/profile_text.h"
#include "key_file_linux.h"

namespace sarvo::platform {

namespace keyfile = linux_keyfile;

std::string ProfileReadString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultText) {
    ProfileText text;
    std::optional<std::string> value;
    if (keyfile::Load(file, text)) value = text.Find(section, key);
    return CutToLimit(value ? *value : TrimTrailingBlanks(defaultText), keyfile::kReadLimit);
}

long ProfileReadInt(const std::string& file, const std::string& section, const std::string& key,
                    long defaultValue) {
    ProfileText text;
    if (!keyfile::Load(file, text)) return defaultValue;
    const auto value = text.Find(section, key);
    return value ? ProfileNumber(*value, defaultValue) : defaultValue;
}

bool ProfileWriteString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (!keyfile::FitsOnOneLine(value) || !keyfile::FitsOnOneLine(key) || key.find('=') != std::string::npos)
        return false;
    return keyfile::Update(file, [&](ProfileText& text) {
        // What the file already says is not written again (a flush saved).
        if (text.Find(section, key) == value) return false;
        text.Set(section, key, value);
        return true;
    });
}

}  // namespace sarvo::platform
