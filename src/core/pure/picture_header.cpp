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

std::optional<PictureSize> BmpSize(const ReadBytesAt& read) {
    unsigned char h[26];
    if (read(0, h, sizeof h) < sizeof h) return std::nullopt;
    if (GetLe32(h + 14) == 12) return SizeOf(GetLe16(h + 18), GetLe16(h + 20));  // the OS/2 core header
    const auto height = static_cast<std::int32_t>(GetLe32(h + 22));
    const long absolute = height < 0 ? -static_cast<long>(height) : height;
    return SizeOf(static_cast<std::int32_t>(GetLe32(h + 18)), absolute);
}

std::optional<PictureSize> GifSize(const ReadBytesAt& read) {
    unsigned char h[10];
    if (read(0, h, sizeof h) < sizeof h) return std::nullopt;
    return SizeOf(GetLe16(h + 6), GetLe16(h + 8));
}

// At most 4 KiB of a chunk or box body holding Exif: the orientation lies
// in the first directory, at its start.
constexpr std::size_t kExifBytes = 4096;

std::vector<unsigned char> Body(const ReadBytesAt& read, std::uint64_t at, std::uint64_t length) {
    std::vector<unsigned char> body(static_cast<std::size_t>(std::min<std::uint64_t>(length, kExifBytes)));
    body.resize(read(at, body.data(), body.size()));
    return body;
}

std::optional<PictureSize> Turned(const std::optional<PictureSize>& size, int orientation) {
    if (!size || orientation < 5) return size;
    return PictureSize{size->height, size->width};
}

// The frame headers: SOF0 to SOF15 but DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(unsigned char marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureSize> JpegSize(const ReadBytesAt& read) {
    // Enough for any real file's segments before its frame header, and a
    // bound on what a hostile one can make us read.
    constexpr int kMostSegments = 4096;
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
            const std::vector<unsigned char> body = Body(read, at + 4, length - 2);
            if (IsExifBlock(body.data(), body.size())) {
                exifSeen = true;
                orientation = ExifBlockOrientation(body.data(), body.size());
            }
        }
        at += 2 + length;
    }
    return std::nullopt;
}

// The image header, then the chunks up to the picture data for an eXIf one.
std::optional<PictureSize> PngSize(const ReadBytesAt& read) {
    Window file(read);
    const unsigned char* h = file.At(8, 16);
    if (h == nullptr || std::memcmp(h + 4, "IHDR", 4) != 0) return std::nullopt;
    const std::optional<PictureSize> size = SizeOf(GetBe32(h + 8), GetBe32(h + 12));
    std::uint64_t at = 8;
    for (int chunk = 0; chunk < 4096; ++chunk) {
        const unsigned char* c = file.At(at, 8);
        if (c == nullptr || std::memcmp(c + 4, "IDAT", 4) == 0) break;
        const std::uint32_t length = GetBe32(c);
        if (std::memcmp(c + 4, "eXIf", 4) == 0) {
            const std::vector<unsigned char> exif = Body(read, at + 8, length);
            return Turned(size, TiffExifOrientation(exif.data(), exif.size()));
        }
        at += 12 + std::uint64_t{length};
    }
    return size;
}

std::uint32_t GetLe24(const unsigned char* p) { return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16); }

// The first chunk says it: the extended header's canvas (whose file may hold
// an EXIF chunk, after the picture), or the one frame's.
std::optional<PictureSize> WebPSize(const ReadBytesAt& read) {
    unsigned char h[30];
    if (read(0, h, sizeof h) < sizeof h) return std::nullopt;
    if (std::memcmp(h + 12, "VP8X", 4) == 0) {
        const std::optional<PictureSize> size = SizeOf(GetLe24(h + 24) + 1L, GetLe24(h + 27) + 1L);
        if ((h[20] & 0x08) == 0) return size;  // no EXIF chunk
        Window file(read);
        const std::uint64_t end = 8 + std::uint64_t{GetLe32(h + 4)};
        std::uint64_t at = 12;
        for (int chunk = 0; chunk < 4096 && at + 8 <= end; ++chunk) {
            const unsigned char* c = file.At(at, 8);
            if (c == nullptr) break;
            const std::uint32_t length = GetLe32(c + 4);
            if (std::memcmp(c, "EXIF", 4) == 0) {
                const std::vector<unsigned char> exif = Body(read, at + 8, length);
                return Turned(size, TiffExifOrientation(exif.data(), exif.size()));
            }
            at += 8 + std::uint64_t{length} + (length & 1);
        }
        return size;
    }
    if (std::memcmp(h + 12, "VP8L", 4) == 0 && h[20] == 0x2F) {
        const std::uint32_t bits = GetLe32(h + 21);
        return SizeOf((bits & 0x3FFF) + 1L, ((bits >> 14) & 0x3FFF) + 1L);
    }
    if (std::memcmp(h + 12, "VP8 ", 4) == 0 && h[23] == 0x9D && h[24] == 0x01 && h[25] == 0x2A)
        return SizeOf(GetLe16(h + 26) & 0x3FFF, GetLe16(h + 28) & 0x3FFF);
    return std::nullopt;
}

