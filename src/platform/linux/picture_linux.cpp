// Picture files are read in pieces as they are decoded, never whole and never
// mapped: a file cut short by another program while mapped would kill the
// changer with SIGBUS.
// The kind of picture is told by its first bytes, never by its name, since
// files are often saved under the wrong extension.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "core/pure/bmp_reader.h"
#include "core/pure/exif.h"
#include "platform/picture.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// No picture file worth showing comes near this; it also bounds what one
// load may hold besides the decoded bitmap.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

class OpenFile {
public:
    explicit OpenFile(const std::string& path)
        // Non-blocking, so that opening a named pipe does not wait for a writer.
        : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (fd_ >= 0) close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

// A BMP file read in windows of at least 1 MiB as the reader moves through
// it. A file that shrinks meanwhile reads as cut short.
class FileBytes : public ByteSource {
public:
    FileBytes(int fd, std::size_t size) : fd_(fd), size_(size) {}
    std::size_t Size() const override { return size_; }

    const unsigned char* Fetch(std::size_t offset, std::size_t count) override {
        if (offset >= start_ && count <= length_ && offset - start_ <= length_ - count)
            return window_.data() + (offset - start_);
        if (offset > size_ || count > size_ - offset) return nullptr;
        window_.resize(std::max<std::size_t>(count, std::size_t{1} << 20));
        std::size_t got = 0;
        while (got < window_.size()) {
            const ssize_t n = pread(fd_, window_.data() + got, window_.size() - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        start_ = offset;
        length_ = got;
        return got >= count ? window_.data() : nullptr;
    }

private:
    int fd_;
    std::size_t size_;
    std::vector<unsigned char> window_;
    std::size_t start_ = 0, length_ = 0;
};

bool StartsWith(const unsigned char* data, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

// Decodes the picture at `path` into `out`; a JPEG file's orientation goes
// to `orientation` (and to `out`), every other file's is 1.
bool Decode(const std::string& path, RowSink& out, int& orientation, std::string& why) {
    orientation = 1;
    const OpenFile file(path);
    if (file.fd() < 0) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) {
        // A folder, a pipe or a device is never read: a pipe could block forever.
        why = path + " is not a regular file";
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) {
        why = path + " is larger than " + std::to_string(kMaxFileBytes) + " bytes";
        return false;
    }
    unsigned char magic[6] = {};
    ssize_t got;
    do {
        got = pread(file.fd(), magic, sizeof magic, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        why = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    const auto size = static_cast<std::size_t>(got);
    if (size == 0) {
        why = path + " is empty";
        return false;
    }
    bool ok;
    if (StartsWith(magic, size, "\xFF\xD8\xFF", 3)) {
        ok = DecodeJpeg(file.fd(), out, orientation, why);
    } else if (StartsWith(magic, size, "GIF87a", 6) || StartsWith(magic, size, "GIF89a", 6)) {
        ok = DecodeGif(file.fd(), out, why);
    } else if (StartsWith(magic, size, "BM", 2)) {
        FileBytes bytes(file.fd(), static_cast<std::size_t>(st.st_size));
        ok = DecodeBmp(bytes, out, why);
    } else {
        why = path + " is not a BMP, GIF or JPEG picture";
        return false;
    }
    if (!ok) why = path + ": " + why;
    return ok;
}

}  // namespace

bool LoadPicture(const std::string& path, Bitmap& bitmap, std::string& why) {
    Bitmap decoded;
    int orientation = 1;
    if (!Decode(path, decoded, orientation, why)) return false;
    if (!ApplyExifOrientation(decoded, orientation, why)) {
        why = path + ": " + why;
        return false;
    }
    // The caller's bitmap is replaced only by a complete picture.
    bitmap = std::move(decoded);
    return true;
}

bool ConvertPicture(const std::string& path, ByteSink& file, std::string& why) {
    BmpFileWriter writer(file);
    int orientation = 1;
    if (!Decode(path, writer, orientation, why)) return false;
    if (!writer.Finish(why)) {
        why = path + ": " + why;
        return false;
    }
    return true;
}

}  // namespace sarvo::platform
