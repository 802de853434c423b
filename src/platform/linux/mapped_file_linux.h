// A file mapped read-only into memory.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "io_linux.h"

namespace sarvo::platform::linux_files {

// The bitmap file mapped read-only: the rows are read where they lie, and
// only the pages the screen needs are ever loaded.
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() {
        if (data_ != nullptr) munmap(data_, size_);
    }

    // Maps the whole of `path`, an ordinary file that is not empty; false
    // and `why` otherwise.
    bool Open(const std::string& path, std::string& why) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            why = linux_io::ErrorText("開けませんでした", path);
            return false;
        }
        struct stat st {};
        bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
        if (!ok) {
            why = "ビットマップ ファイルではありません：" + path;
        } else {
            size_ = static_cast<std::size_t>(st.st_size);
            void* mapped = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped == MAP_FAILED) {
                why = linux_io::ErrorText("読み込めませんでした", path);
                ok = false;
            } else {
                data_ = mapped;
            }
        }
        close(fd);
        return ok;
    }

    const unsigned char* data() const { return static_cast<const unsigned char*>(data_); }

    // Lets go of the pages read so far: they stay in the page cache, but no
    // longer count against this process, which keeps a large bitmap read a
    // band at a time from piling up in its memory.
    void Forget() const {
        if (data_ != nullptr) madvise(data_, size_, MADV_DONTNEED);
    }
    std::size_t size() const { return size_; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace sarvo::platform::linux_files
