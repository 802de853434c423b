// The BMP reader on files laid out byte by byte, the Exif reader and turner, and each platform's loader.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>

#include "core/pure/bmp_reader.h"
#include "core/pure/exif.h"
#include "core/pure/row_sink.h"
#include "picture_test_support.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/picture.h"
#include "support/temp_dir.h"

namespace sarvo {
namespace {

using namespace test;

constexpr std::uint32_t kRle8 = 1, kRle4 = 2, kBitFields = 3;
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

struct Case { const char* what; BmpParts parts; Colours expected; /* rows from the top */ };
const std::vector<Case> kCases = {
    {"24 bits bottom-up", {.width = 3, .height = 2, .pixels = Rows(kBottom, kTop)}, {R, G, B, W, K, Y}},
    {"24 bits top-down", {.width = 3, .height = -2, .pixels = Rows(kTop, kBottom)}, {R, G, B, W, K, Y}},
    {"32 bits B G R unused", {.width = 2, .height = 1, .bits = 32, .pixels = k32}, {0x302010, B}},
    {"32 bits R G B unused, masks inside a version 5 header", {.width = 2, .height = 1, .bits = 32, .pixels = k32,
     .compression = kBitFields, .masks = {0x000000FF, 0x0000FF00, 0x00FF0000}, .headerSize = 124}, {0x102030, R}},
    {"32 bits, ten bits a channel: the top eight count", {.width = 2, .height = 1, .bits = 32, .pixels = Ints(4, {0x3FF00000,
     (512u << 20) | (256u << 10) | 1023u}), .compression = kBitFields, .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}}, {R, 0x8040FF}},
    {"16 bits default 5-5-5: 16 of 31 is 132",
     {.width = 4, .height = 1, .bits = 16, .pixels = Ints(2, {0x7C00, 0x03E0, 0x001F, 0x4210})}, {R, G, B, 0x848484}},
    {"16 bits 5-6-5 masks", {.width = 4, .height = 1, .bits = 16, .pixels = Ints(2, {0xF800, 0x07E0, 0x001F, 0x0400}),
     .compression = kBitFields, .masks = {0xF800, 0x07E0, 0x001F}}, {R, G, B, 0x008200}},
    {"1 bit across a byte boundary", {.width = 10, .height = 1, .bits = 1, .pixels = {0xB3, 0x80, 0, 0}, .palette = {B, Y}},
     {Y, B, Y, Y, B, B, Y, Y, Y, B}},
    {"4 bits, an index past the palette is black",
     {.width = 4, .height = 1, .bits = 4, .pixels = {0x01, 0x25, 0, 0}, .palette = {R, G, B}, .coloursUsed = 3}, {R, G, B, K}},
    {"8 bits, OS/2 core header with three-byte entries", {.width = 3, .height = 2, .bits = 8, .pixels = {0, 1, 2, 0, 128, 255, 7, 0},
     .palette = Ramp(), .headerSize = 12}, {0x807F40, 0xFF007F, 0x07F803, 0x00FF00, 0x01FE00, 0x02FD01}},
    // Runs, an absolute run padded to even, deltas, end codes; unwritten pixels keep the first palette colour.
    {"RLE8", {.width = 6, .height = 3, .bits = 8, .pixels = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 2, 3, 0, 2, 3, 1, 1, 2, 0, 1},
     .palette = {Z, R, G, B}, .compression = kRle8, .coloursUsed = 4}, {Z, Z, Z, Z, Z, G, B, B, Z, Z, Z, Z, R, R, R, G, B, G}},
    // Runs of alternating nibbles clipped at the row end, a delta, an absolute run past the end.
    {"RLE4", {.width = 5, .height = 2, .bits = 4, .pixels = {7, 0x12, 0, 0, 0, 2, 1, 0, 0, 5, 0x12, 0x31, 0x20, 0, 0, 1},
     .palette = {Z, R, G, B}, .compression = kRle4, .coloursUsed = 4}, {Z, R, G, B, R, R, G, R, G, R}},
};

// A file in memory that shows every byte never written.
struct MemoryFile : ByteSink {
    Bytes bytes;
    void Reserve(std::size_t size) override { bytes.assign(size, 0xEE); }
    void WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) override {
        ASSERT_LE(offset + size, bytes.size());
        std::copy(data, data + size, bytes.begin() + static_cast<long>(offset));
    }
};

