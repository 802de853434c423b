// Pictures are read whole into memory with plain reads rather than mapped:
// a file cut short by another program while mapped would kill the changer
// with SIGBUS, and the compressed file is small beside the decoded bitmap.
// The kind of picture is told by its first bytes, never by its name, since
// files are often saved under the wrong extension.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "core/bmp_reader.h"
#include "picture.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// No picture file worth showing comes near this; it also bounds what one
// load may hold besides the decoded bitmap.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool ReadWhole(const std::string& path, std::unique_ptr<unsigned char[]>& bytes, std::size_t& size,
               std::string& why) {
    // Non-blocking, so that opening a named pipe does not wait for a writer.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        why = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        why = path + " is a folder, not a picture file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        why = path + " is not a regular file";
        return false;
    }
    if (st.st_size == 0) {
        why = path + " is empty";
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxFileBytes) {
        why = path + " is larger than 1 GiB";
        return false;
    }
    size = static_cast<std::size_t>(st.st_size);
    bytes = std::make_unique_for_overwrite<unsigned char[]>(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd.get(), bytes.get() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) break;  // shrunk since fstat: decode what is there
        done += static_cast<std::size_t>(n);
    }
    size = done;
    return true;
}

bool StartsWith(const unsigned char* data, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

}  // namespace

bool LoadPicture(const std::string& path, Bitmap& bitmap, std::string& why) {
    std::unique_ptr<unsigned char[]> bytes;
    std::size_t size = 0;
    if (!ReadWhole(path, bytes, size, why)) return false;

    const unsigned char* data = bytes.get();
    Bitmap decoded;
    bool ok;
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) {
        ok = DecodeJpeg(data, size, decoded, why);
    } else if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) {
        ok = DecodeGif(data, size, decoded, why);
    } else if (StartsWith(data, size, "BM", 2)) {
        ok = DecodeBmp(data, size, decoded, why);
    } else {
        why = path + " is not a BMP, GIF or JPEG picture";
        return false;
    }
    if (!ok) {
        why = path + ": " + why;
        return false;
    }
    // The caller's bitmap is replaced only by a complete picture.
    bitmap = std::move(decoded);
    return true;
}

}  // namespace sarvo::platform
