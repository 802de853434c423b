// The formats read with MoreFormats=1, each made by its own library's encoder and read by its real decoder.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "core/pure/exif.h"
#include "core/pure/picture_header.h"
#include "picture_test_support.h"
#include "picture_writers.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "support/temp_dir.h"

namespace sarvo::platform {
namespace {

using namespace sarvo::test;
using Encoder = bool (*)(const Bitmap&, const Encoding&, Bytes&, std::string&);

struct Format {
    const char* name;
    Encoder encode;
    bool lossless;  // written without loss (else at quality 95)
    int tolerance;  // per channel, at the middle of a flat block
};
const Format kFormats[] = {
    {"png", EncodePng, true, 0},   {"webp", EncodeWebP, true, 0}, {"webp (lossy)", EncodeWebP, false, 12},
    {"avif", EncodeAvif, true, 0}, {"heic", EncodeHeif, false, 12}, {"jxl", EncodeJxl, true, 0},
};

Bytes Encode(const Format& format, const Bitmap& picture, const Encoding& how) {
    Bytes out;
    std::string why;
    EXPECT_TRUE(format.encode(picture, how, out, why)) << format.name << ": " << why;
    return out;
}

struct Loaded { bool ok = false; Bitmap bitmap; std::string why, missing; };

// Named as a JPEG, whatever it holds: the content decides.
Loaded Load(const TempDir& dir, const Bytes& bytes, PictureFormats formats = PictureFormats::More) {
    WriteFile(dir.path() / "picture.jpg", bytes);
    Loaded l;
    l.ok = LoadPicture((dir.path() / "picture.jpg").string(), l.bitmap, formats, l.why, l.missing);
    return l;
}

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// 48 x 32 in blocks of 16: red, green, blue over white opaque, clear and half clear; stored turned so that
// orientation 6 shows it upright, 32 wide.
TEST(MoreFormats, EachShowsItsPixelsUprightAndOnBlackAndACutFileOrTheClassicFormatsAloneAreRefused) {
    const Colours blocks = {kRed, kGreen, kBlue, kWhite, kWhite, kWhite};
    const unsigned char alphas[] = {255, 255, 255, 255, 0, 128};
    Colours stored, shown;
    Encoding how{.orientation = 6, .quality = 95};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            const int block = y / 16 * 3 + x / 16;
            stored.push_back(blocks[block]);
            how.alpha.push_back(alphas[block]);
            shown.push_back(alphas[block] == 255 ? blocks[block] : alphas[block] == 0 ? 0 : 0x808080);
        }
    Bitmap expected = BitmapOf(48, 32, shown);
    std::string why;
    ASSERT_TRUE(ApplyExifOrientation(expected, 6, why));
    TempDir dir;
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.name);
        how.lossless = format.lossless;
        const Bytes file = Encode(format, BitmapOf(48, 32, stored), how);
        const Loaded l = Load(dir, file);
        ASSERT_TRUE(l.ok) << l.why;
        EXPECT_TRUE(l.missing.empty());
        ASSERT_EQ(l.bitmap.Width() * 100 + l.bitmap.Height(), 3248);  // turned once: the Exif block is not applied again
        for (int y = 8; y < 48; y += 16)
            for (int x = 8; x < 32; x += 16)
                EXPECT_TRUE(Near(ColourAt(l.bitmap, x, y), ColourAt(expected, x, y), format.tolerance))
                    << x << "," << y << ": " << std::hex << ColourAt(l.bitmap, x, y);
        EXPECT_FALSE(Load(dir, Bytes(file.begin(), file.begin() + static_cast<long>(file.size() / 2))).ok);
        const Loaded classic = Load(dir, file, PictureFormats::Classic);
        EXPECT_FALSE(classic.ok);
        EXPECT_NE(classic.why.find("not a BMP, GIF or JPEG picture"), std::string::npos) << classic.why;
    }
}

// Decoded straight into the bitmap file strip by strip (1001 wide: padding; 701 high: several strips, odd):
// the same bytes as the whole picture, for every way a decoder hands on its rows.
TEST(MoreFormats, TheStreamedBitmapIsTheWholeOneByteForByte) {
    Colours noise;
    std::uint32_t state = 99;
    for (int i = 0; i < 1001 * 701; ++i) noise.push_back((state = state * 1103515245u + 12345u) >> 8);
    const Bitmap picture = BitmapOf(1001, 701, noise);
    Encoding clear{.quality = 80};
    for (int i = 0; i < 1001 * 701; ++i) clear.alpha.push_back(static_cast<unsigned char>(i * 7));
    Encoding flipped{.orientation = 3, .quality = 80};
    const std::tuple<const char*, Encoder, Encoding> cases[] = {
        {"png with alpha", EncodePng, clear},    {"webp, lossy", EncodeWebP, flipped},
        {"webp with alpha", EncodeWebP, clear}, {"avif 4:2:0", EncodeAvif, flipped},
        {"avif with alpha", EncodeAvif, clear}, {"heic", EncodeHeif, Encoding{.quality = 80}},
        {"jxl, half turn", EncodeJxl, flipped}, {"jxl with alpha", EncodeJxl, clear},
    };
    TempDir dir;
    for (const auto& [what, encode, how] : cases) {
        SCOPED_TRACE(what);
        Bytes bytes;
        std::string why, missing;
        ASSERT_TRUE(encode(picture, how, bytes, why)) << why;
        const Loaded whole = Load(dir, bytes);
        ASSERT_TRUE(whole.ok) << whole.why;
        const std::filesystem::path bitmap = dir.path() / "bitmap.bmp";
        FileReplacement file(bitmap.string(), Durability::Remakable);
        ASSERT_TRUE(ConvertPicture((dir.path() / "picture.jpg").string(), file, PictureFormats::More, why, missing)) << why;
        ASSERT_TRUE(file.Commit(why)) << why;
        EXPECT_TRUE(ReadFile(bitmap) == std::string(reinterpret_cast<const char*>(whole.bitmap.FileData()), whole.bitmap.FileSize()));
    }
}

