// Writing the settings file.
#pragma once

#include <string>

namespace sarvo {

// Sets `key` in `section` of the settings file `path` to `value`, creating
// the file, the section and the key as needed. Returns false when the file
// could not be written (it is then unchanged); most callers may ignore that.
bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);

}  // namespace sarvo
