#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdio.h>

#include "io_linux.h"

namespace sarvo::platform {

using linux_io::ErrorText;
using linux_io::FolderOf;
using linux_io::WriteAll;

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::size_t limit,
                   std::string& why) {
    bytes.clear();
    // Non-blocking, so that opening a named pipe does not wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        why = ErrorText("開けませんでした", path);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // A folder, a pipe or a device is never read: a pipe could block forever.
        why = "通常のファイルではありません：" + path;
        close(fd);
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        why = "ファイルが大きすぎます（" + std::to_string(limit) + " バイトまで）：" + path;
        close(fd);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = ErrorText("読み込めませんでした", path);
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

}  // namespace sarvo::platform

namespace sarvo::platform {

std::vector<unsigned char> ReadFilePart(const std::string& path, std::uint64_t offset, std::size_t count) {
    std::vector<unsigned char> bytes;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return bytes;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.resize(count);
        std::size_t got = 0;
        while (got < count) {
            const ssize_t n = pread(fd, bytes.data() + got, count - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
    }
    close(fd);
    return bytes;
}

std::vector<unsigned char> ReadFileHead(const std::string& path, std::size_t count) {
    return ReadFilePart(path, 0, count);
}

bool OrdinaryFileExists(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart >= path.size() || path[nameStart] == '.') return false;
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// Copies the open file `in` to a new temporary file in `folder`, flushed to
// disk; returns its descriptor, which keeps it locked until it is closed,
// with `temp` naming it; -1 with errno set on failure.
int CopyToTemporary(int in, const std::string& folder, mode_t mode, std::string& temp) {
    const int out = linux_io::CreateTemporary(folder, mode & 07777, temp);
    if (out < 0) return -1;
    bool ok = true;
    unsigned char buffer[1 << 16];
    while (ok) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        ok = WriteAll(out, buffer, static_cast<std::size_t>(n));
    }
    ok = ok && fsync(out) == 0;
    if (ok) return out;
    const int error = errno;
    unlink(temp.c_str());
    close(out);
    errno = error;
    return -1;
}

// The system's refusal of `path`, with the error number `number`.
FileError Refusal(const std::string& path, int number) {
    return FileError{number, linux_io::SystemDescription(number), path};
}

}  // namespace

MoveResult MoveFileNoReplace(const std::string& from, const std::string& to, FileError& error) {
    struct stat source {};
    if (stat(from.c_str(), &source) != 0 || !S_ISREG(source.st_mode)) {
        const bool found = source.st_mode != 0;
        error = Refusal(from, !found ? errno : S_ISDIR(source.st_mode) ? EISDIR : EINVAL);
        return MoveResult::Failed;
    }
    // A hard link cannot replace anything, so it claims the new name
    // atomically; the old name is removed only once the new one stands.
    if (link(from.c_str(), to.c_str()) == 0) {
        if (unlink(from.c_str()) != 0) {
            error = Refusal(from, errno);
            unlink(to.c_str());
            return MoveResult::Failed;
        }
        return MoveResult::Moved;
    }
    if (errno == EEXIST) return MoveResult::TargetExists;
    // Another file system (EXDEV), or one without hard links: the file is
    // copied beside the target and claimed under its name by the same link.
    // The source was found, so what the link refused is the target's folder.
    if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != ENOTSUP) {
        error = Refusal(to, errno);
        return MoveResult::Failed;
    }
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (in < 0) {
        error = Refusal(from, errno);
        return MoveResult::Failed;
    }
    std::string temp;
    const int copy = CopyToTemporary(in, FolderOf(to), source.st_mode, temp);
    close(in);
    if (copy < 0) {
        error = Refusal(to, errno);
        return MoveResult::Failed;
    }
    // renameat2(RENAME_NOREPLACE) where the file system has it; link+unlink
    // otherwise. Either way an existing target is never replaced. The copy
    // stays locked until it has its name, so that no cleaner takes it.
    bool claimed = renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
    if (!claimed && errno != EEXIST && link(temp.c_str(), to.c_str()) == 0) {
        unlink(temp.c_str());
        claimed = true;
    }
    if (!claimed) {
        const bool exists = errno == EEXIST;
        if (!exists) error = Refusal(to, errno);
        unlink(temp.c_str());
        close(copy);
        return exists ? MoveResult::TargetExists : MoveResult::Failed;
    }
    close(copy);  // flushed already
    if (unlink(from.c_str()) != 0) {
        // The copy stands and the original could not go: undo, so that the
        // picture is in one place only.
        error = Refusal(from, errno);
        unlink(to.c_str());
        return MoveResult::Failed;
    }
    return MoveResult::Moved;
}

bool DeleteFileIfPresent(const std::string& path, std::string& why) {
    if (unlink(path.c_str()) == 0 || errno == ENOENT) return true;
    why = linux_io::RefusalText(path);
    return false;
}

namespace {

// Whether `folder` holds any entry, hidden ones included.
bool HoldsAnything(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool any = false;
    while (const dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            any = true;
            break;
        }
    }
    closedir(dir);
    return any;
}

}  // namespace

void RemoveTemporaryLeftovers(const std::string& folder) { linux_io::RemoveLeftovers(folder); }

bool RemoveFolderIfEmpty(const std::string& folder, std::string& why) {
    if (rmdir(folder.c_str()) == 0 || errno == ENOENT || errno == ENOTEMPTY || errno == EEXIST) return true;
    // A folder we may not remove is still left alone without complaint when
    // it holds something.
    const int error = errno;
    if (HoldsAnything(folder)) return true;
    errno = error;
    why = linux_io::RefusalText(folder);
    return false;
}

}  // namespace sarvo::platform
