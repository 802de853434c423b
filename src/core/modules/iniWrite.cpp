#include "core/modules/iniWrite.h"

#include "platform/profile.h"

namespace sarvo {

bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    return platform::ProfileWriteString(path, section, key, value);
}

}  // namespace sarvo
