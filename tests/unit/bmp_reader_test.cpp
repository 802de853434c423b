// The BMP reader on files laid out byte by byte: every depth, the RLE and
// bit-field layouts, and files that are cut short, impossible or inconsistent.
#include "core/pure/bmp_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "core/pure/exif.h"
#include "core/pure/row_sink.h"
#include "picture_test_support.h"

namespace sarvo {
namespace {

using test::Colours;
using test::BmpParts;
using test::Bytes;
using test::Ints;
using test::MakeBmp;

constexpr std::uint32_t kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4;
constexpr std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0x000000, Y = 0xFFFF00,
                        Z = 0x112233;

bool Refused(const Bytes& file) {
    Bitmap bitmap;
    std::string why;
    return !DecodeBmp(file.data(), file.size(), bitmap, why) && !why.empty() && bitmap.Empty();
}

// An OS/2 palette of all 256 entries, each its own colour.
Colours Ramp() {
    Colours c;
    for (std::uint32_t i = 0; i < 256; ++i) c.push_back((i << 16) | ((255 - i) << 8) | (i / 2));
    return c;
}

// 3 x 2: red, green, blue over white, black, yellow; rows padded to 12 bytes.
const Bytes kTop = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}, kBottom = {255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0};
Bytes Rows(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
const Bytes k32 = {0x10, 0x20, 0x30, 0x99, 0xFF, 0, 0, 0x77};

struct Case {
    const char* what;
    BmpParts parts;
    Colours expected;  // rows from the top
};
const std::vector<Case> kCases = {
    {"24 bits bottom-up", {.width = 3, .height = 2, .pixels = Rows(kBottom, kTop)}, {R, G, B, W, K, Y}},
    {"24 bits top-down", {.width = 3, .height = -2, .pixels = Rows(kTop, kBottom)}, {R, G, B, W, K, Y}},
    {"32 bits B G R unused", {.width = 2, .height = 1, .bits = 32, .pixels = k32}, {0x302010, B}},
    {"32 bits R G B unused, masks inside a version 5 header",
     {.width = 2, .height = 1, .bits = 32, .pixels = k32, .compression = kBitFields,
      .masks = {0x000000FF, 0x0000FF00, 0x00FF0000}, .headerSize = 124},
     {0x102030, R}},
    {"32 bits, ten bits a channel: the top eight count",
     {.width = 2, .height = 1, .bits = 32, .pixels = Ints(4, {0x3FF00000, (512u << 20) | (256u << 10) | 1023u}),
      .compression = kBitFields, .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}},
     {R, 0x8040FF}},
    {"16 bits default 5-5-5: 16 of 31 is 132",
     {.width = 4, .height = 1, .bits = 16, .pixels = Ints(2, {0x7C00, 0x03E0, 0x001F, 0x4210})}, {R, G, B, 0x848484}},
    {"16 bits 5-6-5 masks",
     {.width = 4, .height = 1, .bits = 16, .pixels = Ints(2, {0xF800, 0x07E0, 0x001F, 0x0400}), .compression = kBitFields,
      .masks = {0xF800, 0x07E0, 0x001F}},
     {R, G, B, 0x008200}},
    {"1 bit across a byte boundary",
     {.width = 10, .height = 1, .bits = 1, .pixels = {0xB3, 0x80, 0, 0}, .palette = {B, Y}},
     {Y, B, Y, Y, B, B, Y, Y, Y, B}},
    {"4 bits, an index past the palette is black",
     {.width = 4, .height = 1, .bits = 4, .pixels = {0x01, 0x25, 0, 0}, .palette = {R, G, B}, .coloursUsed = 3},
     {R, G, B, K}},
    {"8 bits, OS/2 core header with three-byte entries",
     {.width = 3, .height = 2, .bits = 8, .pixels = {0, 1, 2, 0, 128, 255, 7, 0}, .palette = Ramp(), .headerSize = 12},
     {0x807F40, 0xFF007F, 0x07F803, 0x00FF00, 0x01FE00, 0x02FD01}},
    // Bottom row: three red, an absolute run padded to even, end of line;
    // middle: two blue, a delta three right and one up; top: one green; end.
    // Pixels never written keep the first palette colour.
    {"RLE8 runs, absolute runs, deltas and end codes",
     {.width = 6, .height = 3, .bits = 8, .pixels = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 2, 3, 0, 2, 3, 1, 1, 2, 0, 1},
      .palette = {Z, R, G, B}, .compression = kRle8, .coloursUsed = 4},
     {Z, Z, Z, Z, Z, G, B, B, Z, Z, Z, Z, R, R, R, G, B, G}},
    // Bottom: seven of red/green alternating, clipped at the row end; top: a
    // delta one right, an absolute run of five, one past the end.
    {"RLE4 nibbles alternate and runs clip at the row end",
     {.width = 5, .height = 2, .bits = 4, .pixels = {7, 0x12, 0, 0, 0, 2, 1, 0, 0, 5, 0x12, 0x31, 0x20, 0, 0, 1},
      .palette = {Z, R, G, B}, .compression = kRle4, .coloursUsed = 4},
     {Z, R, G, B, R, R, G, R, G, R}},
};

