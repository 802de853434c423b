// Replacing a whole file, for the settings file, the registry store and the
// bitmap: the new content is written to a temporary file beside the target,
// flushed where that is needed, and renamed over it, so that a reader, a
// crash or a second writer at the same moment sees the old file or the whole
// new one.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "io_linux.h"

namespace sarvo::platform {

using linux_io::CreationMode;
using linux_io::ErrorText;
using linux_io::FolderOf;
using linux_io::WriteAll;

namespace {

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

// The folder does not let us create the temporary file, but the file itself
// may be written: the user gave us the file, not the folder. Writing in
// place is not atomic, so it is only the fallback: the content is written
// over the old one and the length set afterwards, and flushed.
bool WriteInPlace(const std::string& target, const unsigned char* data, std::size_t size, std::string& why) {
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = ErrorText("書き込めませんでした", target);
        return false;
    }
    bool ok = WriteAll(fd, data, size) && ftruncate(fd, static_cast<off_t>(size)) == 0 && fsync(fd) == 0;
    if (!ok) why = ErrorText("書き込めませんでした", target);
    if (close(fd) != 0 && ok) {
        ok = false;
        why = ErrorText("書き込めませんでした", target);
    }
    return ok;
}

// Whether the file system of `folder` puts the data of a file renamed over
// an existing one on the disk no later than the rename itself, so that
// after a power cut the name holds the old file or the whole new one without
// an fsync. ext4 does so in its default mode (auto_da_alloc with ordered
// data: the delayed blocks are allocated at the rename and the journal
// commit that records the rename waits for them); btrfs flushes a file
// renamed over another before the transaction that holds the rename. Other
// file systems, and ext4 mounted with noauto_da_alloc or data=writeback,
// make no such promise.
bool RenameOrdersData(const std::string& folder) {
    struct statfs fs {};
    if (statfs(folder.c_str(), &fs) != 0) return false;
    constexpr unsigned long kExt4 = 0xEF53, kBtrfs = 0x9123683E;
    const auto type = static_cast<unsigned long>(fs.f_type);
    if (type == kBtrfs) return true;
    if (type != kExt4) return false;
    // ext2 and ext3 share the magic number: the mount table tells them apart
    // and holds the options.
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0) return false;
    const std::string device = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    std::FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (table == nullptr) return false;
    bool ordered = false;
    char* line = nullptr;
    std::size_t capacity = 0;
    while (getline(&line, &capacity, table) > 0) {
        // ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [TAGS...] - TYPE SOURCE SUPER-OPTIONS
        std::istringstream fields(line);
        std::string id, parent, dev, field;
        fields >> id >> parent >> dev;
        if (dev != device) continue;
        while (fields >> field && field != "-") {
        }
        std::string fsType, source, options;
        fields >> fsType >> source >> options;
        options = "," + options + ",";
        ordered = fsType == "ext4" && options.find(",noauto_da_alloc,") == std::string::npos &&
                  options.find(",data=writeback,") == std::string::npos;
        break;
    }
    std::free(line);
    std::fclose(table);
    return ordered;
}

}  // namespace

struct FileReplacement::State {
    std::string target;       // the file finally replaced (a link at the path is followed)
    std::string temp;         // beside it; empty when none was made
    int fd = -1;
    bool flush = true;        // fsync before the rename
    bool inPlace = false;     // the folder takes no new file: written over the target at the commit
    std::vector<unsigned char> memory;  // the content, for inPlace only
    std::size_t size = 0;
    std::string failure;      // the first thing that went wrong
    bool committed = false;

    void Fail(const std::string& what, const std::string& path) {
        if (failure.empty()) failure = ErrorText(what, path);
    }
};

FileReplacement::FileReplacement(const std::string& path, Durability durability) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.target = FinalTarget(path);
    struct stat old {};
    const bool exists = stat(s.target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        s.failure = "ファイルではありません：" + s.target;
        return;
    }
    // A read-only file stays as it is, as the read-only attribute keeps a
    // file on Windows; the rename would replace it regardless of its mode.
    if (exists && ((old.st_mode & 0222) == 0 || access(s.target.c_str(), W_OK) != 0)) {
        s.failure = "読み取り専用のファイルです：" + s.target;
        return;
    }
    // The temporary file sits beside the target so that the rename stays on
    // one file system and is atomic. It is locked while it is written, so
    // that the next writer can tell it from a leftover.
    const mode_t mode = exists ? (old.st_mode & 07777) : CreationMode();
    s.fd = linux_io::CreateTemporary(FolderOf(s.target), mode, s.temp);
    if (s.fd < 0) {
        const int error = errno;
        s.temp.clear();
        if (exists && (error == EACCES || error == EPERM)) {
            s.inPlace = true;
            return;
        }
        errno = error;
        s.Fail("ファイルの隣に一時ファイルを作成できませんでした", s.target);
        return;
    }
    // A file that can be made again needs no flush where a rename over the
    // old file orders its data anyway; a first one, with nothing to replace,
    // is flushed all the same.
    s.flush = durability == Durability::Flushed || !exists || !RenameOrdersData(FolderOf(s.target));
}

