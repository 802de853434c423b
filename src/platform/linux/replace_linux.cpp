// Replacing a whole file, for the settings file, the registry store and the
// bitmap: the new content is written to a temporary file beside the target,
// flushed, and renamed over it, so that a reader, a crash or a second
// writer at the same moment sees the old file or the whole new one.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/files.h"

namespace sarvo::platform {

namespace {

constexpr const char kTempSuffix[] = ".XXXXXX";
// A temporary file this young may belong to a writer that has not locked it
// yet; an older one whose lock is free was left by a writer that died.
constexpr time_t kLeftoverAge = 2;

std::string ErrorText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

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

// The file a path finally names: a symbolic link is followed (also when its
// target does not exist yet), so that replacing the file keeps the link,
// which the user put there on purpose.
std::string FinalTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::vector<char> buffer(PATH_MAX);
        const ssize_t n = readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) return current;
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        current = link[0] == '/' ? link : FolderOf(current) + "/" + link;
    }
    return current;
}

// New files get what the user's umask leaves of 0666, as any program's do.
mode_t CreationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Whether `name` is a temporary file of a replace of `base`: base plus a
// dot and six letters or digits.
bool IsTemporaryOf(const char* name, const std::string& base) {
    const std::size_t length = std::strlen(name);
    if (length != base.size() + 7 || base.compare(0, base.size(), name, base.size()) != 0) return false;
    if (name[base.size()] != '.') return false;
    for (std::size_t i = base.size() + 1; i < length; ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

// Removes what killed writers left of their temporary files for `target`: a
// 24-megapixel bitmap leaves 72 MB each time. A live writer holds a lock on
// its file, so only files nobody holds, and that are not brand new, go.
void RemoveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string base = target.substr(target.find_last_of('/') + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    const time_t now = time(nullptr);
    while (const dirent* e = readdir(dir)) {
        if (!IsTemporaryOf(e->d_name, base)) continue;
        const int fd = openat(dirfd(dir), e->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= kLeftoverAge &&
            flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlinkat(dirfd(dir), e->d_name, 0);
        close(fd);
    }
    closedir(dir);
}

// The folder does not let us create the temporary file, but the file itself
// may be written: the user gave us the file, not the folder. Writing in
// place is not atomic, so it is only the fallback: the content is written
// over the old one and the length set afterwards, and flushed.
bool WriteInPlace(const std::string& target, const unsigned char* data, std::size_t size, std::string& why) {
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = ErrorText("cannot write", target);
        return false;
    }
    bool ok = WriteAll(fd, data, size) && ftruncate(fd, static_cast<off_t>(size)) == 0 && fsync(fd) == 0;
    if (!ok) why = ErrorText("cannot write", target);
    if (close(fd) != 0 && ok) {
        ok = false;
        why = ErrorText("cannot write", target);
    }
    return ok;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size, std::string& why) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::string target = FinalTarget(path);
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        why = target + " is not a file";
        return false;
    }
    // A read-only file stays as it is, as the read-only attribute keeps a
    // file on Windows; the rename would replace it regardless of its mode.
    if (exists && ((old.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0)) {
        why = target + " is read-only";
        return false;
    }
    RemoveLeftovers(target);

    // The temporary file sits beside the target so that the rename stays on
    // one file system and is atomic. It is locked while it is written, so
    // that the next writer can tell it from a leftover.
    std::string temp = target + kTempSuffix;
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(target, bytes, size, why);
        why = ErrorText("cannot create a file beside", target);
        return false;
    }
    flock(fd, LOCK_EX | LOCK_NB);
    const mode_t mode = exists ? (old.st_mode & 07777) : CreationMode();
    // Reserving the whole size first lets the file system lay the file out in
    // one piece, which makes both the write and the flush markedly cheaper for
    // a large bitmap, and a full disk shows up before anything is written.
    // File systems that cannot reserve simply write as usual.
    if (size > 0 && fallocate(fd, 0, 0, static_cast<off_t>(size)) != 0 && errno == ENOSPC) {
        why = ErrorText("cannot write", temp);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    // Flushed before the rename, so that after a crash the name holds either
    // the old file or the whole new one.
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes, size) && fsync(fd) == 0;
    if (!ok) why = ErrorText("cannot write", temp);
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        why = ErrorText("cannot replace", target);
    }
    if (!ok) unlink(temp.c_str());
    if (close(fd) != 0 && ok) {
        why = ErrorText("cannot write", target);
        return false;
    }
    return ok;
}

}  // namespace sarvo::platform
