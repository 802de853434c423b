#include "core/pure/exif.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/pure/bytes.h"

namespace sarvo {
namespace {

constexpr int kUpright = 1;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;

// The orientation tag of IFD0 in the TIFF structure that an Exif block holds.
int TiffOrientation(const unsigned char* tiff, std::size_t size) {
    if (size < 8) return kUpright;
    bool bigEndian;
    if (std::memcmp(tiff, "II\x2A\x00", 4) == 0)
        bigEndian = false;
    else if (std::memcmp(tiff, "MM\x00\x2A", 4) == 0)
        bigEndian = true;
    else
        return kUpright;
    auto get16 = [&](std::size_t at) { return bigEndian ? GetBe16(tiff + at) : GetLe16(tiff + at); };
    auto get32 = [&](std::size_t at) { return bigEndian ? GetBe32(tiff + at) : GetLe32(tiff + at); };

    const std::size_t ifd = get32(4);
    if (ifd < 8 || ifd > size - 2) return kUpright;
    const std::size_t entries = get16(ifd);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + i * 12;
        // Written so that nothing can wrap: an Exif block may be shorter than
        // one entry.
        if (entry > size || size - entry < 12) break;
        if (get16(entry) != kOrientationTag) continue;
        const std::uint16_t type = get16(entry + 2);
        if (get32(entry + 4) != 1) return kUpright;
        std::uint32_t value;
        if (type == kTypeShort)
            value = get16(entry + 8);
        else if (type == kTypeLong)
            value = get32(entry + 8);
        else
            return kUpright;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : kUpright;
    }
    return kUpright;
}

// Where the pixel shown at (x, y) of the upright picture lies in the stored
// one, for the orientations that swap width and height. `w` and `h` are the
// stored picture's width and height.
std::pair<int, int> StoredPositionSwapped(int orientation, int x, int y, int w, int h) {
    switch (orientation) {
    case 5: return {y, x};
    case 6: return {y, h - 1 - x};
    case 7: return {w - 1 - y, h - 1 - x};
    default: return {w - 1 - y, x};  // 8
    }
}

void MirrorRows(Bitmap& bitmap) {
    const int w = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        unsigned char* row = bitmap.Row(y);
        for (int l = 0, r = w - 1; l < r; ++l, --r)
            std::swap_ranges(row + l * 3, row + l * 3 + 3, row + r * 3);
    }
}

void FlipRows(Bitmap& bitmap) {
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
    for (int top = 0, bottom = bitmap.Height() - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(bitmap.Row(top), bitmap.Row(top) + bytes, bitmap.Row(bottom));
}

bool TurnQuarter(Bitmap& bitmap, int orientation, std::string& why) {
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    Bitmap turned;
    if (!turned.Allocate(h, w, why)) return false;
    // In tiles, so that both the rows read and the rows written stay in cache.
    constexpr int kTile = 64;
    for (int ty = 0; ty < w; ty += kTile) {
        for (int tx = 0; tx < h; tx += kTile) {
            for (int y = ty; y < std::min(ty + kTile, w); ++y) {
                unsigned char* dst = turned.Row(y) + tx * 3;
                for (int x = tx; x < std::min(tx + kTile, h); ++x, dst += 3) {
                    const auto [sx, sy] = StoredPositionSwapped(orientation, x, y, w, h);
                    const unsigned char* src = bitmap.Row(sy) + sx * 3;
                    dst[0] = src[0];
                    dst[1] = src[1];
                    dst[2] = src[2];
                }
            }
        }
    }
    bitmap = std::move(turned);
    return true;
}

}  // namespace

bool IsExifBlock(const unsigned char* body, std::size_t size) {
    return size >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0;
}

int ExifBlockOrientation(const unsigned char* body, std::size_t size) {
    return IsExifBlock(body, size) ? TiffOrientation(body + 6, size - 6) : kUpright;
}

int TiffExifOrientation(const unsigned char* data, std::size_t size) {
    return IsExifBlock(data, size) ? ExifBlockOrientation(data, size) : TiffOrientation(data, size);
}

int PngExifOrientation(const unsigned char* data, std::size_t size) {
    if (size < 8 || std::memcmp(data, "\x89PNG\r\n\x1A\n", 8) != 0) return kUpright;
    // Chunks: length, type, data, checksum.
    for (std::size_t at = 8; size - at >= 12;) {
        const std::size_t length = GetBe32(data + at);
        const unsigned char* type = data + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
        if (length > size - at - 12) break;
        if (std::memcmp(type, "eXIf", 4) == 0) return TiffExifOrientation(data + at + 8, length);
        at += 12 + length;
    }
    return kUpright;
}

int WebPExifOrientation(const unsigned char* data, std::size_t size) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WEBP", 4) != 0) return kUpright;
    // Chunks: four letters, a little-endian length, the data padded to even.
    for (std::size_t at = 12; size - at >= 8;) {
        const std::size_t length = GetLe32(data + at + 4);
        if (length > size - at - 8) break;
        if (std::memcmp(data + at, "EXIF", 4) == 0) return TiffExifOrientation(data + at + 8, length);
        at += 8 + length + (length & 1);
        if (at > size) break;
    }
    return kUpright;
}

int OrientationOfTransforms(int quarterTurns, int mirror) {
    // Rows: no mirror, top and bottom exchanged, left and right exchanged;
    // columns: the quarter turns.
    static const int kOrientation[3][4] = {{1, 8, 3, 6}, {4, 5, 2, 7}, {2, 7, 4, 5}};
    if (quarterTurns < 0 || quarterTurns > 3 || mirror < -1 || mirror > 1) return kUpright;
    return kOrientation[mirror + 1][quarterTurns];
}

int JpegExifOrientation(const unsigned char* data, std::size_t size) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return kUpright;
    std::size_t pos = 2;
    while (pos < size) {
        if (data[pos] != 0xFF) return kUpright;
        while (pos < size && data[pos] == 0xFF) ++pos;  // fill bytes
        if (pos >= size) break;
        const unsigned marker = data[pos++];
        // Markers that stand alone, without a length.
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
        // The Exif block sits among the headers, before the first scan.
        if (marker == 0xDA || marker == 0xD9) break;
        if (size - pos < 2) break;
        const std::size_t length = GetBe16(data + pos);
        if (length < 2 || length > size - pos) break;
        const unsigned char* body = data + pos + 2;
        const std::size_t bodySize = length - 2;
        if (marker == 0xE1 && IsExifBlock(body, bodySize)) return ExifBlockOrientation(body, bodySize);
        pos += length;
    }
    return kUpright;
}

bool ApplyExifOrientation(Bitmap& bitmap, int orientation, std::string& why) {
    if (bitmap.Empty()) return true;
    switch (orientation) {
    case 2: MirrorRows(bitmap); return true;
    case 3: MirrorRows(bitmap); FlipRows(bitmap); return true;
    case 4: FlipRows(bitmap); return true;
    case 5:
    case 6:
    case 7:
    case 8: return TurnQuarter(bitmap, orientation, why);
    default: return true;
    }
}

}  // namespace sarvo
