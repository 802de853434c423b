// LoadPicture and ConvertPicture on real files: pictures made by each format's own library (the further formats
// with MoreFormats=1), read by the real decoders; cut and vast files.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <unistd.h>
#include <zlib.h>

#include <array>

#include "core/pure/bmp_reader.h"
#include "core/pure/compose.h"
#include "core/pure/exif.h"
#include "core/pure/picture_header.h"
#include "core/pure/spanned.h"
#include "picture_test_support.h"
#include "picture_writers.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "support/temp_dir.h"

namespace sarvo::platform {
namespace {

namespace fs = std::filesystem;
using namespace sarvo::test;
using Inks = std::array<unsigned char, 4>;  // cyan, magenta, yellow, black; 255 is full ink
using Encoder = bool (*)(const Bitmap&, const Encoding&, Bytes&, std::string&);
constexpr unsigned char Byte(int value) { return static_cast<unsigned char>(value); }

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

struct Loaded { bool ok = false; Bitmap bitmap; std::string why, missing; };

Loaded Load(const TempDir& dir, const std::string& name, const Bytes& bytes, PictureFormats formats = PictureFormats::Classic) {
    WriteFile(dir.path() / name, bytes);
    Loaded l;
    l.ok = LoadPicture((dir.path() / name).string(), l.bitmap, formats, l.why, l.missing);
    return l;
}

// `size` x `size` pixels of colour `of(x, y)`.
template <typename T, typename F>
std::vector<T> Blocks(F of, int size = 32) {
    std::vector<T> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels.push_back(of(x, y));
    return pixels;
}

// 32 x 32 in four flat blocks aligned with the JPEG blocks.
Bitmap Quadrants() {
    return BitmapOf(32, 32, Blocks<std::uint32_t>([](int x, int y) { return y < 16 ? (x < 16 ? kRed : kGreen) : (x < 16 ? kBlue : kWhite); }));
}

Bitmap Noise(int width, int height) {
    Colours colours;
    std::uint32_t state = 12345;
    for (int i = 0; i < width * height; ++i) {
        state = state * 1103515245u + 12345u;
        colours.push_back(state >> 8);
    }
    return BitmapOf(width, height, colours);
}

Bytes Jpeg(const Bitmap& picture, int subsampling = TJSAMP_444, bool progressive = false) {
    Bytes out;
    std::string why;
    EXPECT_TRUE(EncodeJpeg(picture, 95, subsampling, out, why, progressive)) << why;
    return out;
}

Bytes Gif(const GifPicture& picture) {
    Bytes out;
    std::string why;
    EXPECT_TRUE(EncodeGif(picture, out, why)) << why;
    return out;
}

Bytes Encode(Encoder encode, const Bitmap& picture, const Encoding& how) {
    Bytes out;
    std::string why;
    EXPECT_TRUE(encode(picture, how, out, why)) << why;
    return out;
}

// A CMYK JPEG through libjpeg; with `adobe`, stored inverted and marked as Adobe's programs do.
Bytes CmykJpeg(int size, const std::vector<Inks>& inks, bool adobe) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long bytes = 0;
    jpeg_mem_dest(&c, &buffer, &bytes);
    c.image_width = static_cast<JDIMENSION>(size);
    c.image_height = static_cast<JDIMENSION>(size);
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    c.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(size) * 4);
    for (std::size_t y = 0; y < static_cast<std::size_t>(size); ++y) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            const unsigned char ink = inks[y * static_cast<std::size_t>(size) + i / 4][i % 4];
            row[i] = adobe ? static_cast<unsigned char>(255 - ink) : ink;
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const Bytes out(buffer, buffer + bytes);
    std::free(buffer);
    return out;
}

std::size_t FindMarker(const Bytes& jpeg, unsigned char marker) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
    ADD_FAILURE() << "marker not found";
    return 0;
}

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

