#include "io_linux.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace sarvo::platform::linux_io {

std::string ErrorText(const std::string& what, const std::string& path) {
    const int error = errno;
    return what + "：" + path + "（" + SystemDescription(error) + "）";
}

std::string SystemDescription(int error) {
    // The programs themselves run in the C locale; the user's language is
    // asked for the messages only.
    static const locale_t user = newlocale(LC_MESSAGES_MASK, "", static_cast<locale_t>(nullptr));
    return user != static_cast<locale_t>(nullptr) ? strerror_l(error, user) : std::strerror(error);
}

std::string RefusalText(const std::string& path) { return path + ": " + SystemDescription(errno); }

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

mode_t CreationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

namespace {

constexpr int kNameAttempts = 100;

// Six letters or digits, as mkstemp would choose them.
std::string RandomPart() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[6] = {};
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (static_cast<unsigned long long>(getpid()) << 20);
        for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(seed >> (i * 8));
    }
    std::string part;
    for (const unsigned char b : bytes) part += kLetters[b % (sizeof kLetters - 1)];
    return part;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The file is made without a name (O_TMPFILE), locked, and only then linked
// into the folder, so that no cleaner ever sees it unlocked.
int CreateUnnamedFirst(const std::string& folder, std::string& path) {
    const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    flock(fd, LOCK_EX | LOCK_NB);  // no one else can have a file without a name open
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path = folder + "/" + std::string(kTemporaryMark) + RandomPart();
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return fd;
        if (errno != EEXIST) break;
    }
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
}

// Where the file system has no nameless files, or /proc is missing: made
// under its name, locked, then checked to be still the file under the name,
// since a cleaner may have taken it in the moment before the lock.
int CreateNamedThenLock(const std::string& folder, std::string& path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path = folder + "/" + std::string(kTemporaryMark) + "XXXXXX";
        const int fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        struct stat mine {}, named {};
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &mine) == 0 && lstat(path.c_str(), &named) == 0 &&
            SameFile(mine, named))
            return fd;
        close(fd);
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

int CreateTemporary(const std::string& folder, mode_t mode, std::string& path) {
    RemoveLeftovers(folder);
    int fd = CreateUnnamedFirst(folder, path);
    // These say only that this way is not open here: the other may be.
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT ||
                   errno == EPERM || errno == EXDEV))
        fd = CreateNamedThenLock(folder, path);
    if (fd < 0) return -1;
    if (fchmod(fd, mode) != 0) {
        const int error = errno;
        unlink(path.c_str());
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

void RemoveLeftovers(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    const int at = dirfd(dir);
    while (const dirent* e = readdir(dir)) {
        if (std::strncmp(e->d_name, kTemporaryMark.data(), kTemporaryMark.size()) != 0) continue;
        // Only ordinary files are opened: opening a device may do something.
        struct stat named {}, held {};
        if (fstatat(at, e->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)) continue;
        int fd = openat(at, e->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) fd = openat(at, e->d_name, O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) continue;
        // A live writer holds its lock until its file has another name or
        // none; a file that was renamed in the meantime is not the one
        // locked here.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
            fstatat(at, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named))
            unlinkat(at, e->d_name, 0);
        close(fd);
    }
    closedir(dir);
}

namespace {

// The folders this process holds locked: a folder's descriptor, which holds
// the flock, and how many FolderLock objects share it.
struct HeldFolder {
    dev_t device;
    ino_t inode;
    int fd;
    int holders;
};

std::mutex& HeldMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<HeldFolder>& Held() {
    static std::vector<HeldFolder> held;
    return held;
}

}  // namespace

FolderLock::~FolderLock() {
    if (!held_) return;
    const std::lock_guard guard(HeldMutex());
    std::vector<HeldFolder>& held = Held();
    for (auto it = held.begin(); it != held.end(); ++it) {
        if (it->device != device_ || it->inode != inode_) continue;
        if (--it->holders == 0) {
            close(it->fd);  // releases the lock
            held.erase(it);
        }
        return;
    }
}

FolderLock::Outcome FolderLock::Acquire(const std::string& folder, std::chrono::milliseconds wait,
                                        std::string& why) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        why = ErrorText("フォルダを開けませんでした", folder);
        if (fd >= 0) close(fd);
        return Outcome::NoFolder;
    }
    {
        const std::lock_guard guard(HeldMutex());
        for (HeldFolder& h : Held()) {
            if (h.device != st.st_dev || h.inode != st.st_ino) continue;
            // A lock on another descriptor of a folder this process holds
            // would wait for ourselves: the held one is shared instead.
            ++h.holders;
            close(fd);
            device_ = st.st_dev;
            inode_ = st.st_ino;
            held_ = true;
            return Outcome::Held;
        }
    }
    // flock has no time limit of its own: it is asked without waiting, again
    // and again, with short naps between.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto nap = std::chrono::milliseconds(5);
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {  // no locks on this file system
            close(fd);
            return Outcome::Held;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            close(fd);
            const long long ms = wait.count();
            why = "ほかの実行がフォルダを" +
                  (ms % 1000 == 0 ? std::to_string(ms / 1000) + "秒" : std::to_string(ms) + "ミリ秒") +
                  "のあいだロックしたままでした：" + folder;
            return Outcome::Busy;
        }
        std::this_thread::sleep_for(nap);
        nap = std::min(nap * 2, std::chrono::milliseconds(100));
    }
    const std::lock_guard guard(HeldMutex());
    Held().push_back({st.st_dev, st.st_ino, fd, 1});
    device_ = st.st_dev;
    inode_ = st.st_ino;
    held_ = true;
    return Outcome::Held;
}

}  // namespace sarvo::platform::linux_io