// The boxes of an ISO media file (AVIF, HEIF, the JPEG XL container) from
// `at` to `end`: `visit` gets each box's type, where its body starts and
// where it ends, and says whether to go inside it (its body then holds
// boxes, after `skip` bytes). Bounded by a number of boxes.
struct Boxes {
    Window& file;
    int left = 4096;

    template <typename Visit>
    void Walk(std::uint64_t at, std::uint64_t end, const Visit& visit) {
        while (at + 8 <= end && left-- > 0) {
            const unsigned char* h = file.At(at, 16);
            if (h == nullptr && (h = file.At(at, 8)) == nullptr) return;
            std::uint64_t size = GetBe32(h), body = at + 8;
            if (size == 1) {
                if (file.At(at, 16) == nullptr) return;
                h = file.At(at, 16);
                size = (static_cast<std::uint64_t>(GetBe32(h + 8)) << 32) | GetBe32(h + 12);
                body = at + 16;
            } else if (size == 0) {
                size = end - at;
            }
            if (size < body - at || at + size > end) return;
            char type[5] = {};
            std::memcpy(type, h + 4, 4);
            std::uint64_t skip = 0;
            if (visit(std::string_view(type), body, at + size, skip)) Walk(body + skip, at + size, visit);
            at += size;
        }
    }
};

// Where the data of `item` starts within the idat box, by the item
// location box (iloc) whose body is at `body`: only for data kept in idat
// (construction method 1) in one extent.
std::optional<std::uint64_t> IdatOffset(Window& file, std::uint64_t body, std::uint64_t end, std::uint32_t item) {
    const unsigned char* h = file.At(body, 8);
    if (h == nullptr) return std::nullopt;
    const int version = h[0];
    const int offsetSize = h[4] >> 4, lengthSize = h[4] & 15, baseSize = h[5] >> 4;
    const int indexSize = version >= 1 ? h[5] & 15 : 0;
    const auto number = [&](std::uint64_t at, int size) -> std::optional<std::uint64_t> {
        const unsigned char* n = size == 0 ? nullptr : file.At(at, static_cast<std::size_t>(size));
        if (size == 0) return 0;
        if (n == nullptr || (size != 4 && size != 8)) return std::nullopt;
        return size == 4 ? std::uint64_t{GetBe32(n)} : (std::uint64_t{GetBe32(n)} << 32) | GetBe32(n + 4);
    };
    const unsigned char* c = file.At(body + 6, 4);
    if (c == nullptr) return std::nullopt;
    const std::uint32_t count = version < 2 ? GetBe16(c) : GetBe32(c);
    std::uint64_t at = body + 6 + (version < 2 ? 2 : 4);
    for (std::uint32_t i = 0; i < count && i < 65536 && at < end; ++i) {
        const unsigned char* e = file.At(at, 8);
        if (e == nullptr) return std::nullopt;
        const std::uint32_t id = version < 2 ? GetBe16(e) : GetBe32(e);
        at += version < 2 ? 2 : 4;
        int method = 0;
        if (version >= 1) {
            const unsigned char* m = file.At(at, 2);
            if (m == nullptr) return std::nullopt;
            method = m[1] & 15;
            at += 2;
        }
        at += 2;  // the data reference
        const std::optional<std::uint64_t> base = number(at, baseSize);
        at += static_cast<std::uint64_t>(baseSize);
        const unsigned char* n = file.At(at, 2);
        if (!base || n == nullptr) return std::nullopt;
        const unsigned extents = GetBe16(n);
        at += 2;
        const std::uint64_t first = at + static_cast<std::uint64_t>(indexSize);
        if (id == item) {
            const std::optional<std::uint64_t> offset = number(first, offsetSize);
            if (method != 1 || extents != 1 || !offset) return std::nullopt;
            return *base + *offset;
        }
        at += std::uint64_t{extents} * static_cast<std::uint64_t>(indexSize + offsetSize + lengthSize);
    }
    return std::nullopt;
}