TEST(LoadPicture, JpegsOfEveryKindComeBackCloseToTheSource) {
    TempDir dir;
    const auto inks = Blocks<Inks>([](int x, int y) {
        return y < 16 ? (x < 16 ? Inks{0, 255, 255, 0} : Inks{255, 0, 255, 0})
                      : (x < 16 ? Inks{0, 0, 0, 128} : Inks{0, 128, 0, 0});
    });
    // Stray bytes before the end marker, more than the decoder reads ahead: libjpeg warns, the picture is whole.
    Bytes stray = Jpeg(Quadrants());
    for (unsigned char b = 1; b <= 100; ++b) stray.insert(stray.end() - 2, b);
    const Colours rgbw = {kRed, kGreen, kBlue, kWhite}, inked = {kRed, kGreen, 0x7F7F7F, 0xFF7FFF};
    const std::tuple<const char*, Bytes, Colours> cases[] = {  // file name, bytes, the blocks' colours
        {"444.jpg", Jpeg(Quadrants()), rgbw},
        {"grey: the luminance of each.jpg", Jpeg(Quadrants(), TJSAMP_GRAY), {0x4C4C4C, 0x969696, 0x1D1D1D, kWhite}},
        {"CMYK, Adobe's inverted inks.jpg", CmykJpeg(32, inks, true), inked},
        {"CMYK, plain inks.jpg", CmykJpeg(32, inks, false), inked},
        {"stray bytes before the end.jpg", stray, rgbw},
        {"Exif orientation 6: turned a quarter clockwise.jpg", WithOrientation(Jpeg(Quadrants()), 6),
         {kBlue, kRed, kWhite, kGreen}},
    };
    for (const auto& [name, bytes, expected] : cases) {
        SCOPED_TRACE(name);
        const Loaded l = Load(dir, name, bytes);
        ASSERT_TRUE(l.ok) << l.why;
        ASSERT_EQ(l.bitmap.Width(), 32);
        ASSERT_EQ(l.bitmap.Height(), 32);
        for (std::size_t i = 0; i < 4; ++i) {
            const std::uint32_t got = ColourAt(l.bitmap, i % 2 ? 24 : 8, i < 2 ? 8 : 24);
            EXPECT_TRUE(Near(got, expected[i], 8)) << "block " << i << ": " << std::hex << got;
        }
    }
}

// 48 x 32 in blocks of 16: red, green, blue over white opaque, clear and half clear; stored turned so that
// orientation 6 shows it upright, 32 wide (turned once: the Exif block is not applied again).
TEST(MoreFormats, EachShowsItsPixelsUprightAndOnBlack) {
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
        const Loaded l = Load(dir, "picture.jpg", Encode(format.encode, BitmapOf(48, 32, stored), how), PictureFormats::More);
        ASSERT_TRUE(l.ok) << l.why;
        EXPECT_TRUE(l.missing.empty());
        ASSERT_EQ(l.bitmap.Width(), 32);
        ASSERT_EQ(l.bitmap.Height(), 48);
        for (int y = 8; y < 48; y += 16)
            for (int x = 8; x < 32; x += 16)
                EXPECT_TRUE(Near(ColourAt(l.bitmap, x, y), ColourAt(expected, x, y), format.tolerance))
                    << x << "," << y << ": " << std::hex << ColourAt(l.bitmap, x, y);
    }
}

// A PNG whose tRNS chunk names a colour: pixels of that colour are clear, so they show the black beneath.
TEST(MoreFormats, APngsTransparentColourShowsBlack) {
    TempDir dir;
    const Loaded l = Load(dir, "picture.png", Encode(EncodePng, BitmapOf(2, 1, {kWhite, kRed}), {.transparentColour = kWhite}),
                          PictureFormats::More);
    ASSERT_TRUE(l.ok) << l.why;
    EXPECT_EQ(ColourAt(l.bitmap, 0, 0), 0u);
    EXPECT_EQ(ColourAt(l.bitmap, 1, 0), kRed);
}

TEST(MoreFormats, ACutFileOrOneReadWithTheClassicFormatsAloneIsRefused) {
    TempDir dir;
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.name);
        const Bytes file = Encode(format.encode, Quadrants(), Encoding{.lossless = format.lossless});
        EXPECT_FALSE(Load(dir, "picture.jpg", Bytes(file.begin(), file.begin() + static_cast<long>(file.size() / 2)),
                          PictureFormats::More).ok);
        const Loaded classic = Load(dir, "picture.jpg", file);
        EXPECT_FALSE(classic.ok);
        EXPECT_NE(classic.why.find("not a BMP, GIF or JPEG picture"), std::string::npos) << classic.why;
    }
}

