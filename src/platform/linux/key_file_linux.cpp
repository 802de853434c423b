#include "key_file_linux.h"

#include <sys/stat.h>

#include <chrono>
#include <vector>

#include "io_linux.h"
#include "platform/files.h"

namespace sarvo::platform::linux_keyfile {

namespace {

// A settings file is a few lines; anything far larger is not ours to parse.
constexpr std::size_t kFileLimit = 16u << 20;

// Another program holds the lock only while it rewrites a file of a few
// lines; one that keeps it this long is stuck, and the write is given up.
constexpr auto kLockWait = std::chrono::seconds(10);

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
    // The whole read-change-write under a lock on the folder, so that two
    // programs writing different values at once keep both. A folder that
    // cannot be opened for the lock cannot take the new file either; the
    // write then fails by itself.
    linux_io::FolderLock lock;
    std::string why;
    if (lock.Acquire(linux_io::FolderOf(path), kLockWait, why) == linux_io::FolderLock::Outcome::Busy) return false;
    ProfileText text;
    bool ok = Load(path, text);
    if (ok && change(text)) ok = Save(path, text);
    return ok;
}

bool FitsOnOneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

}  // namespace sarvo::platform::linux_keyfile