// Each layout whole; strip by strip and turned on the way, the bytes of the whole picture turned; no cut.
TEST(DecodeBmp, EveryLayoutGivesThePictureWholeOrStripByStripAndNoCutOfIt) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const Bytes file = MakeBmp(c.parts);
        Bitmap bitmap;
        std::string why;
        ASSERT_TRUE(DecodeBmp(file.data(), file.size(), bitmap, why)) << why;
        EXPECT_EQ(bitmap.Width(), c.parts.width);
        EXPECT_EQ(bitmap.Height(), std::abs(c.parts.height));
        EXPECT_EQ(ColoursOf(bitmap), c.expected);
        for (int orientation = 1; orientation <= 8; ++orientation)
            for (std::size_t rows : {1, 2}) {
                SCOPED_TRACE("orientation " + std::to_string(orientation) + ", " + std::to_string(rows) + " rows a strip");
                Bitmap whole;
                ASSERT_TRUE(DecodeBmp(file.data(), file.size(), whole, why)) << why;
                ASSERT_TRUE(ApplyExifOrientation(whole, orientation, why)) << why;
                MemoryFile out;
                BmpFileWriter writer(out, rows * BmpStride(c.parts.width));
                writer.Orientation(orientation);
                MemoryBytes bytes(file.data(), file.size());
                ASSERT_TRUE(DecodeBmp(bytes, writer, why)) << why;
                ASSERT_TRUE(writer.Finish(why)) << why;
                EXPECT_EQ(out.bytes, FileOf(whole));
            }
        for (std::size_t size = 0; size < file.size(); ++size)  // a read past the cut shows
            EXPECT_TRUE(Refused(Bytes(file.begin(), file.begin() + static_cast<long>(size)))) << "cut at " << size;
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
    const std::pair<const char*, Bytes> cases[] = {
        {"wrong magic", patched(1, 'A', 1)},
        {"unknown header size", with([](BmpParts& p) { p.headerSize = 44; })},
        {"100000 x 100000", with([](BmpParts& p) { p.width = p.height = 100000; })},
        {"negative width", with([](BmpParts& p) { p.width = -3; })},
        {"height INT_MIN", with([](BmpParts& p) { p.height = INT_MIN; })},
        {"width INT_MAX", with([](BmpParts& p) { p.width = INT_MAX; })},
        {"three bits", with([](BmpParts& p) { p.bits = 3; })},
        {"RLE8 at 24 bits", with([](BmpParts& p) { p.compression = kRle8; })},
        {"bit fields at 24 bits", with([](BmpParts& p) { p.compression = kBitFields; p.masks = {1, 2, 4}; })},
        {"unknown compression", with([](BmpParts& p) { p.compression = 9; })},
        {"pixel offset past the end", patched(10, 5000)},
        {"pixel offset inside the headers", patched(10, 30)},
        {"two planes", patched(26, 2, 1)},
        {"palette longer than the file",
         MakeBmp({.width = 1, .height = 1, .bits = 8, .pixels = {0, 0, 0, 0}, .palette = {R, G}, .coloursUsed = 200})},
    };
    for (const auto& [what, file] : cases) EXPECT_TRUE(Refused(file)) << what;
}


// A JPEG file's markers around the given segments, with a token scan.
Bytes Jpeg(const std::vector<Bytes>& segments) {
    Bytes j = {0xFF, 0xD8, 0xFF, 0xE0, 0, 6, 'J', 'F', 'I', 'F'};
    for (const Bytes& s : segments) j.insert(j.end(), s.begin(), s.end());
    j.insert(j.end(), {0xFF, 0xDA, 0, 2, 0x12, 0x34, 0xFF, 0xD9});
    return j;
}

int Orientation(const Bytes& file) { return JpegExifOrientation(file.data(), file.size()); }

