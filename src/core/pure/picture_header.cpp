#include "core/pure/picture_header.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "core/pure/bytes.h"
#include "core/pure/exif.h"

namespace sarvo {

namespace {

// The file seen through one window of 4 KiB, moved only when a read falls
// outside it: a JPEG file's segment headers before its frame header mostly
// lie in its first few kilobytes, so they cost one or two reads in all.
class Window {
public:
    explicit Window(const ReadBytesAt& read) : read_(read) {}

    // The `count` bytes at `offset` (count <= kSize), or null when the file
    // ends before them.
    const unsigned char* At(std::uint64_t offset, std::size_t count) {
        if (offset < start_ || offset + count > start_ + length_) {
            start_ = offset;
            length_ = read_(offset, bytes_.data(), bytes_.size());
        }
        return offset + count <= start_ + length_ ? bytes_.data() + (offset - start_) : nullptr;
    }

    static constexpr std::size_t kSize = 4096;

private:
    const ReadBytesAt& read_;
    std::array<unsigned char, kSize> bytes_{};
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
};

bool Positive(long width, long height) { return width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX; }

std::optional<PictureSize> SizeOf(long width, long height) {
    if (!Positive(width, height)) return std::nullopt;
    return PictureSize{static_cast<int>(width), static_cast<int>(height)};
}

bool IsBmp(const unsigned char* head, std::size_t size) { return size >= 2 && head[0] == 'B' && head[1] == 'M'; }

std::optional<PictureSize> BmpSize(const ReadBytesAt& read) {
    unsigned char h[26];
    if (read(0, h, sizeof h) < sizeof h) return std::nullopt;
    if (GetLe32(h + 14) == 12) return SizeOf(GetLe16(h + 18), GetLe16(h + 20));  // the OS/2 core header
    const auto height = static_cast<std::int32_t>(GetLe32(h + 22));
    const long absolute = height < 0 ? -static_cast<long>(height) : height;
    return SizeOf(static_cast<std::int32_t>(GetLe32(h + 18)), absolute);
}

bool IsGif(const unsigned char* head, std::size_t size) {
    return size >= 6 && (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0);
}

std::optional<PictureSize> GifSize(const ReadBytesAt& read) {
    unsigned char h[10];
    if (read(0, h, sizeof h) < sizeof h) return std::nullopt;
    return SizeOf(GetLe16(h + 6), GetLe16(h + 8));
}

bool IsJpeg(const unsigned char* head, std::size_t size) {
    return size >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

// The frame headers: SOF0 to SOF15 but DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(unsigned char marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureSize> JpegSize(const ReadBytesAt& read) {
    // Enough for any real file's segments before its frame header, and a
    // bound on what a hostile one can make us read.
    constexpr int kMostSegments = 4096;
    constexpr std::size_t kExifBytes = 4096;
    Window file(read);
    std::uint64_t at = 2;
    int orientation = 1;
    bool exifSeen = false;
    for (int segment = 0; segment < kMostSegments; ++segment) {
        const unsigned char* m = file.At(at, 2);
        if (m == nullptr || m[0] != 0xFF) return std::nullopt;
        const unsigned char marker = m[1];
        if (marker == 0xFF) {  // a fill byte before the marker
            ++at;
            continue;
        }
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // the data, before any frame header
        const unsigned char* l = file.At(at + 2, 2);
        if (l == nullptr || GetBe16(l) < 2) return std::nullopt;
        const std::size_t length = GetBe16(l);
        if (IsFrameHeader(marker)) {
            const unsigned char* f = file.At(at + 4, 5);
            if (f == nullptr) return std::nullopt;
            const long height = GetBe16(f + 1), width = GetBe16(f + 3);
            // Orientations 5 to 8 turn the picture by a quarter.
            return orientation >= 5 ? SizeOf(height, width) : SizeOf(width, height);
        }
        if (marker == 0xE1 && !exifSeen) {
            std::vector<unsigned char> body(std::min(length - 2, kExifBytes));
            body.resize(read(at + 4, body.data(), body.size()));
            if (IsExifBlock(body.data(), body.size())) {
                exifSeen = true;
                orientation = ExifBlockOrientation(body.data(), body.size());
            }
        }
        at += 2 + length;
    }
    return std::nullopt;
}

constexpr std::array<HeaderFormat, 3> kClassic{{
    {"BMP", IsBmp, BmpSize},
    {"GIF", IsGif, GifSize},
    {"JPEG", IsJpeg, JpegSize},
}};

}  // namespace

std::span<const HeaderFormat> ClassicHeaderFormats() { return kClassic; }

std::optional<PictureSize> ReadPictureSize(const ReadBytesAt& read, std::span<const HeaderFormat> formats) {
    std::array<unsigned char, kHeaderSignatureBytes> head{};
    const std::size_t size = read(0, head.data(), head.size());
    for (const HeaderFormat& format : formats)
        if (format.matches(head.data(), size)) return format.read(read);
    return std::nullopt;
}

}  // namespace sarvo
