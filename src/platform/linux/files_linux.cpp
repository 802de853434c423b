#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sarvo::platform {

namespace {

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

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::size_t limit,
                   std::string& why) {
    bytes.clear();
    // Non-blocking, so that opening a named pipe does not wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        why = ErrorText("cannot open", path);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // A folder, a pipe or a device is never read: a pipe could block forever.
        why = path + " is not a regular file";
        close(fd);
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        why = path + " is larger than " + std::to_string(limit) + " bytes";
        close(fd);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = ErrorText("cannot read", path);
            close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0) break;  // the file shrank while we read it
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    close(fd);
    return true;
}

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size, std::string& why) {
    // The temporary file sits beside the target so that the rename stays on
    // one file system and is atomic.
    std::string temp = path + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        why = ErrorText("cannot create a file beside", path);
        return false;
    }
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
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
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, static_cast<const unsigned char*>(data), size) &&
              fsync(fd) == 0;
    if (!ok) why = ErrorText("cannot write", temp);
    if (close(fd) != 0 && ok) {
        ok = false;
        why = ErrorText("cannot write", temp);
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        why = ErrorText("cannot replace", path);
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

}  // namespace sarvo::platform