// Pictures of every kind the decoders tell apart, each its own way of handing on rows: JPEG and GIF large and
// small, and each further format with and without alpha (1001 wide: padding; 701 high: several strips, odd).
std::vector<std::pair<std::string, Bytes>> PicturesOfEveryKind() {
    const Bitmap large = Noise(1001, 701);
    const auto gif = [](bool interlaced, unsigned char index) {
        return Gif({603, 650, {kRed, kGreen, kBlue, kWhite}, 0, {{5, 7, 590, 640, interlaced, -1, {}, Bytes(590 * 640, index)}}});
    };
    Encoding clear{.quality = 80};
    for (int i = 0; i < 1001 * 701; ++i) clear.alpha.push_back(static_cast<unsigned char>(i * 7));
    const Encoding flipped{.orientation = 3, .quality = 80};
    std::vector<std::pair<std::string, Bytes>> pictures = {
        {"one pixel", Jpeg(Noise(1, 1))},
        {"odd width, 4:2:0", Jpeg(Noise(37, 5), TJSAMP_420)},
        {"several strips, 4:2:2", Jpeg(large, TJSAMP_422)},
        {"progressive, grey", Jpeg(large, TJSAMP_GRAY, true)},
        {"CMYK", CmykJpeg(601, Blocks<Inks>([](int x, int y) { return Inks{Byte(x), Byte(y), 40, 9}; }, 601), false)},
        {"Adobe CMYK", CmykJpeg(33, Blocks<Inks>([](int x, int y) { return Inks{Byte(x * 7), 0, Byte(y), 0}; }, 33), true)},
        {"GIF interlaced", gif(true, 2)},
        {"GIF", gif(false, 1)},
        {"png with alpha", Encode(EncodePng, large, clear)},    {"webp, lossy", Encode(EncodeWebP, large, flipped)},
        {"webp with alpha", Encode(EncodeWebP, large, clear)}, {"avif 4:2:0", Encode(EncodeAvif, large, flipped)},
        {"avif with alpha", Encode(EncodeAvif, large, clear)}, {"heic", Encode(EncodeHeif, large, Encoding{.quality = 80})},
        {"jxl, half turn", Encode(EncodeJxl, large, flipped)}, {"jxl with alpha", Encode(EncodeJxl, large, clear)},
    };
    const Bytes largeJpeg = Jpeg(large, TJSAMP_420);
    for (int orientation = 1; orientation <= 8; ++orientation)
        pictures.emplace_back("4:2:0, orientation " + std::to_string(orientation), WithOrientation(largeJpeg, Byte(orientation)));
    return pictures;
}

// Decoded straight into the bitmap file a strip at a time: the same bytes as the whole picture, for every way a
// decoder hands on its rows.
TEST(ConvertPicture, TheStreamedBitmapIsTheWholeOneByteForByte) {
    TempDir dir;
    for (const auto& [what, bytes] : PicturesOfEveryKind()) {
        SCOPED_TRACE(what);
        const Loaded whole = Load(dir, "picture.jpg", bytes, PictureFormats::More);
        ASSERT_TRUE(whole.ok) << whole.why;
        const fs::path bitmap = dir.path() / "bitmap.bmp";
        FileReplacement file(bitmap.string(), Durability::Remakable);
        std::string why;
        std::string missing;
        ASSERT_TRUE(ConvertPicture((dir.path() / "picture.jpg").string(), file, PictureFormats::More, why, missing)) << why;
        ASSERT_TRUE(file.Commit(why)) << why;
        EXPECT_TRUE(ReadFile(bitmap) == std::string(reinterpret_cast<const char*>(whole.bitmap.FileData()), whole.bitmap.FileSize()));
    }
}

class MemoryFile : public ByteSink {
public:
    void Reserve(std::size_t size) override { bytes.resize(size); }
    void WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) override {
        std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    Bytes bytes;
};

// The picture file at `path` converted into the bitmap of one monitor `width` x `height`; empty, with `why`, when
// it cannot be.
Colours OnMonitor(const fs::path& path, int width, int height, Placement placement, std::string& why) {
    const std::vector<ScreenRect> monitor = {{0, 0, width, height}};
    MemoryFile file;
    SpannedBitmap bitmap(file, monitor[0], monitor);
    const auto region = bitmap.Region(0, placement);
    std::string missing;
    if (!bitmap.Start(why)) return {};
    if (!ConvertPicture(path.string(), *region, PictureFormats::More, why, missing)) return {};
    if (!region->Finish(why)) return {};
    Bitmap desktop;
    return DecodeBmp(file.bytes.data(), file.bytes.size(), desktop, why) ? ColoursOf(desktop) : Colours{};
}

// `picture` laid on a monitor `width` x `height` by the composer the X11 root uses.
Colours Composed(const Bitmap& picture, int width, int height, Placement placement) {
    const ScreenRect monitor{0, 0, width, height};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    ComposeRows(PictureOf(picture), placement, std::span(&monitor, 1), width, 0, height, pixels.data());
    return pixels;
}