TEST(JpegExifOrientation, ReadsTheTagInEitherByteOrderIsUprightWhenAbsentOrUnreadableAndNeverReadsPastACut) {
    const Bytes xmp = Segment(0xE1, Bytes{'h', 't', 't', 'p', ':', '/', '/'});
    Bytes filled = Jpeg({ExifSegment(Tiff(false, 7))});  // fill bytes before a marker are allowed
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});
    Bytes badOrder = Tiff(false, 6);
    badOrder[0] = 'X';
    Bytes late = Jpeg({});  // after the first scan nothing is metadata any more
    const Bytes exif = ExifSegment(Tiff(false, 6));
    late.insert(late.end() - 2, exif.begin(), exif.end());
    const std::pair<Bytes, int> cases[] = {
        {Jpeg({ExifSegment(Tiff(false, 6))}), 6},         {Jpeg({ExifSegment(Tiff(true, 8))}), 8},
        {Jpeg({ExifSegment(Tiff(true, 3))}), 3},          {Jpeg({xmp, ExifSegment(Tiff(false, 5))}), 5},
        {filled, 7},                                      {Jpeg({}), 1},
        {Jpeg({ExifSegment(Tiff(false, 0))}), 1},         {Jpeg({ExifSegment(Tiff(false, 9))}), 1},
        {Jpeg({ExifSegment(Tiff(false, 6, 4000))}), 1},  // IFD0 past the block
        {Jpeg({ExifSegment(badOrder)}), 1},               {late, 1},
        {Bytes{'G', 'I', 'F', '8', '9', 'a'}, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(Orientation(cases[i].first), cases[i].second) << i;
    const Bytes whole = Jpeg({ExifSegment(Tiff(true, 6))});
    const std::size_t exifEnd = whole.size() - 8;  // the token scan follows it
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
        // The segment's length covers the whole TIFF block, so a cut inside it hides the tag.
        EXPECT_EQ(Orientation(cut), size < exifEnd ? 1 : 6) << "cut at " << size;
    }
    // A block that ends right after its count of entries, shorter than one.
    const Bytes counted = Jpeg({ExifSegment(Bytes{'I', 'I', 0x2A, 0, 8, 0, 0, 0, 0xFF, 0xFF})});
    EXPECT_EQ(Orientation(counted), 1);
    // A block ending right after an entry's tag: the bytes after it are no part of the block.
    const Bytes tagOnly = Jpeg({ExifSegment(Bytes{'I', 'I', 0x2A, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01}), {3, 0, 1, 0, 0, 0, 6, 0}});
    EXPECT_EQ(Orientation(tagOnly), 1);
}

// PNG's eXIf before the picture data, WebP's EXIF anywhere (with or without "Exif\0\0"); nothing past a cut or a chunk
// that claims more than the file holds.
TEST(ExifOrientation, ComesFromPngAndWebPChunksAndFromHeifTransforms) {
    const auto chunk = [](const char* type, const Bytes& body, bool png) {
        Bytes c;
        if (png) Put(c, static_cast<std::uint32_t>(body.size()), 4, true);
        c.insert(c.end(), type, type + 4);
        if (!png) Put(c, static_cast<std::uint32_t>(body.size()), 4);
        c.insert(c.end(), body.begin(), body.end());
        if (png) Put(c, 0, 4);  // the checksum, not checked here
        else if (body.size() % 2) c.push_back(0);
        return c;
    };
    const auto file = [&](bool png, std::initializer_list<Bytes> chunks) {
        Bytes f = png ? Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'} : Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
        for (const Bytes& c : chunks) f.insert(f.end(), c.begin(), c.end());
        return f;
    };
    Bytes prefixed = {'E', 'x', 'i', 'f', 0, 0};
    const Bytes tiff = Tiff(true, 8);
    prefixed.insert(prefixed.end(), tiff.begin(), tiff.end());
    const Bytes odd = {1, 2, 3};  // an odd length: padded
    const std::size_t pngExifEnd = 8 + 25 + 12 + Tiff(false, 6).size();
    // What, the file, PNG (else WebP), the orientation, the least cut that still holds it.
    const std::tuple<const char*, Bytes, bool, int, std::size_t> cases[] = {
        {"eXIf before IDAT", file(true, {chunk("IHDR", Bytes(13), true), chunk("eXIf", Tiff(false, 6), true), chunk("IDAT", {}, true)}),
         true, 6, pngExifEnd},
        {"eXIf after IDAT", file(true, {chunk("IDAT", {}, true), chunk("eXIf", Tiff(false, 6), true)}), true, 1, 0},
        {"no eXIf", file(true, {chunk("IHDR", Bytes(13), true)}), true, 1, 0},
        {"EXIF after the picture", file(false, {chunk("VP8X", Bytes(10), false), chunk("ALPH", odd, false),
                                                chunk("VP8 ", Bytes(9), false), chunk("EXIF", prefixed, false)}), false, 8, 0},
        {"no EXIF", file(false, {chunk("VP8L", odd, false)}), false, 1, 0},
    };
    for (const auto& [what, bytes, png, orientation, holding] : cases) {
        const auto read = png ? PngExifOrientation : WebPExifOrientation;
        EXPECT_EQ(read(bytes.data(), bytes.size()), orientation) << what;
        const std::size_t found = holding != 0 ? holding : bytes.size() - (prefixed.size() % 2);
        for (std::size_t size = 0; size < found; ++size)  // a read past the cut shows
            EXPECT_EQ(read(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(size)).data(), size), 1) << what << " cut at " << size;
    }
    // HEIF's and AVIF's transformations: turned anticlockwise first, then mirrored.
    const std::tuple<int, int, int> transforms[] = {
        {0, -1, 1}, {1, -1, 8}, {2, -1, 3}, {3, -1, 6}, {0, 1, 2}, {1, 1, 7}, {2, 1, 4}, {3, 1, 5},
        {0, 0, 4},  {1, 0, 5},  {2, 0, 2},  {3, 0, 7}, {4, -1, 1}, {0, 2, 1},
    };
    for (const auto& [turns, mirror, orientation] : transforms) EXPECT_EQ(OrientationOfTransforms(turns, mirror), orientation) << turns << mirror;
}

