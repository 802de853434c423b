#include "key_file_linux.h"

#include <sys/stat.h>

#include <vector>

#include "platform/files.h"

namespace sarvo::platform::linux_keyfile {

namespace {

// A settings file is a few lines; anything far larger is not ours to parse.
constexpr std::size_t kFileLimit = 16u << 20;

}  // namespace

bool Load(const std::string& path, ProfileText& text) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (ReadWholeFile(path, bytes, kFileLimit, why)) {
        text = ProfileText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return true;
    }
    text = ProfileText();
    struct stat st {};
    return stat(path.c_str(), &st) != 0;
}

bool Save(const std::string& path, const ProfileText& text) {
    const std::string out = text.Text();
    std::string why;
    return WriteFileReplacing(path, out.data(), out.size(), why);
}

bool FitsOnOneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

}  // namespace sarvo::platform::linux_keyfile