// Decoding only what a monitor shows (the rows and columns inside it) changes none of the pixels it shows.
TEST(ConvertPicture, AMonitorShowsExactlyTheWholePicturesPixelsCentredOrTiled) {
    TempDir dir;
    const fs::path path = dir.path() / "picture.jpg";
    for (const auto& [what, bytes] : PicturesOfEveryKind()) {
        const Loaded whole = Load(dir, "picture.jpg", bytes, PictureFormats::More);
        ASSERT_TRUE(whole.ok) << whole.why;
        for (const Placement placement : {Placement::Centre, Placement::Tile}) {
            std::string why;
            EXPECT_EQ(OnMonitor(path, 301, 203, placement, why), Composed(whole.bitmap, 301, 203, placement))
                << what << ", " << PlacementName(placement) << ": " << why;
        }
    }
}

// The draw of a picture per monitor learns each shape from the header alone: the size the decoder shows.
TEST(MoreFormats, EachHeaderGivesTheSizeTheDecoderShows) {
    const TempDir dir;
    const Bitmap wide = BitmapOf(6, 4, Colours(24, 0x336699));
    for (const Format& format : kFormats)
        for (const int orientation : {1, 6}) {
            const Bytes file = Encode(format.encode, wide, Encoding{.orientation = orientation, .lossless = format.lossless});
            const ReadBytesAt read = [&](std::uint64_t offset, unsigned char* out, std::size_t count) {
                const std::size_t n = offset < file.size() ? std::min<std::size_t>(count, file.size() - offset) : 0;
                std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(offset, file.size())), n, out);
                return n;
            };
            const Loaded shown = Load(dir, "picture.jpg", file, PictureFormats::More);
            EXPECT_EQ(ReadPictureSize(read, PictureFormats::More), (PictureSize{shown.bitmap.Width(), shown.bitmap.Height()}))
                << format.name << ", orientation " << orientation;
        }
}

// Sizes patched into real files' headers: PNG's IHDR (its checksum mended), HEIF's and AVIF's ispe.
Bytes Huge(Bytes file, const Format& format) {
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) file[at + i] = Byte(static_cast<int>(v >> (24 - 8 * i) & 0xFF));
    };
    if (format.encode == EncodePng) {
        put32(16, 60000);
        put32(20, 60000);
        put32(29, static_cast<std::uint32_t>(crc32(0, file.data() + 12, 17)));
    }
    for (std::size_t at = 0; at + 16 <= file.size(); ++at)
        if (std::equal(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 4, "ispe")) {
            put32(at + 8, 60000);
            put32(at + 12, 60000);
        }
    return file;
}

// FF 0A; a size header: not small, height 1 + 18 bits, ratio 1:1; default metadata.
Bytes HugeJxl() {
    std::vector<int> bits;
    for (const auto& [value, count] : {std::pair{0u, 1}, {2u, 2}, {100000u - 1, 18}, {1u, 3}, {1u, 1}})
        for (int i = 0; i < count; ++i) bits.push_back(static_cast<int>(value >> i & 1));
    Bytes file = {0xFF, 0x0A};
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        unsigned char byte = 0;
        for (std::size_t j = 0; j < 8 && i + j < bits.size(); ++j) byte = static_cast<unsigned char>(byte | bits[i + j] << j);
        file.push_back(byte);
    }
    file.resize(4096, 0);
    return file;
}

// A small file declaring a vast picture (a progressive JPEG of 18000 x 18000 would take 2 GB of coefficients) is
// refused before any of it is made: the refusing process's peak memory stays small. WebP holds 16383 a side at most,
// never past the limit.
TEST(LoadPicture, APictureDeclaringAVastSizeIsRefusedBeforeItsPixelsAreMade) {
    TempDir dir;
    Bytes progressive = Jpeg(Quadrants(), TJSAMP_444, true);
    EXPECT_TRUE(Load(dir, "progressive.jpg", progressive).ok);
    const std::size_t frame = FindMarker(progressive, 0xC2);
    for (std::size_t at : {frame + 5, frame + 7}) {
        progressive[at] = 18000 >> 8;
        progressive[at + 1] = 18000 & 0xFF;
    }
    std::vector<Bytes> files = {progressive, HugeJxl()};
    for (const Format& format : kFormats)
        if (format.encode != EncodeWebP && format.encode != EncodeJxl)
            files.push_back(Huge(Encode(format.encode, BitmapOf(16, 16, Colours(256, kGreen)), Encoding{}), format));
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
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "vast pictures accepted";
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "peak memory in KiB of the refusing process";
}

}  // namespace
}  // namespace sarvo::platform
