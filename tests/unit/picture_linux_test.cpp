// LoadPicture and ConvertPicture on real files: pictures from a camera's or editor's libraries, broken and huge files.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <array>

#include "core/pure/bmp_reader.h"
#include "picture_test_support.h"
#include "core/pure/compose.h"
#include "core/pure/spanned.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "picture_writers.h"
#include "support/temp_dir.h"

namespace sarvo::platform {
namespace {

namespace fs = std::filesystem;
using namespace sarvo::test;
using Inks = std::array<unsigned char, 4>;  // cyan, magenta, yellow, black; 255 is full ink
constexpr unsigned char Byte(int value) { return static_cast<unsigned char>(value); }

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                        kBlack = 0x000000, kGrey = 0x808080;

struct Loaded { bool ok = false; Bitmap bitmap; std::string why; };

Loaded LoadBytes(const TempDir& dir, const std::string& name, const Bytes& bytes) {
    WriteFile(dir.path() / name, bytes);
    Loaded l;
    l.ok = LoadPicture((dir.path() / name).string(), l.bitmap, l.why);
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

Bytes Jpeg(const Bitmap& picture, int subsampling = TJSAMP_444, bool progressive = false) {
    Bytes out;
    std::string why;
    return EncodeJpeg(picture, 95, subsampling, out, why, progressive) ? out : (ADD_FAILURE() << why, out);
}

Bytes Gif(const GifPicture& picture) {
    Bytes out;
    std::string why;
    return EncodeGif(picture, out, why) ? out : (ADD_FAILURE() << why, out);
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
    c.image_width = c.image_height = static_cast<JDIMENSION>(size), c.input_components = 4, c.in_color_space = JCS_CMYK;
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
    return std::free(buffer), out;
}

std::size_t FindMarker(const Bytes& jpeg, unsigned char marker) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
    ADD_FAILURE() << "marker not found";
    return 0;
}

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
        {"420.jpg", Jpeg(Quadrants(), TJSAMP_420), rgbw},
        {"grey: the luminance of each.jpg", Jpeg(Quadrants(), TJSAMP_GRAY), {0x4C4C4C, 0x969696, 0x1D1D1D, kWhite}},
        {"CMYK, Adobe's inverted inks.jpg", CmykJpeg(32, inks, true), inked},
        {"CMYK, plain inks.jpg", CmykJpeg(32, inks, false), inked},
        {"stray bytes before the end.jpg", stray, rgbw},
        {"Exif orientation 6: turned a quarter clockwise.jpg", WithOrientation(Jpeg(Quadrants()), 6),
         {kBlue, kRed, kWhite, kGreen}},
        {"it's \"$HOME\" \n 写真.gif", Jpeg(Quadrants()), rgbw},  // named oddly, and as another kind
    };
    for (const auto& [name, bytes, expected] : cases) {
        SCOPED_TRACE(name);
        const Loaded l = LoadBytes(dir, name, bytes);
        ASSERT_TRUE(l.ok) << l.why;
        ASSERT_EQ(l.bitmap.Width() * 100 + l.bitmap.Height(), 3232);
        for (std::size_t i = 0; i < 4; ++i) {
            const std::uint32_t got = ColourAt(l.bitmap, i % 2 ? 24 : 8, i < 2 ? 8 : 24);
            EXPECT_TRUE(Near(got, expected[i], 8)) << "block " << i << ": " << std::hex << got;
        }
    }
}

Bitmap Noise(int width, int height) {
    Colours colours;
    std::uint32_t state = 12345;
    for (int i = 0; i < width * height; ++i) colours.push_back((state = state * 1103515245u + 12345u) >> 8);
    return BitmapOf(width, height, colours);
}

