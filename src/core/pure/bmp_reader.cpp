#include "core/pure/bmp_reader.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/pure/bytes.h"

namespace sarvo {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

// biCompression values.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kJpeg = 4;
constexpr std::uint32_t kPng = 5;
constexpr std::uint32_t kAlphaBitFields = 6;

struct Colour {
    unsigned char b = 0, g = 0, r = 0;
};

// One colour channel of a 16- or 32-bit pixel, given by its bit mask and
// scaled to eight bits whatever its width.
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask >> shift_) {}

    unsigned char Of(std::uint32_t pixel) const {
        if (max_ == 0) return 0;
        const std::uint64_t value = (pixel & mask_) >> shift_;
        return static_cast<unsigned char>((value * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_;
    int shift_;
    std::uint32_t max_;
};

// What the headers say, checked against the size of the file.
struct Layout {
    long width = 0;
    long height = 0;  // always positive; topDown tells the row order
    bool topDown = false;
    unsigned bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    std::array<Colour, 256> palette{};   // entries past the file's palette stay black
    std::size_t pixelOffset = 0;
};

bool Fail(std::string& why, const char* text) {
    why = text;
    return false;
}

bool IsKnownHeaderSize(std::uint32_t size) {
    // OS/2 1.x core header; Windows 3 info header and its 52- and 56-byte
    // bit-field extensions; OS/2 2.x; Windows 4 and 5.
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

bool CheckBitsAndCompression(const Layout& l, std::uint32_t headerSize, std::string& why) {
    // OS/2 2.x files give two of the numbers other meanings.
    if (headerSize == 64 && (l.compression == kBitFields || l.compression == kJpeg))
        return Fail(why, "BMP file uses OS/2 Huffman or RLE24 compression, which is not read");
    switch (l.compression) {
    case kRgb:
        if (l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8 || l.bits == 16 ||
            l.bits == 24 || l.bits == 32)
            return true;
        why = "BMP file has an unsupported bit depth of " + std::to_string(l.bits);
        return false;
    case kRle8:
        if (l.bits == 8) return true;
        return Fail(why, "BMP file uses RLE8 compression with a bit depth other than 8");
    case kRle4:
        if (l.bits == 4) return true;
        return Fail(why, "BMP file uses RLE4 compression with a bit depth other than 4");
    case kBitFields:
    case kAlphaBitFields:
        if (l.bits == 16 || l.bits == 32) return true;
        return Fail(why, "BMP file uses bit fields with a bit depth other than 16 or 32");
    case kJpeg:
    case kPng:
        return Fail(why, "BMP file holds an embedded JPEG or PNG picture, which is not read");
    default:
        why = "BMP file has an unknown compression type " + std::to_string(l.compression);
        return false;
    }
}

// The headers and palette lie within the first kHeadBytes of the file; every
// byte read here is also checked to lie within the file's `size`.
constexpr std::size_t kHeadBytes = 4096;

bool ReadLayout(const unsigned char* data, std::size_t size, Layout& l, std::string& why) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return Fail(why, "not a BMP file: the BM signature is missing");
    if (size < kFileHeaderSize + 4) return Fail(why, "BMP file is cut short inside its headers");
    const std::uint32_t headerSize = GetLe32(data + kFileHeaderSize);
    if (!IsKnownHeaderSize(headerSize)) {
        why = "BMP file has an unknown header size of " + std::to_string(headerSize);
        return false;
    }
    if (size - kFileHeaderSize < headerSize)
        return Fail(why, "BMP file is cut short inside its headers");

    const unsigned char* h = data + kFileHeaderSize;
    unsigned planes = 0;
    std::uint32_t colorsUsed = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t afterHeader = kFileHeaderSize + headerSize;
    if (headerSize == 12) {
        l.width = GetLe16(h + 4);
        l.height = GetLe16(h + 6);
        planes = GetLe16(h + 8);
        l.bits = GetLe16(h + 10);
        paletteEntrySize = 3;
    } else {
        l.width = static_cast<std::int32_t>(GetLe32(h + 4));
        const std::int32_t height = static_cast<std::int32_t>(GetLe32(h + 8));
        if (height == INT32_MIN) return Fail(why, "BMP file has an invalid height");
        l.topDown = height < 0;
        l.height = l.topDown ? -static_cast<long>(height) : height;
        planes = GetLe16(h + 12);
        l.bits = GetLe16(h + 14);
        l.compression = GetLe32(h + 16);
        colorsUsed = GetLe32(h + 32);
    }
    if (planes != 1) return Fail(why, "BMP file has a plane count other than 1");
    if (l.width <= 0 || l.height <= 0) {
        why = "BMP file has invalid dimensions " + std::to_string(l.width) + " x " +
              std::to_string(l.height);
        return false;
    }
    if (Bitmap::FileSizeFor(l.width, l.height) == 0) {
        why = "BMP picture of " + std::to_string(l.width) + " x " + std::to_string(l.height) +
              " is too large";
        return false;
    }
    if (!CheckBitsAndCompression(l, headerSize, why)) return false;

    if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
        // The masks are part of the larger headers and follow the 40-byte one.
        std::size_t at = kFileHeaderSize + 40;
        if (headerSize == 40) {
            afterHeader += l.compression == kBitFields ? 12 : 16;
            if (afterHeader > size) return Fail(why, "BMP file is cut short inside its bit masks");
        }
        for (auto& mask : l.masks) {
            mask = GetLe32(data + at);
            at += 4;
        }
    } else if (l.bits == 16) {
        l.masks[0] = 0x7C00;
        l.masks[1] = 0x03E0;
        l.masks[2] = 0x001F;
    } else if (l.bits == 32) {
        l.masks[0] = 0x00FF0000;
        l.masks[1] = 0x0000FF00;
        l.masks[2] = 0x000000FF;
    }

    l.pixelOffset = GetLe32(data + 10);
    std::size_t headersEnd = afterHeader;
    if (l.bits <= 8) {
        const std::size_t maxColours = std::size_t{1} << l.bits;
        std::size_t colours = colorsUsed == 0 ? maxColours : colorsUsed;
        if (colours > maxColours) colours = maxColours;
        if (size - afterHeader < colours * paletteEntrySize)
            return Fail(why, "BMP file is cut short inside its palette");
        for (std::size_t i = 0; i < colours; ++i) {
            const unsigned char* entry = data + afterHeader + i * paletteEntrySize;
            l.palette[i] = Colour{entry[0], entry[1], entry[2]};
        }
        headersEnd += colours * paletteEntrySize;
    }
    if (l.pixelOffset < headersEnd)
        return Fail(why, "BMP file's pixel data offset points into its headers");
    if (l.pixelOffset >= size)
        return Fail(why, "BMP file's pixel data offset lies at or past the end of the file");
    return true;
}

void DecodeIndexedRow(const Layout& l, const unsigned char* src, unsigned char* dst) {
    if (l.bits == 8) {
        for (long x = 0; x < l.width; ++x, dst += 3) {
            const Colour c = l.palette[src[x]];
            dst[0] = c.b;
            dst[1] = c.g;
            dst[2] = c.r;
        }
        return;
    }
    const unsigned perByte = 8 / l.bits;
    const unsigned valueMask = (1u << l.bits) - 1;
    for (long x = 0; x < l.width; ++x, dst += 3) {
        const unsigned slot = static_cast<unsigned>(x % perByte);
        const unsigned shift = 8 - l.bits * (slot + 1);
        const Colour c = l.palette[(src[x / perByte] >> shift) & valueMask];
        dst[0] = c.b;
        dst[1] = c.g;
        dst[2] = c.r;
    }
}

void DecodeMaskedRow(const Layout& l, const unsigned char* src, unsigned char* dst) {
    const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
    const std::size_t bytes = l.bits / 8;
    for (long x = 0; x < l.width; ++x, src += bytes, dst += 3) {
        const std::uint32_t pixel = bytes == 2 ? GetLe16(src) : GetLe32(src);
        dst[0] = blue.Of(pixel);
        dst[1] = green.Of(pixel);
        dst[2] = red.Of(pixel);
    }
}

bool DecodeUncompressed(ByteSource& file, const Layout& l, RowSink& out, std::string& why) {
    const std::size_t size = file.Size();
    // Dimensions are bounded by Bitmap::FileSizeFor, so these products fit.
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(l.width) * l.bits + 31) / 32 * 4;
    if (rowBytes * static_cast<std::uint64_t>(l.height) > size - l.pixelOffset)
        return Fail(why, "BMP file is cut short inside its pixel data");
    const PictureWindow window = out.Window(l.width, l.height);
    if (!out.Start(l.width, l.height, why)) return false;

    const bool plainBgrx = l.bits == 32 && l.masks[0] == 0x00FF0000 && l.masks[1] == 0x0000FF00 &&
                           l.masks[2] == 0x000000FF;
    const std::size_t stride = BmpStride(l.width);
    // The rows go out in the file's order, which for most files is already
    // the order of the file we write; those the sink does not show are not
    // even read.
    RowCursor rows(out, l.height, l.topDown, window);
    for (long fileRow = 0; fileRow < l.height && !rows.Done(); ++fileRow) {
        if (!rows.Wanted()) {
            rows.Skip();
            continue;
        }
        const unsigned char* src =
            file.Fetch(l.pixelOffset + static_cast<std::size_t>(fileRow) * rowBytes, static_cast<std::size_t>(rowBytes));
        if (src == nullptr) return Fail(why, "BMP file is cut short inside its pixel data");
        unsigned char* dst = rows.Next(stride);
        if (l.bits == 24) {
            std::memcpy(dst, src, static_cast<std::size_t>(l.width) * 3);
        } else if (plainBgrx) {
            const unsigned char* s = src;
            for (long x = 0; x < l.width; ++x, s += 4, dst += 3) {
                dst[0] = s[0];
                dst[1] = s[1];
                dst[2] = s[2];
            }
        } else if (l.bits <= 8) {
            DecodeIndexedRow(l, src, dst);
        } else {
            DecodeMaskedRow(l, src, dst);
        }
    }
    rows.Finish();
    return true;
}

