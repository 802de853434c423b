// Pictures are read whole into memory rather than mapped: a file cut short
// by another program while mapped would kill the changer with SIGBUS, and the
// compressed file is small beside the decoded bitmap.
// The kind of picture is told by its first bytes, never by its name, since
// files are often saved under the wrong extension.
#include <cstring>
#include <utility>
#include <vector>

#include "core/pure/bmp_reader.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// No picture file worth showing comes near this; it also bounds what one
// load may hold besides the decoded bitmap.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

bool StartsWith(const unsigned char* data, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

}  // namespace

bool LoadPicture(const std::string& path, Bitmap& bitmap, std::string& why) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes, kMaxFileBytes, why)) return false;
    if (bytes.empty()) {
        why = path + " is empty";
        return false;
    }
    const unsigned char* data = bytes.data();
    const std::size_t size = bytes.size();
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