TEST(DecodeBmp, EveryDepthAndLayoutGivesThePicture) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const Bytes file = MakeBmp(c.parts);
        Bitmap bitmap;
        std::string why;
        ASSERT_TRUE(DecodeBmp(file.data(), file.size(), bitmap, why)) << why;
        EXPECT_EQ(bitmap.Width(), c.parts.width);
        EXPECT_EQ(bitmap.Height(), std::abs(c.parts.height));  // a top-down height is shown as its absolute value
        EXPECT_EQ(test::ColoursOf(bitmap), c.expected);
    }
}

// A file in memory that shows every byte never written.
struct MemoryFile : ByteSink {
    Bytes bytes;
    void Reserve(std::size_t size) override { bytes.assign(size, 0xEE); }
    void WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) override {
        ASSERT_LE(offset + size, bytes.size());
        std::copy(data, data + size, bytes.begin() + static_cast<long>(offset));
    }
};

// Written into its file a strip of one or two rows at a time, and turned on
// the way, every layout gives the file of the picture decoded whole and
// turned afterwards, byte for byte.
TEST(DecodeBmp, StripByStripIntoAFileGivesTheBytesOfTheWholePicture) {
    for (const Case& c : kCases) {
        const Bytes file = MakeBmp(c.parts);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            for (std::size_t rows : {1, 2}) {
                SCOPED_TRACE(std::string(c.what) + ", orientation " + std::to_string(orientation) + ", " +
                             std::to_string(rows) + " rows a strip");
                Bitmap whole;
                std::string why;
                ASSERT_TRUE(DecodeBmp(file.data(), file.size(), whole, why)) << why;
                ASSERT_TRUE(ApplyExifOrientation(whole, orientation, why)) << why;
                MemoryFile out;
                BmpFileWriter writer(out, rows * BmpStride(c.parts.width));
                writer.Orientation(orientation);
                MemoryBytes bytes(file.data(), file.size());
                ASSERT_TRUE(DecodeBmp(bytes, writer, why)) << why;
                ASSERT_TRUE(writer.Finish(why)) << why;
                EXPECT_EQ(out.bytes, Bytes(whole.FileData(), whole.FileData() + whole.FileSize()));
            }
        }
    }
}

TEST(DecodeBmp, AFileCutAnywhereIsRefusedWithAReason) {
    for (const Case& c : kCases) {
        const Bytes whole = MakeBmp(c.parts);
        for (std::size_t size = 0; size < whole.size(); ++size) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));  // a read past it shows
            EXPECT_TRUE(Refused(cut)) << c.what << ", cut at " << size;
        }
    }
}

TEST(DecodeBmp, ImpossibleOrInconsistentHeadersAreRefused) {
    const BmpParts good = kCases[0].parts;
    auto with = [&](const std::function<void(BmpParts&)>& change) {
        BmpParts p = good;
        change(p);
        return MakeBmp(p);
    };
    auto patched = [&](std::size_t at, std::uint32_t value, std::size_t bytes = 4) {
        Bytes file = MakeBmp(good);
        for (std::size_t i = 0; i < bytes; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
        return file;
    };
    const std::size_t goodSize = MakeBmp(good).size();
    const std::pair<const char*, Bytes> cases[] = {
        {"wrong magic", patched(1, 'A', 1)},
        {"unknown header size", with([](BmpParts& p) { p.headerSize = 44; })},
        {"100000 x 100000", with([](BmpParts& p) { p.width = p.height = 100000; })},
        {"negative width", with([](BmpParts& p) { p.width = -3; })},
        {"zero width", with([](BmpParts& p) { p.width = 0; })},
        {"height INT_MIN", with([](BmpParts& p) { p.height = INT_MIN; })},
        {"width INT_MAX", with([](BmpParts& p) { p.width = INT_MAX; })},
        {"three bits", with([](BmpParts& p) { p.bits = 3; })},
        {"embedded JPEG", with([](BmpParts& p) { p.compression = kJpeg; })},
        {"RLE8 at 24 bits", with([](BmpParts& p) { p.compression = kRle8; })},
        {"bit fields at 24 bits", with([](BmpParts& p) { p.compression = kBitFields, p.masks = {1, 2, 4}; })},
        {"unknown compression", with([](BmpParts& p) { p.compression = 9; })},
        {"pixel offset past the end", patched(10, 5000)},
        {"pixel offset at the end", patched(10, static_cast<std::uint32_t>(goodSize))},
        {"pixel offset inside the headers", patched(10, 30)},
        {"two planes", patched(26, 2, 1)},
        {"palette longer than the file",
         MakeBmp({.width = 1, .height = 1, .bits = 8, .pixels = {0, 0, 0, 0}, .palette = {R, G}, .coloursUsed = 200})},
    };
    for (const auto& [what, file] : cases) EXPECT_TRUE(Refused(file)) << what;
}

}  // namespace
}  // namespace sarvo
