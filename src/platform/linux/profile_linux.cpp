#include "profile.h"

#include <sys/stat.h>

#include <vector>

#include "core/profile_text.h"
#include "files.h"

namespace sarvo::platform {

namespace {

// Long enough for any path; a value longer than this is cut.
constexpr std::size_t kReadLimit = 4095;
// A settings file is a few lines; anything far larger is not ours to parse.
constexpr std::size_t kFileLimit = 16u << 20;

bool Load(const std::string& file, ProfileText& text) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!ReadWholeFile(file, bytes, kFileLimit, why)) return false;
    text = ProfileText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return true;
}

}  // namespace

std::string ProfileReadString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultText) {
    ProfileText text;
    std::optional<std::string> value;
    if (Load(file, text)) value = text.Find(section, key);
    return CutToLimit(value ? *value : TrimTrailingBlanks(defaultText), kReadLimit);
}

long ProfileReadInt(const std::string& file, const std::string& section, const std::string& key,
                    long defaultValue) {
    ProfileText text;
    if (!Load(file, text)) return defaultValue;
    const auto value = text.Find(section, key);
    return value ? ProfileNumber(*value, defaultValue) : defaultValue;
}

bool ProfileWriteString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    // A line break in a value would end its line and leave the rest as a
    // line of its own: the value would be cut and the file damaged.
    if (value.find_first_of("\r\n") != std::string::npos || key.find_first_of("\r\n=") != std::string::npos)
        return false;
    ProfileText text;
    struct stat st {};
    // A missing file starts empty; one that exists but cannot be read is
    // left alone rather than replaced by a file holding only this key.
    if (!Load(file, text) && stat(file.c_str(), &st) == 0) return false;
    text.Set(section, key, value);
    const std::string out = text.Text();
    std::string why;
    return WriteFileReplacing(file, out.data(), out.size(), why);
}

}  // namespace sarvo::platform
