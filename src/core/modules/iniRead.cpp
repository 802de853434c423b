#include "core/modules/iniRead.h"

#include "core/pure/rules.h"
#include "platform/profile.h"

namespace sarvo {

std::string IniReadString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultText) {
    std::string value = platform::ProfileReadString(path, section, key, defaultText);
    // The value ends at its first NUL, as a text handed back in a C buffer does.
    const std::size_t nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    return value;
}

short IniReadInt(const std::string& path, const std::string& section, const std::string& key,
                 long defaultValue) {
    return ClampToInt16(platform::ProfileReadInt(path, section, key, defaultValue));
}

}  // namespace sarvo