// RLE4 and RLE8: runs of one index (two alternating ones for RLE4), absolute
// runs padded to a 16-bit boundary, and the escapes end of line, end of
// bitmap and delta. Rows are counted as the file orders them.
bool DecodeRle(ByteSource& file, const Layout& l, RowSink& out, std::string& why) {
    const std::size_t size = file.Size();
    if (!out.Start(l.width, l.height, why)) return false;
    const Colour background = l.palette[0];
    const std::size_t stride = BmpStride(l.width);
    // Rows are only ever left behind (a delta moves right and on), so each
    // is handed out once, starting from the background, in the file's order.
    RowCursor rows(out, l.height, l.topDown);
    std::int64_t given = 0;
    unsigned char* line = nullptr;
    auto reach = [&](std::int64_t fileRow) {
        for (; given <= fileRow && given < l.height; ++given) {
            line = rows.Next(stride);
            unsigned char* dst = line;
            for (long x = 0; x < l.width; ++x, dst += 3) {
                dst[0] = background.b;
                dst[1] = background.g;
                dst[2] = background.r;
            }
        }
    };
    reach(0);

    const bool rle8 = l.compression == kRle8;
    std::size_t pos = l.pixelOffset;
    // 64 bits: a long run of codes without an end of line pushes x far past
    // any width, and a 32-bit count could wrap round into the picture.
    std::int64_t x = 0;
    std::int64_t fileRow = 0;
    auto put = [&](unsigned index) {
        if (x < l.width) {
            const Colour c = l.palette[index];
            unsigned char* p = line + x * 3;
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
        ++x;
    };
    auto nibble = [](unsigned char byte, unsigned i) -> unsigned {
        return i % 2 == 0 ? byte >> 4 : byte & 0x0Fu;
    };

    while (fileRow < l.height) {
        const unsigned char* code = size - pos < 2 ? nullptr : file.Fetch(pos, 2);
        if (code == nullptr) return Fail(why, "BMP file is cut short inside its RLE data");
        const unsigned count = code[0];
        const unsigned value = code[1];
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i) put(rle8 ? value : nibble(static_cast<unsigned char>(value), i));
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++fileRow;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta: move right and up
            const unsigned char* delta = size - pos < 2 ? nullptr : file.Fetch(pos, 2);
            if (delta == nullptr) return Fail(why, "BMP file is cut short inside its RLE data");
            x += delta[0];
            fileRow += delta[1];
            pos += 2;
        } else {  // absolute run of `value` indexes
            const std::size_t bytes = rle8 ? value : (value + 1) / 2;
            const unsigned char* run = size - pos < bytes ? nullptr : file.Fetch(pos, bytes);
            if (run == nullptr) return Fail(why, "BMP file is cut short inside its RLE data");
            for (unsigned i = 0; i < value; ++i)
                put(rle8 ? run[i] : nibble(run[i / 2], i));
            pos += bytes + (bytes & 1);
            if (pos > size) pos = size;
        }
        if (value == 0 || value == 2) reach(fileRow);
    }
    // Rows the file never reached keep the background.
    reach(l.height - 1);
    rows.Finish();
    return true;
}

}  // namespace

bool DecodeBmp(ByteSource& file, RowSink& out, std::string& why) {
    const std::size_t size = file.Size();
    const std::size_t headSize = size < kHeadBytes ? size : kHeadBytes;
    const unsigned char* head = headSize == 0 ? nullptr : file.Fetch(0, headSize);
    if (headSize > 0 && head == nullptr) return Fail(why, "BMP file cannot be read");
    Layout layout;
    return ReadLayout(head, size, layout, why) &&
           (layout.compression == kRle8 || layout.compression == kRle4 ? DecodeRle(file, layout, out, why)
                                                                        : DecodeUncompressed(file, layout, out, why));
}

const unsigned char* MemoryBytes::Fetch(std::size_t offset, std::size_t count) {
    return offset <= size_ && count <= size_ - offset ? data_ + offset : nullptr;
}

bool DecodeBmp(const unsigned char* data, std::size_t size, Bitmap& out, std::string& why) {
    MemoryBytes memory(data, size);
    if (DecodeBmp(memory, out, why)) return true;
    out.Release();
    return false;
}

}  // namespace sarvo
