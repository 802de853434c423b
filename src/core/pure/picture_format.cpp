#include "core/pure/picture_format.h"

#include <cstring>

#include "core/pure/bytes.h"

namespace sarvo {

namespace {

bool StartsWith(const unsigned char* head, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(head, magic, n) == 0;
}

bool IsBrand(const unsigned char* brand, const char* const* brands) {
    for (; *brands != nullptr; ++brands)
        if (std::memcmp(brand, *brands, 4) == 0) return true;
    return false;
}

// HEIF and AVIF files are ISO media files: a first box "ftyp" names the
// brands the file conforms to. AV1 pictures carry "avif" (or "avis" for a
// sequence) among them, whatever else they claim; HEVC pictures and the
// generic image brands are HEIF.
PictureFormat BrandedFormat(const unsigned char* head, std::size_t size) {
    if (size < 16 || std::memcmp(head + 4, "ftyp", 4) != 0) return PictureFormat::Unknown;
    static const char* const kAv1[] = {"avif", "avis", nullptr};
    static const char* const kHeif[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs",
                                        "mif1", "msf1", nullptr};
    const std::size_t boxSize = GetBe32(head);
    const std::size_t end = boxSize < size ? boxSize : size;
    bool heif = false;
    // The major brand at 8, the minor version at 12, compatible brands from 16.
    for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        if (IsBrand(head + at, kAv1)) return PictureFormat::Avif;
        heif = heif || IsBrand(head + at, kHeif);
    }
    return heif ? PictureFormat::Heif : PictureFormat::Unknown;
}

PictureFormat MoreFormat(const unsigned char* head, std::size_t size) {
    if (StartsWith(head, size, "\x89PNG\r\n\x1A\n", 8)) return PictureFormat::Png;
    if (StartsWith(head, size, "RIFF", 4) && size >= 12 && std::memcmp(head + 8, "WEBP", 4) == 0)
        return PictureFormat::WebP;
    // A bare code stream, or the container whose first box says so.
    if (StartsWith(head, size, "\xFF\x0A", 2) || StartsWith(head, size, "\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12))
        return PictureFormat::JpegXl;
    return BrandedFormat(head, size);
}

}  // namespace

PictureFormat DetectPictureFormat(const unsigned char* head, std::size_t size, PictureFormats formats) {
    if (StartsWith(head, size, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
    if (StartsWith(head, size, "GIF87a", 6) || StartsWith(head, size, "GIF89a", 6)) return PictureFormat::Gif;
    if (StartsWith(head, size, "BM", 2)) return PictureFormat::Bmp;
    return formats == PictureFormats::More ? MoreFormat(head, size) : PictureFormat::Unknown;
}

const char* PictureFormatName(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::WebP: return "WebP";
    case PictureFormat::Avif: return "AVIF";
    case PictureFormat::Heif: return "HEIF";
    case PictureFormat::JpegXl: return "JPEG XL";
    case PictureFormat::Unknown: break;
    }
    return "";
}

}  // namespace sarvo