// JPEG and GIF files of every kind the decoders tell apart, large and small.
std::vector<std::pair<std::string, Bytes>> PicturesOfEveryKind() {
    const Bitmap large = Noise(1001, 701);
    const auto gif = [](bool interlaced, unsigned char index) {
        return Gif({603, 650, {kRed, kGreen, kBlue, kWhite}, 0, {{5, 7, 590, 640, interlaced, -1, {}, Bytes(590 * 640, index)}}});
    };
    std::vector<std::pair<std::string, Bytes>> pictures = {
        {"one pixel", Jpeg(Noise(1, 1))},
        {"odd width, 4:2:0", Jpeg(Noise(37, 5), TJSAMP_420)},
        {"several strips, 4:2:2", Jpeg(large, TJSAMP_422)},
        {"progressive, grey", Jpeg(large, TJSAMP_GRAY, true)},
        {"CMYK", CmykJpeg(601, Blocks<Inks>([](int x, int y) { return Inks{Byte(x), Byte(y), 40, 9}; }, 601), false)},
        {"Adobe CMYK", CmykJpeg(33, Blocks<Inks>([](int x, int y) { return Inks{Byte(x * 7), 0, Byte(y), 0}; }, 33), true)},
        {"GIF interlaced", gif(true, 2)},
        {"GIF", gif(false, 1)},
    };
    const Bytes largeJpeg = Jpeg(large, TJSAMP_420);
    for (int orientation = 1; orientation <= 8; ++orientation)
        pictures.emplace_back("4:2:0, orientation " + std::to_string(orientation), WithOrientation(largeJpeg, static_cast<unsigned char>(orientation)));
    return pictures;
}

// Decoded straight into the bitmap file a strip at a time: the whole bitmap, byte for byte (1001 wide: padding, strips).
TEST(ConvertPicture, TheStreamedBitmapIsTheWholeOneByteForByteAndAGifsFirstFrameIsDrawnOnItsScreen) {
    TempDir dir;
    for (const auto& [what, bytes] : PicturesOfEveryKind()) {
        SCOPED_TRACE(what);
        const Loaded whole = LoadBytes(dir, "picture.jpg", bytes);
        ASSERT_TRUE(whole.ok) << whole.why;
        const fs::path bitmap = dir.path() / "bitmap.bmp";
        FileReplacement file(bitmap.string(), Durability::Remakable);
        std::string why;
        ASSERT_TRUE(ConvertPicture((dir.path() / "picture.jpg").string(), file, why)) << why;
        ASSERT_TRUE(file.Commit(why)) << why;
        EXPECT_TRUE(ReadFile(bitmap) == std::string(reinterpret_cast<const char*>(whole.bitmap.FileData()), whole.bitmap.FileSize()));
    }
    // Grey screen (index 1); the interlaced first frame at (2, 1), a colour a row, index 0 clear in row 3; never the next.
    GifFrame first{2, 1, 4, 8, true, 0, {}, {}};
    for (int i = 0; i < 32; ++i) first.indexes.push_back(static_cast<std::uint8_t>(i / 4 == 2 && i % 4 ? 0 : 2 + i / 4));
    const GifPicture anim{8, 10, {kBlack, kGrey, 0x100000, 0x200000, 0x300000, 0x400000, 0x500000, 0x600000, 0x700000,
                                  0x800000}, 1, {first, {0, 0, 8, 10, false, -1, {}, Bytes(80, 9)}}};
    Colours drawn;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inFrame = x >= 2 && x < 6 && y >= 1 && y < 9, transparent = y == 3 && x > 2;
            drawn.push_back(inFrame && !transparent ? static_cast<std::uint32_t>(y) << 20 : kGrey);
        }
    // No global table, a black screen; the checkered frame from its own table hangs over the edges.
    GifFrame edge{2, 1, 4, 4, true, -1, {kRed, kGreen}, {}};
    for (int i = 0; i < 16; ++i) edge.indexes.push_back(static_cast<unsigned char>((i % 4 + i / 4) % 2));
    const Colours clipped = {kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kRed, kGreen, kBlack, kBlack, kGreen, kRed};
    for (const auto& [name, screen, expected] : {std::tuple{"anim.jpg", anim, drawn},  // the kind is told by content
                                                 std::tuple{"edge.gif", GifPicture{4, 3, {}, 0, {edge}}, clipped}}) {
        const Loaded l = LoadBytes(dir, name, Gif(screen));
        ASSERT_TRUE(l.ok) << l.why;
        ASSERT_EQ(l.bitmap.Width(), screen.width);
        EXPECT_EQ(ColoursOf(l.bitmap), expected) << name;
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
    if (!bitmap.Start(why) || !ConvertPicture(path.string(), *region, PictureFormats::More, why, missing) ||
        !region->Finish(why))
        return {};
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
        const Loaded whole = LoadBytes(dir, "picture.jpg", bytes);
        ASSERT_TRUE(whole.ok) << whole.why;
        for (const Placement placement : {Placement::Centre, Placement::Tile}) {
            std::string why;
            EXPECT_EQ(OnMonitor(path, 301, 203, placement, why), Composed(whole.bitmap, 301, 203, placement))
                << what << ", " << PlacementName(placement) << ": " << why;
        }
    }
}