// The primary item's properties (pitm names it, ipma lists which of
// ipco's properties belong to it): its spatial extent, cut to its clean
// aperture where it has one (a coded picture is made of whole blocks), and
// a rotation by a quarter swaps its sides. A grid (phones' pictures, in
// tiles) has its size in its descriptor, in the file's own data box (idat),
// whatever its spatial extent says: writers disagree on whether that is
// before the rotation or after it.
std::optional<PictureSize> IsoMediaSize(const ReadBytesAt& read) {
    Window file(read);
    Boxes boxes{file};
    std::uint32_t primary = 0;
    bool grid = false;
    std::optional<std::uint64_t> gridOffset;  // the primary's data within idat
    std::uint64_t idat = 0;
    std::vector<std::pair<std::string, std::uint64_t>> properties;  // ipco's, in order: type, body
    std::vector<std::uint32_t> associated;                           // the primary's, counted from 1
    const auto ipma = [&](std::uint64_t body, std::uint64_t end) {
        const unsigned char* h = file.At(body, 8);
        if (h == nullptr) return;
        const bool wideIds = h[0] >= 1, wideIndexes = (h[3] & 1) != 0;
        std::uint64_t at = body + 8;
        for (std::uint32_t entry = 0, count = GetBe32(h + 4); entry < count && entry < 65536 && at < end; ++entry) {
            const unsigned char* e = file.At(at, 5);
            if (e == nullptr) return;
            const std::uint32_t item = wideIds ? GetBe32(e) : GetBe16(e);
            const unsigned n = e[wideIds ? 4 : 2];
            at += wideIds ? 5 : 3;
            for (unsigned i = 0; i < n; ++i, at += wideIndexes ? 2 : 1) {
                const unsigned char* index = file.At(at, 2);
                if (index == nullptr) return;
                if (item == primary) associated.push_back(wideIndexes ? GetBe16(index) & 0x7FFFu : index[0] & 0x7Fu);
            }
        }
    };
    boxes.Walk(0, UINT64_MAX, [&](std::string_view type, std::uint64_t body, std::uint64_t end, std::uint64_t& skip) {
        if (type == "meta") skip = 4;  // its version and flags
        if (type == "pitm") {
            const unsigned char* p = file.At(body, 8);
            if (p != nullptr) primary = p[0] == 0 ? GetBe16(p + 4) : GetBe32(p + 4);
        }
        if (type == "ipma") ipma(body, end);
        if (type == "iinf") {
            const unsigned char* h = file.At(body, 4);
            const std::uint64_t entries = body + (h != nullptr && h[0] == 0 ? 6 : 8);
            boxes.Walk(entries, end, [&](std::string_view entry, std::uint64_t at, std::uint64_t, std::uint64_t&) {
                const unsigned char* e = file.At(at, 12);
                if (entry != "infe" || e == nullptr || e[0] < 2) return false;
                const std::uint32_t item = e[0] == 2 ? GetBe16(e + 4) : GetBe32(e + 4);
                if (item == primary && std::memcmp(e + (e[0] == 2 ? 8 : 10), "grid", 4) == 0) grid = true;
                return false;
            });
        }
        if (type == "iloc") gridOffset = IdatOffset(file, body, end, primary);
        if (type == "idat") idat = body;
        if (type == "ipco") {
            boxes.Walk(body, end, [&](std::string_view property, std::uint64_t at, std::uint64_t, std::uint64_t&) {
                properties.emplace_back(property, at);
                return false;
            });
        }
        return type == "meta" || type == "iprp";
    });
    long width = 0, height = 0, clapWidth = 0, clapHeight = 0;
    bool turned = false;
    for (const std::uint32_t index : associated) {
        if (index == 0 || index > properties.size()) continue;
        const auto& [type, body] = properties[index - 1];
        const unsigned char* p = file.At(body, 16);
        if (p == nullptr) continue;
        if (type == "ispe") {
            width = GetBe32(p + 4);
            height = GetBe32(p + 8);
        }
        if (type == "irot") turned = (p[0] & 1) != 0;
        if (type == "clap" && GetBe32(p + 4) != 0 && GetBe32(p + 12) != 0) {
            clapWidth = GetBe32(p) / GetBe32(p + 4);
            clapHeight = GetBe32(p + 8) / GetBe32(p + 12);
        }
    }
    if (clapWidth > 0 && clapHeight > 0 && clapWidth <= width && clapHeight <= height) {
        width = clapWidth;
        height = clapHeight;
    }
    // The descriptor: version, flags, rows and columns less one, then the
    // output width and height in 16 bits (32 with flag 1).
    const unsigned char* g = grid && gridOffset && idat != 0 ? file.At(idat + *gridOffset, 12) : nullptr;
    if (g != nullptr) {
        width = (g[1] & 1) != 0 ? GetBe32(g + 4) : GetBe16(g + 4);
        height = (g[1] & 1) != 0 ? GetBe32(g + 8) : GetBe16(g + 6);
    }
    return turned ? SizeOf(height, width) : SizeOf(width, height);
}