// A 3 x 2 picture, each pixel its own colour: R G B over W K Y.
TEST(ApplyExifOrientation, TurnsEachOrientationUpright) {
    const std::tuple<int, int, Colours> cases[] = {  // orientation, the upright width, its pixels
        {0, 3, {R, G, B, W, K, Y}}, {1, 3, {R, G, B, W, K, Y}}, {2, 3, {B, G, R, Y, K, W}}, {3, 3, {Y, K, W, B, G, R}},
        {4, 3, {W, K, Y, R, G, B}}, {5, 2, {R, W, G, K, B, Y}}, {6, 2, {W, R, K, G, Y, B}}, {7, 2, {Y, B, K, G, W, R}},
        {8, 2, {B, Y, G, K, R, W}}, {9, 3, {R, G, B, W, K, Y}},
    };
    for (const auto& [orientation, width, upright] : cases) {
        Bitmap bitmap = BitmapOf(3, 2, {R, G, B, W, K, Y});
        std::string why;
        ASSERT_TRUE(ApplyExifOrientation(bitmap, orientation, why)) << why;
        EXPECT_EQ(bitmap.Width(), width) << orientation;
        EXPECT_EQ(bitmap.Height(), 6 / width) << orientation;
        EXPECT_EQ(ColoursOf(bitmap), upright) << orientation;
    }
}

// A transparent second pixel shows the global table's background (green, index 2), or black without one.
TEST(LoadPicture, ATransparentGifPixelShowsTheBackground) {
    TempDir dir;
    std::string why;
    const Bytes control = {0x21, 0xF9, 4, 1, 0, 0, 1, 0};  // transparent index 1
    const Bytes pixels = {0x2C, 0, 0, 0, 0, 2, 0, 1, 0};   // a 2 x 1 frame at 0,0
    const Bytes data = {2, 2, 0x44, 0x0A, 0, 0x3B};        // LZW: clear, 0, 1, end
    Bytes withTable = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x81, 2, 0,
                       0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0x12, 0x34, 0x56};
    withTable.insert(withTable.end(), control.begin(), control.end());
    withTable.insert(withTable.end(), pixels.begin(), pixels.end());
    withTable.push_back(0x00);
    withTable.insert(withTable.end(), data.begin(), data.end());
    Bytes localOnly = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x00, 2, 0};
    localOnly.insert(localOnly.end(), control.begin(), control.end());
    localOnly.insert(localOnly.end(), pixels.begin(), pixels.end());
    localOnly.insert(localOnly.end(), {0x80, 0xFF, 0, 0, 0, 0, 0xFF});  // local table: red, blue
    localOnly.insert(localOnly.end(), data.begin(), data.end());
    for (const auto& [name, bytes, ground] : {std::tuple{"table.gif", withTable, G}, std::tuple{"local.gif", localOnly, K}}) {
        WriteFile(dir.path() / name, bytes);
        Bitmap bitmap;
        ASSERT_TRUE(platform::LoadPicture(dir.str() + platform::kPathSeparator + name, bitmap, why)) << why;
        EXPECT_EQ(ColoursOf(bitmap), (Colours{R, ground})) << name;
    }
}

TEST(LoadPicture, WhatIsNoPictureIsRefusedNamingTheFileAndAPictureLoadedBeforeIsKept) {
    TempDir dir;
    std::string why;
    WriteFile(dir.path() / "text.jpg", "this is no picture");
    WriteFile(dir.path() / "empty.gif", "");
    std::filesystem::create_directory(dir.path() / "folder.jpg");
    for (const char* name : {"text.jpg", "empty.gif", "folder.jpg", "missing.bmp"}) {
        Bitmap bitmap;
        EXPECT_FALSE(platform::LoadPicture(dir.str() + platform::kPathSeparator + name, bitmap, why)) << name;
        EXPECT_TRUE(bitmap.Empty()) << name;
        ASSERT_TRUE(bitmap.Allocate(2, 1, why));
        EXPECT_FALSE(platform::LoadPicture(dir.str() + platform::kPathSeparator + name, bitmap, why)) << name;
        EXPECT_EQ(bitmap.Width(), 2) << name;
        EXPECT_NE(why.find(name), std::string::npos) << why;
    }
}

}  // namespace
}  // namespace sarvo