// A monitor decodes only what it shows: stretched, a JPEG at the smallest of libjpeg's scales still at least the
// monitor's size; centred, nothing below its last row, so a file cut short there is still shown.
TEST(ConvertPicture, AMonitorDecodesOnlyWhatItShows) {
    TempDir dir;
    const Bytes jpeg = Jpeg(Noise(1001, 701), TJSAMP_420);
    WriteFile(dir.path() / "picture.jpg", jpeg);
    // 3/8 gives 376 x 263, 2/8 would give 251 x 176: too few pixels for 300 x 200.
    Bitmap scaled;
    std::string why;
    ASSERT_TRUE(scaled.Allocate(376, 263, why));
    tjhandle turbo = tjInitDecompress();
    ASSERT_EQ(tjDecompress2(turbo, jpeg.data(), jpeg.size(), scaled.Row(262), 376, static_cast<int>(scaled.Stride()), 263,
                            TJPF_BGR, TJFLAG_BOTTOMUP), 0) << tjGetErrorStr2(turbo);
    tjDestroy(turbo);
    EXPECT_EQ(OnMonitor(dir.path() / "picture.jpg", 300, 200, Placement::Stretch, why),
              Composed(scaled, 300, 200, Placement::Stretch)) << why;

    // Files cut three quarters of the way through a picture 512 rows high whose middle rows a 16 x 16 monitor shows.
    GifFrame frame{0, 0, 64, 512, false, -1, {}, {}};
    for (const std::uint32_t colour : ColoursOf(Noise(64, 512))) frame.indexes.push_back(Byte(static_cast<int>(colour & 3)));
    Bytes png;
    ASSERT_TRUE(EncodePng(Noise(64, 512), {}, png, why)) << why;
    for (const auto& bytes : {Jpeg(Noise(64, 512)), Gif({64, 512, {kRed, kGreen, kBlue, kWhite}, 0, {frame}}), png}) {
        WriteFile(dir.path() / "whole", bytes);
        Bitmap whole;
        std::string missing;
        ASSERT_TRUE(LoadPicture((dir.path() / "whole").string(), whole, PictureFormats::More, why, missing)) << why;
        WriteFile(dir.path() / "cut", Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * 3 / 4)));
        EXPECT_EQ(OnMonitor(dir.path() / "cut", 16, 16, Placement::Centre, why), Composed(whole, 16, 16, Placement::Centre))
            << why;
    }
}