// The bits of a JPEG XL code stream, least significant first.
class Bits {
public:
    Bits(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t Take(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++at_)
            if (at_ / 8 < size_ && (data_[at_ / 8] >> (at_ % 8) & 1) != 0) value |= 1u << i;
        return value;
    }
    bool Ended() const { return at_ > size_ * 8; }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A side of the size header: a multiple of 8 in 5 bits, or one of four
// widths of number.
long JxlSide(Bits& bits, bool small) {
    if (small) return (bits.Take(5) + 1L) * 8;
    static constexpr int kWidths[] = {9, 13, 18, 30};
    return bits.Take(kWidths[bits.Take(2)]) + 1L;
}

std::optional<PictureSize> JxlSize(const ReadBytesAt& read) {
    Window file(read);
    std::uint64_t stream = 2;  // a bare code stream, after its signature
    const unsigned char* head = file.At(0, 2);
    if (head == nullptr) return std::nullopt;
    if (head[0] == 0) {  // the container: the code stream is in the first jxlc or jxlp box
        stream = 0;
        Boxes boxes{file};
        boxes.Walk(0, UINT64_MAX, [&](std::string_view type, std::uint64_t body, std::uint64_t, std::uint64_t&) {
            if (stream == 0 && (type == "jxlc" || type == "jxlp")) stream = body + (type == "jxlp" ? 4 : 0) + 2;
            return false;
        });
        if (stream == 0) return std::nullopt;
    }
    const unsigned char* s = file.At(stream, 12);
    if (s == nullptr) return std::nullopt;
    Bits bits(s, 12);
    const bool small = bits.Take(1) != 0;
    const long height = JxlSide(bits, small);
    static constexpr long kRatios[8][2] = {{0, 0}, {1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}};
    const std::uint32_t ratio = bits.Take(3);
    const long width = ratio == 0 ? JxlSide(bits, small) : height * kRatios[ratio][0] / kRatios[ratio][1];
    // The image metadata: unless all default, its extra fields hold the
    // orientation.
    int orientation = 1;
    if (bits.Take(1) == 0 && bits.Take(1) != 0) orientation = static_cast<int>(bits.Take(3)) + 1;
    if (bits.Ended()) return std::nullopt;
    return Turned(SizeOf(width, height), orientation);
}

}  // namespace

std::optional<PictureSize> ReadFormatSize(PictureFormat format, const ReadBytesAt& read) {
    switch (format) {
    case PictureFormat::Bmp: return BmpSize(read);
    case PictureFormat::Gif: return GifSize(read);
    case PictureFormat::Jpeg: return JpegSize(read);
    case PictureFormat::Png: return PngSize(read);
    case PictureFormat::WebP: return WebPSize(read);
    case PictureFormat::Avif:
    case PictureFormat::Heif: return IsoMediaSize(read);
    case PictureFormat::JpegXl: return JxlSize(read);
    case PictureFormat::Unknown: break;
    }
    return std::nullopt;
}

std::optional<PictureSize> ReadPictureSize(const ReadBytesAt& read, PictureFormats formats) {
    std::array<unsigned char, kFormatHeadBytes> head{};
    const std::size_t size = read(0, head.data(), head.size());
    return ReadFormatSize(DetectPictureFormat(head.data(), size, formats), read);
}

}  // namespace sarvo