// The heap in use as each piece of the bitmap file goes out.
class HeapAtEachPiece : public ByteSink {
public:
    void Reserve(std::size_t) override {}
    void WriteAt(std::size_t, const unsigned char*, std::size_t) override {
        const struct mallinfo2 heap = mallinfo2();
        inUse.push_back(static_cast<long long>(heap.uordblks + heap.hblkhd));
    }
    std::vector<long long> inUse;
};

// libjxl hands on pieces of rows a group row late, so a few strips are always being filled; each is let go
// once it has gone out. The heap in use as the last strip goes out is what it was as the first one did,
// give or take a quarter of the bitmap.
TEST(MoreFormats, AJpegXlPictureIsNeverHeldWholeBesideItsDecoder) {
    Colours gradient;
    for (int y = 0; y < 4000; ++y)
        for (int x = 0; x < 2000; ++x) gradient.push_back(static_cast<std::uint32_t>(x / 8 << 16 | y / 16 << 8 | (x + y) / 24));
    Bytes bytes;
    std::string why, missing;
    ASSERT_TRUE(EncodeJxl(BitmapOf(2000, 4000, gradient), Encoding{.quality = 80}, bytes, why)) << why;
    TempDir dir;
    WriteFile(dir.path() / "picture.jxl", bytes);
    HeapAtEachPiece file;
    ASSERT_TRUE(ConvertPicture((dir.path() / "picture.jxl").string(), file, PictureFormats::More, why, missing)) << why;
    ASSERT_GT(file.inUse.size(), 3u);  // the headers, then the strips
    EXPECT_LT(file.inUse.back() - file.inUse[1], 2000 * 4000 * 3 / 4);
}

// Sizes patched into real files' headers: PNG's IHDR (its checksum mended), HEIF's and AVIF's ispe; a JPEG XL
// header written bit by bit.
Bytes Huge(Bytes file, const char* format) {
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
    };
    if (std::string(format) == "png") {
        put32(16, 60000);
        put32(20, 60000);
        put32(29, static_cast<std::uint32_t>(crc32(0, file.data() + 12, 17)));
    }
    for (std::size_t at = 0; at + 16 <= file.size(); ++at)
        if (std::equal(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 4, "ispe"))
            put32(at + 8, 60000), put32(at + 12, 60000);
    return file;
}

Bytes HugeJxl() {  // FF 0A; a size header: not small, height 1 + 18 bits, ratio 1:1; default metadata
    std::vector<int> bits;
    const auto put = [&](std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) bits.push_back(static_cast<int>(value >> i & 1));
    };
    put(0, 1), put(2, 2), put(100000 - 1, 18), put(1, 3), put(1, 1);
    Bytes file = {0xFF, 0x0A};
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        unsigned char byte = 0;
        for (std::size_t j = 0; j < 8 && i + j < bits.size(); ++j) byte = static_cast<unsigned char>(byte | bits[i + j] << j);
        file.push_back(byte);
    }
    file.resize(4096, 0);
    return file;
}

// The draw of a picture per monitor learns each shape from the header alone: the size the decoder shows.
TEST(MoreFormats, EachHeaderGivesTheSizeTheDecoderShows) {
    const TempDir dir;
    const Bitmap wide = BitmapOf(6, 4, Colours(24, 0x336699));
    for (const Format& format : kFormats)
        for (const int orientation : {1, 6}) {
            const Bytes file = Encode(format, wide, Encoding{.orientation = orientation, .lossless = format.lossless});
            const ReadBytesAt read = [&](std::uint64_t offset, unsigned char* out, std::size_t count) {
                const std::size_t n = offset < file.size() ? std::min<std::size_t>(count, file.size() - offset) : 0;
                std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(offset, file.size())), n, out);
                return n;
            };
            const Loaded shown = Load(dir, file);
            EXPECT_EQ(ReadPictureSize(read, PictureFormats::More), (PictureSize{shown.bitmap.Width(), shown.bitmap.Height()}))
                << format.name << ", orientation " << orientation;
        }
}

TEST(MoreFormats, APictureDeclaringAVastSizeIsRefusedBeforeItsPixelsAreMade) {
    TempDir dir;
    const Bitmap small = BitmapOf(16, 16, Colours(256, kGreen));
    std::vector<Bytes> files = {HugeJxl()};
    for (const Format& format : kFormats) {
        // WebP: 16383 a side at most, never past the limit; JPEG XL: the header above.
        if (format.encode == EncodeWebP || format.encode == EncodeJxl) continue;
        files.push_back(Huge(Encode(format, small, Encoding{}), format.name));
    }
    for (std::size_t i = 0; i < files.size(); ++i) WriteFile(dir.path() / ("huge" + std::to_string(i)), files[i]);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int accepted = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            Bitmap bitmap;
            std::string why, missing;
            accepted += LoadPicture((dir.path() / ("huge" + std::to_string(i))).string(), bitmap, PictureFormats::More, why, missing);
        }
        _exit(accepted);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "vast pictures accepted";
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "peak memory in KiB of the refusing process";
}

}  // namespace
}  // namespace sarvo::platform