FileReplacement::~FileReplacement() {
    State& s = *state_;
    // Removed while still locked, so that the name never stands for an
    // unlocked file of ours.
    if (!s.committed && !s.temp.empty()) unlink(s.temp.c_str());
    if (s.fd >= 0) close(s.fd);
}

void FileReplacement::Reserve(std::size_t size) {
    State& s = *state_;
    s.size = size;
    if (s.inPlace) {
        s.memory.assign(size, 0);
        return;
    }
    if (s.fd < 0 || !s.failure.empty()) return;
    // Reserving the whole size lays the file out in one piece, which makes
    // the write and the flush cheaper, and a full disk shows up before
    // anything is written. Not for a file that is not flushed: ext4 writes
    // reserved blocks back without ordering them before the rename, so after
    // a power cut the name could hold a file of zeros. File systems that
    // cannot reserve simply write as usual.
    if (s.flush && size > 0 && fallocate(s.fd, 0, 0, static_cast<off_t>(size)) != 0 && errno == ENOSPC)
        s.Fail("一時ファイルに書き込めませんでした", s.temp);
}

void FileReplacement::WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) {
    State& s = *state_;
    if (s.inPlace) {
        if (offset <= s.memory.size() && size <= s.memory.size() - offset) std::memcpy(s.memory.data() + offset, data, size);
        return;
    }
    if (s.fd < 0 || !s.failure.empty()) return;
    while (size > 0) {
        const ssize_t n = pwrite(s.fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            s.Fail("一時ファイルに書き込めませんでした", s.temp);
            return;
        }
        data += n;
        offset += static_cast<std::size_t>(n);
        size -= static_cast<std::size_t>(n);
    }
}

bool FileReplacement::Commit(std::string& why) {
    State& s = *state_;
    if (s.committed) return true;
    if (s.failure.empty() && s.inPlace) {
        s.committed = WriteInPlace(s.target, s.memory.data(), s.memory.size(), why);
        return s.committed;
    }
    if (s.failure.empty()) {
        // Flushed before the rename where the rename alone would not order
        // the data, so that after a crash the name holds either the old file
        // or the whole new one. The target may have gone meanwhile.
        struct stat st {};
        const bool flush = s.flush || stat(s.target.c_str(), &st) != 0;
        if (flush && fsync(s.fd) != 0) s.Fail("一時ファイルに書き込めませんでした", s.temp);
    }
    if (s.failure.empty() && rename(s.temp.c_str(), s.target.c_str()) != 0) s.Fail("ファイルを置き換えられませんでした", s.target);
    if (s.failure.empty()) {
        s.committed = true;
        const int fd = s.fd;
        s.fd = -1;
        if (close(fd) != 0) {
            why = ErrorText("書き込めませんでした", s.target);
            return false;
        }
        return true;
    }
    why = s.failure;
    return false;
}

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size, std::string& why) {
    FileReplacement file(path, Durability::Flushed);
    file.Reserve(size);
    file.WriteAt(0, static_cast<const unsigned char*>(data), size);
    return file.Commit(why);
}

bool KeepFileAs(const std::string& path, const std::string& keep, std::string& why) {
    if (unlink(keep.c_str()) != 0 && errno != ENOENT) {
        why = ErrorText("ファイルを置き換えられませんでした", keep);
        return false;
    }
    // A second name for the same file: the file itself is never touched, so
    // the name `path` holds it whole at every moment.
    if (linkat(AT_FDCWD, path.c_str(), AT_FDCWD, keep.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != ENOTSUP && errno != EOPNOTSUPP) {
        why = ErrorText("ファイルに別の名前を付けられませんでした", path + " → " + keep);
        return false;
    }
    // A file system without hard links: a copy, made whole under a temporary
    // name first.
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes, std::size_t{1} << 31, why)) return false;
    FileReplacement copy(keep, Durability::Remakable);
    copy.Reserve(bytes.size());
    copy.WriteAt(0, bytes.data(), bytes.size());
    return copy.Commit(why);
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string& why) {
    const std::string target = FinalTarget(to);
    if (rename(from.c_str(), target.c_str()) == 0) return true;
    why = ErrorText("ファイルを置き換えられませんでした", from + " → " + target);
    return false;
}

}  // namespace sarvo::platform
