#include "key_file_linux.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool Update(const std::string& path, const std::function<bool(ProfileText&)>& change) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    // A lock on the folder leaves no file of its own behind.
    const int lock = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock >= 0) {
        while (flock(lock, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ProfileText text;
    bool ok = Load(path, text);
    if (ok && change(text)) ok = Save(path, text);
    if (lock >= 0) close(lock);  // releases the lock
    return ok;
}

bool FitsOnOneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

}  // namespace sarvo::platform::linux_keyfile
