// Picture files are read in pieces as they are decoded, never mapped: a file
// cut short by another program while mapped would kill the changer with
// SIGBUS. Only the compressed formats whose libraries want their input
// whole (WebP, AVIF, JPEG XL) are read whole, into memory; their files are a
// small part of the bitmap's size.
//
// BMP, GIF, JPEG and PNG are decoded here; the other formats' decoders lie
// in modules of their own, loaded on their first picture
// (format_module_linux.h).
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

// Decodes the picture at `path` into `out`; its orientation, when the sink
// is to apply it, goes to `orientation` (and to `out`), else that is 1.
bool Decode(const std::string& path, PictureFormats formats, RowSink& out, int& orientation, std::string& why,
            std::string& missingDecoder) {
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
    if (!DecodePictureFile(file.fd(), static_cast<std::size_t>(st.st_size), formats, out, orientation, why,
                           missingDecoder)) {
        why = path + ": " + why;
        return false;
    }
    return true;
}

}  // namespace

bool DecodePictureFile(int fd, std::size_t size, PictureFormats formats, RowSink& out, int& orientation,
                       std::string& why, std::string& missingDecoder) {
    orientation = 1;
    unsigned char head[kFormatHeadBytes] = {};
    ssize_t got;
    do {
        got = pread(fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        why = std::string("cannot read the file: ") + std::strerror(errno);
        return false;
    }
    if (got == 0) {
        why = "the file is empty";
        return false;
    }
    // The kind of picture is told by its first bytes, never by its name,
    // since files are often saved under the wrong extension.
    const PictureFormat format = DetectPictureFormat(head, static_cast<std::size_t>(got), formats);
    switch (format) {
    case PictureFormat::Jpeg: return DecodeJpeg(fd, out, orientation, why);
    case PictureFormat::Gif: return DecodeGif(fd, out, why);
    case PictureFormat::Bmp: {
        FileBytes bytes(fd, size);
        return DecodeBmp(bytes, out, why);
    }
    case PictureFormat::Png: return DecodePng(fd, out, orientation, why);
    case PictureFormat::WebP:
    case PictureFormat::Avif:
    case PictureFormat::Heif:
    case PictureFormat::JpegXl: {
        // A system without the format's library gets no crash but the
        // format's name, as Windows without the codec.
        const FormatDecoder decode = LoadFormatDecoder(format, why);
        if (decode == nullptr) {
            missingDecoder = PictureFormatName(format);
            return false;
        }
        return decode(fd, size, out, orientation, why);
    }
    case PictureFormat::Unknown: break;
    }
    why = formats == PictureFormats::More ? "not a picture of a kind that is read"
                                          : "not a BMP, GIF or JPEG picture";
    return false;
}

bool LoadPicture(const std::string& path, Bitmap& bitmap, PictureFormats formats, std::string& why,
                 std::string& missingDecoder) {
    Bitmap decoded;
    int orientation = 1;
    if (!Decode(path, formats, decoded, orientation, why, missingDecoder)) return false;
    if (!ApplyExifOrientation(decoded, orientation, why)) {
        why = path + ": " + why;
        return false;
    }
    // The caller's bitmap is replaced only by a complete picture.
    bitmap = std::move(decoded);
    return true;
}

bool ConvertPicture(const std::string& path, ByteSink& file, PictureFormats formats, std::string& why,
                    std::string& missingDecoder) {
    BmpFileWriter writer(file);
    int orientation = 1;
    if (!Decode(path, formats, writer, orientation, why, missingDecoder)) return false;
    if (!writer.Finish(why)) {
        why = path + ": " + why;
        return false;
    }
    return true;
}

}  // namespace sarvo::platform
