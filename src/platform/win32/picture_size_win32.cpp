#include "picture_size_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/pure/bytes.h"

namespace sarvo::win32 {

namespace {

bool StartsWith(const unsigned char* bytes, std::size_t size, const char* magic) {
    const std::size_t n = std::strlen(magic);
    return size >= n && std::memcmp(bytes, magic, n) == 0;
}

bool BmpSize(const unsigned char* b, std::size_t size, DeclaredSize& d) {
    if (size < 26) return false;
    if (GetLe32(b + 14) == 12) {  // OS/2 core header: 16-bit sizes
        d.width = GetLe16(b + 18);
        d.height = GetLe16(b + 20);
        return true;
    }
    const auto width = static_cast<std::int32_t>(GetLe32(b + 18));
    const auto height = static_cast<std::int32_t>(GetLe32(b + 22));
    d.width = width;
    // A negative height means rows stored top-down; the size is its magnitude.
    d.height = height < 0 ? -static_cast<long>(height) : height;
    return true;
}

// Skips a chain of GIF data sub-blocks starting at `i`; returns the index
// after the terminator, or `size` when the chain is cut short.
std::size_t SkipSubBlocks(const unsigned char* b, std::size_t size, std::size_t i) {
    while (i < size && b[i] != 0) i += std::size_t{b[i]} + 1;
    return i < size ? i + 1 : size;
}

bool GifSize(const unsigned char* b, std::size_t size, DeclaredSize& d) {
    if (size < 13) return false;
    long width = GetLe16(b + 6);
    long height = GetLe16(b + 8);
    std::size_t i = 13;
    if (b[10] & 0x80) i += 3 * (std::size_t{1} << ((b[10] & 7) + 1));  // global colour table
    // Every frame is decoded into a picture of its own extent, which may pass
    // the declared screen.
    while (i < size) {
        if (b[i] == 0x3B) break;  // trailer
        if (b[i] == 0x21) {       // extension: label, then sub-blocks
            i = SkipSubBlocks(b, size, i + 2);
        } else if (b[i] == 0x2C && i + 10 <= size) {  // image descriptor
            width = std::max(width, long{GetLe16(b + i + 1)} + GetLe16(b + i + 5));
            height = std::max(height, long{GetLe16(b + i + 3)} + GetLe16(b + i + 7));
            const unsigned char packed = b[i + 9];
            i += 10;
            if (packed & 0x80) i += 3 * (std::size_t{1} << ((packed & 7) + 1));
            i = SkipSubBlocks(b, size, i + 1);  // after the LZW code size
        } else {
            break;  // damaged: the decoder will say so
        }
    }
    d.width = width;
    d.height = height;
    return true;
}

bool JpegSize(const unsigned char* b, std::size_t size, DeclaredSize& d) {
    std::size_t i = 2;
    while (i + 4 <= size) {
        if (b[i] != 0xFF) return false;
        const unsigned char marker = b[i + 1];
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;  // markers without a length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // no frame header before the data
        const std::size_t length = GetBe16(b + i + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 &&
                           marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (i + 9 > size) return false;
            d.height = GetBe16(b + i + 5);
            d.width = GetBe16(b + i + 7);
            return true;
        }
        i += 2 + length;
    }
    return false;
}

bool PngSize(const unsigned char* b, std::size_t size, DeclaredSize& d) {
    if (size < 24) return false;
    const std::uint32_t width = GetBe32(b + 16);
    const std::uint32_t height = GetBe32(b + 20);
    // Sizes beyond 2^31 are invalid PNG; they read as too large.
    d.width = width > 0x7FFFFFFFu ? 0x7FFFFFFFL : static_cast<long>(width);
    d.height = height > 0x7FFFFFFFu ? 0x7FFFFFFFL : static_cast<long>(height);
    return true;
}

}  // namespace

bool ReadDeclaredSize(const unsigned char* bytes, std::size_t size, DeclaredSize& declared) {
    declared = DeclaredSize{};
    if (StartsWith(bytes, size, "BM")) return BmpSize(bytes, size, declared);
    if (StartsWith(bytes, size, "GIF87a") || StartsWith(bytes, size, "GIF89a"))
        return GifSize(bytes, size, declared);
    if (StartsWith(bytes, size, "\xFF\xD8")) return JpegSize(bytes, size, declared);
    if (StartsWith(bytes, size, "\x89PNG\r\n\x1A\n")) return PngSize(bytes, size, declared);
    return false;
}

}  // namespace sarvo::win32
