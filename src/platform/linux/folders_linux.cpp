#include "platform/folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sarvo::platform {

// The entries come straight from getdents64 into a buffer of our own: a
// DIR stream would cost three more system calls a folder, which a walk of
// thousands of folders feels.
bool ListFolder(const std::string& folder, FolderListing& listing) {
    listing.entries.clear();
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return false;
    }
    listing.identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t got = getdents64(fd, buffer, sizeof buffer);
        if (got <= 0) break;  // the end, or a folder that went away meanwhile
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const dirent64*>(buffer + at);
            at += e->d_reclen;
            // Names beginning with a dot are hidden (and "." and ".." among them).
            if (e->d_name[0] == '.') continue;
            bool isFolder = e->d_type == DT_DIR;
            bool isFile = e->d_type == DT_REG;
            if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
                // Links count as what they lead to; a dangling link is nothing.
                struct stat target {};
                if (fstatat(fd, e->d_name, &target, 0) != 0) continue;
                isFolder = S_ISDIR(target.st_mode);
                isFile = S_ISREG(target.st_mode);
            }
            // Pipes, sockets and devices are left out: reading one as a picture
            // could block or never end.
            if (isFolder || isFile) listing.entries.push_back({e->d_name, isFolder});
        }
    }
    close(fd);
    return true;
}

FolderState ProbeFolder(const std::string& path) {
    struct stat st {};
    if (path.empty()) return FolderState::Missing;
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? FolderState::Exists : FolderState::Missing;
    // Only these say that the path names nothing; any other error (no right
    // to search a parent, an I/O error on a failing disk) leaves it open.
    const bool missing = errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG;
    return missing ? FolderState::Missing : FolderState::CannotTell;
}

}  // namespace sarvo::platform