TEST(LoadPicture, BrokenHugeAndOddFilesAreRefusedAndTheBitmapKept) {
    TempDir dir;
    std::vector<std::pair<std::string, Bytes>> files;
    auto cuts = [&](const std::string& kind, const Bytes& file, std::initializer_list<std::size_t> sizes) {
        for (std::size_t size : sizes)
            files.emplace_back(kind + " cut at " + std::to_string(size), Bytes(file.begin(), file.begin() + static_cast<long>(size)));
    };
    auto huge = [&](const std::string& name, Bytes file, std::initializer_list<std::size_t> at, bool bigEndian) {
        for (std::size_t i : at) file[i + bigEndian] = 60000 & 0xFF, file[i + !bigEndian] = 60000 >> 8;
        files.emplace_back(name, file);  // 60000 x 60000 over a small body
    };
    const Bytes jpeg = Jpeg(Quadrants());
    const std::size_t scan = FindMarker(jpeg, 0xDA), frameHeader = FindMarker(jpeg, 0xC0);
    cuts("jpeg", jpeg, {2, 3, 20, scan, scan + 20, (scan + jpeg.size()) / 2, jpeg.size() - 2});
    // CMYK goes through libjpeg's general path.
    const Bytes cmyk = CmykJpeg(64, Blocks<Inks>([](int x, int y) { return Inks{Byte(y * 64 + x), Byte((y * 64 + x) * 3), 0, 9}; }, 64), true);
    const std::size_t cmykScan = FindMarker(cmyk, 0xDA);
    cuts("cmyk", cmyk, {cmykScan + 30, (cmykScan + cmyk.size()) / 2, cmyk.size() - 2});
    GifFrame frame{0, 0, 16, 16, false, -1, {}, {}};
    for (int i = 0; i < 256; ++i) frame.indexes.push_back(Byte((i * 7 / 3) % 4));
    const Bytes gif = Gif({16, 16, {kRed, kGreen, kBlue, kWhite}, 0, {frame}});
    const std::size_t descriptor = 13 + 3 * 4;
    ASSERT_EQ(gif[descriptor], 0x2C);
    cuts("gif", gif, {6, 10, 16, descriptor, descriptor + 5, descriptor + 12, gif.size() / 2 + 5});
    huge("huge jpeg", jpeg, {frameHeader + 5, frameHeader + 7}, true);
    huge("huge gif screen", gif, {6, 8}, false);
    huge("huge gif frame", gif, {descriptor + 5, descriptor + 7}, false);
    // BMP files, text, empty files, folders and missing files: picture_core_test.cpp.
    files.insert(files.end(), {{"zip", {'P', 'K', 3, 4, 20, 0, 0, 0, 8, 0}},
                               {"PNG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}}});
    std::vector<std::string> names = {"pipe.gif"};
    ASSERT_EQ(::mkfifo((dir.path() / "pipe.gif").c_str(), 0600), 0);
    for (const auto& [name, bytes] : files) WriteFile(dir.path() / (name + ".jpg"), bytes), names.push_back(name + ".jpg");
    for (const std::string& name : names) {
        Bitmap bitmap = BitmapOf(1, 1, {0x123456});
        std::string why;
        EXPECT_FALSE(LoadPicture((dir.path() / name).string(), bitmap, why)) << name;
        EXPECT_FALSE(why.empty()) << name;
        ASSERT_EQ(bitmap.Width(), 1) << name;  // what the caller had is kept
        EXPECT_EQ(ColourAt(bitmap, 0, 0), 0x123456u) << name;
    }
}

// A small progressive file declaring 18000 x 18000 (2 GB of coefficients) is refused before any is touched.
TEST(LoadPicture, AProgressiveFileDeclaringAVastPictureIsRefusedCheaply) {
    TempDir dir;
    Bytes jpeg = Jpeg(Quadrants(), TJSAMP_444, true);
    EXPECT_TRUE(LoadBytes(dir, "progressive.jpg", jpeg).ok);
    const std::size_t frame = FindMarker(jpeg, 0xC2);
    for (std::size_t at : {frame + 5, frame + 7}) jpeg[at] = 18000 >> 8, jpeg[at + 1] = 18000 & 0xFF;
    WriteFile(dir.path() / "vast.jpg", jpeg);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Bitmap bitmap;
        std::string why;
        _exit(LoadPicture((dir.path() / "vast.jpg").string(), bitmap, why) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the vast picture was accepted";
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "peak memory in KiB of the refusing process";
}

}  // namespace
}  // namespace sarvo::platform
