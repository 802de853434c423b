// LoadPicture on real files in a temporary folder: pictures written with the
// same libraries a user's camera or editor would use, and a corpus of broken,
// huge and unreadable files.
#include "picture.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/as_user.h"
#include <jpeglib.h>
#include <turbojpeg.h>

#include "picture_test_support.h"
#include "picture_writers.h"
#include "support/temp_dir.h"

namespace sarvo::platform {
namespace {

using test::Colours;
using test::Near;
using Bytes = std::vector<unsigned char>;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                        kBlack = 0x000000, kGrey = 0x808080;
constexpr int kJpegTolerance = 8;

struct Loaded {
    bool ok = false;
    Bitmap bitmap;
    std::string why;
};

Loaded Load(const std::filesystem::path& path) {
    Loaded l;
    l.ok = LoadPicture(path.string(), l.bitmap, l.why);
    return l;
}

// Four flat blocks of 16 x 16, aligned with the JPEG blocks: red, green over blue, white.
Bitmap Quadrants() {
    Colours colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            colours.push_back(y < 16 ? (x < 16 ? kRed : kGreen) : (x < 16 ? kBlue : kWhite));
    return test::BitmapOf(32, 32, colours);
}

Bytes Jpeg(const Bitmap& picture, int subsampling = TJSAMP_444) {
    Bytes out;
    std::string why;
    EXPECT_TRUE(test::EncodeJpeg(picture, 95, subsampling, out, why)) << why;
    return out;
}

Bytes Gif(const test::GifPicture& picture) {
    Bytes out;
    std::string why;
    EXPECT_TRUE(test::EncodeGif(picture, out, why)) << why;
    return out;
}

Bytes BmpFile(const Bitmap& picture) {
    return Bytes(picture.FileData(), picture.FileData() + picture.FileSize());
}

// Ink amounts (cyan, magenta, yellow, black; 255 is full ink) for every
// pixel, through libjpeg's compressor. With `adobe`, stored inverted and
// marked as Adobe's programs do.
Bytes CmykJpeg(int width, int height, const std::vector<std::array<unsigned char, 4>>& inks,
               bool adobe) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    c.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 4; ++k) {
                const unsigned char ink = inks[static_cast<std::size_t>(y * width + x)][static_cast<std::size_t>(k)];
                row[static_cast<std::size_t>(x * 4 + k)] = adobe ? static_cast<unsigned char>(255 - ink) : ink;
            }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// An APP1 Exif block with only an orientation, little-endian.
Bytes ExifSegment(unsigned char orientation) {
    return {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0,  //
            'I', 'I', 42, 0, 8, 0, 0, 0,                   // TIFF header, IFD0 at 8
            1, 0,                                          // one entry:
            0x12, 0x01, 3, 0, 1, 0, 0, 0, orientation, 0, 0, 0,
            0, 0, 0, 0};
}

std::size_t FindMarker(const Bytes& jpeg, unsigned char marker) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
    ADD_FAILURE() << "marker not found";
    return 0;
}

void ExpectQuadrants(const Loaded& l, Colours expected, int tolerance) {
    ASSERT_TRUE(l.ok) << l.why;
    ASSERT_EQ(l.bitmap.Width(), 32);
    ASSERT_EQ(l.bitmap.Height(), 32);
    const int centres[][2] = {{8, 8}, {24, 8}, {8, 24}, {24, 24}};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t got = test::ColourAt(l.bitmap, centres[i][0], centres[i][1]);
        EXPECT_TRUE(Near(got, expected[i], tolerance))
            << "block " << i << ": got " << std::hex << got << ", expected " << expected[i];
    }
}

TEST(LoadPicture, JpegFlatBlocksComeBackCloseToTheSource) {
    test::TempDir dir;
    for (int subsampling : {TJSAMP_444, TJSAMP_420, TJSAMP_GRAY}) {
        SCOPED_TRACE("subsampling " + std::to_string(subsampling));
        test::WriteFile(dir.path() / "p.jpg", Jpeg(Quadrants(), subsampling));
        const Loaded l = Load(dir.path() / "p.jpg");
        if (subsampling == TJSAMP_GRAY)  // luminance of red, green, blue, white
            ExpectQuadrants(l, {0x4C4C4C, 0x969696, 0x1D1D1D, kWhite}, kJpegTolerance);
        else
            ExpectQuadrants(l, {kRed, kGreen, kBlue, kWhite}, kJpegTolerance);
    }
}

TEST(LoadPicture, JpegWithAnExifOrientationIsShownUpright) {
    test::TempDir dir;
    // 32 x 16: red left, blue right; turned a quarter clockwise it is 16 x 32, red on top.
    Colours colours;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) colours.push_back(x < 16 ? kRed : kBlue);
    Bytes jpeg = Jpeg(test::BitmapOf(32, 16, colours));
    const Bytes exif = ExifSegment(6);
    jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
    test::WriteFile(dir.path() / "turned.jpg", jpeg);

    const Loaded l = Load(dir.path() / "turned.jpg");
    ASSERT_TRUE(l.ok) << l.why;
    ASSERT_EQ(l.bitmap.Width(), 16);
    ASSERT_EQ(l.bitmap.Height(), 32);
    EXPECT_TRUE(Near(test::ColourAt(l.bitmap, 8, 8), kRed, kJpegTolerance));
    EXPECT_TRUE(Near(test::ColourAt(l.bitmap, 8, 24), kBlue, kJpegTolerance));
}

TEST(LoadPicture, CmykJpegsAreConvertedWithOrWithoutAdobeInversion) {
    test::TempDir dir;
    const std::array<unsigned char, 4> red = {0, 255, 255, 0}, green = {255, 0, 255, 0},
                                       grey = {0, 0, 0, 128}, pink = {0, 128, 0, 0};
    std::vector<std::array<unsigned char, 4>> inks;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) inks.push_back(y < 16 ? (x < 16 ? red : green) : (x < 16 ? grey : pink));
    for (bool adobe : {true, false}) {
        SCOPED_TRACE(adobe ? "Adobe" : "plain");
        test::WriteFile(dir.path() / "cmyk.jpg", CmykJpeg(32, 32, inks, adobe));
        ExpectQuadrants(Load(dir.path() / "cmyk.jpg"), {kRed, kGreen, 0x7F7F7F, 0xFF7FFF},
                        kJpegTolerance);
    }
}

TEST(LoadPicture, SlightlyDamagedJpegIsStillShown) {
    test::TempDir dir;
    // Stray bytes before the end marker, more than the decoder reads ahead:
    // libjpeg warns, the picture is whole.
    Bytes jpeg = Jpeg(Quadrants());
    for (unsigned char b = 1; b <= 100; ++b) jpeg.insert(jpeg.end() - 2, b);
    test::WriteFile(dir.path() / "stray.jpg", jpeg);
    ExpectQuadrants(Load(dir.path() / "stray.jpg"), {kRed, kGreen, kBlue, kWhite}, kJpegTolerance);
}

TEST(LoadPicture, GifFirstFrameIsDrawnOnItsScreen) {
    test::TempDir dir;
    // Screen 8 x 10 of grey (global index 1); the first frame, 4 x 8 at (2, 1),
    // interlaced, one colour a row, with index 0 transparent in its third row.
    test::GifPicture gif;
    gif.width = 8;
    gif.height = 10;
    gif.background = 1;
    gif.colours = {kBlack, kGrey, 0x100000, 0x200000, 0x300000, 0x400000,
                   0x500000, 0x600000, 0x700000, 0x800000};
    test::GifFrame first;
    first.left = 2;
    first.top = 1;
    first.width = 4;
    first.height = 8;
    first.interlaced = true;
    first.transparent = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x)
            first.indexes.push_back(static_cast<unsigned char>(y == 2 && x > 0 ? 0 : 2 + y));
    test::GifFrame second;  // the animation's next frame is never shown
    second.width = 8;
    second.height = 10;
    second.indexes.assign(80, 9);
    gif.frames = {first, second};
    test::WriteFile(dir.path() / "anim.gif", Gif(gif));

    const Loaded l = Load(dir.path() / "anim.gif");
    ASSERT_TRUE(l.ok) << l.why;
    ASSERT_EQ(l.bitmap.Width(), 8);
    ASSERT_EQ(l.bitmap.Height(), 10);
    Colours expected;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inFrame = x >= 2 && x < 6 && y >= 1 && y < 9;
            const bool transparent = y - 1 == 2 && x - 2 > 0;
            expected.push_back(inFrame && !transparent ? static_cast<std::uint32_t>(y) << 20 : kGrey);
        }
    EXPECT_EQ(test::ColoursOf(l.bitmap), expected);
}

TEST(LoadPicture, GifFrameOutsideTheScreenIsClippedAndItsOwnTableUsed) {
    test::TempDir dir;
    // No global table: the screen is black. The frame, checkered red and green
    // from its own table and interlaced, hangs over the right and bottom edges.
    test::GifPicture gif;
    gif.width = 4;
    gif.height = 3;
    test::GifFrame frame;
    frame.left = 2;
    frame.top = 1;
    frame.width = 4;
    frame.height = 4;
    frame.interlaced = true;
    frame.colours = {kRed, kGreen};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) frame.indexes.push_back(static_cast<unsigned char>((x + y) % 2));
    gif.frames = {frame};
    test::WriteFile(dir.path() / "edge.gif", Gif(gif));

    const Loaded l = Load(dir.path() / "edge.gif");
    ASSERT_TRUE(l.ok) << l.why;
    EXPECT_EQ(test::ColoursOf(l.bitmap), (Colours{kBlack, kBlack, kBlack, kBlack,  //
                                                  kBlack, kBlack, kRed, kGreen,    //
                                                  kBlack, kBlack, kGreen, kRed}));
}

TEST(LoadPicture, BmpFileComesBackPixelForPixel) {
    test::TempDir dir;
    Colours colours;
    for (int i = 0; i < 5 * 3; ++i) colours.push_back(static_cast<std::uint32_t>(i * 0x010203));
    test::WriteFile(dir.path() / "p.bmp", BmpFile(test::BitmapOf(5, 3, colours)));
    const Loaded l = Load(dir.path() / "p.bmp");
    ASSERT_TRUE(l.ok) << l.why;
    EXPECT_EQ(l.bitmap.Width(), 5);
    EXPECT_EQ(test::ColoursOf(l.bitmap), colours);
}

TEST(LoadPicture, TheKindIsToldByContentAndOddNamesAreFine) {
    test::TempDir dir;
    test::GifPicture gif;
    gif.width = 2;
    gif.height = 1;
    gif.colours = {kRed, kBlue};
    test::GifFrame frame;
    frame.width = 2;
    frame.height = 1;
    frame.indexes = {1, 0};
    gif.frames = {frame};
    const std::filesystem::path gifAsJpeg = dir.path() / "really a gif.jpg";
    test::WriteFile(gifAsJpeg, Gif(gif));
    Loaded l = Load(gifAsJpeg);
    ASSERT_TRUE(l.ok) << l.why;
    EXPECT_EQ(test::ColoursOf(l.bitmap), (Colours{kBlue, kRed}));

    const std::filesystem::path odd = dir.path() / "it's \"$HOME\" \n 写真.gif";
    test::WriteFile(odd, Jpeg(Quadrants()));
    ExpectQuadrants(Load(odd), {kRed, kGreen, kBlue, kWhite}, kJpegTolerance);
}

Bytes Cut(const Bytes& file, std::size_t size) {
    return Bytes(file.begin(), file.begin() + static_cast<long>(size));
}

TEST(LoadPicture, BrokenHugeAndOddFilesAreRefusedAndTheBitmapKept) {
    test::TempDir dir;
    std::vector<std::pair<std::string, Bytes>> files;
    auto add = [&](const std::string& name, const Bytes& bytes) { files.emplace_back(name, bytes); };

    const Bytes jpeg = Jpeg(Quadrants());
    const std::size_t scan = FindMarker(jpeg, 0xDA);
    for (std::size_t size : {std::size_t{2}, std::size_t{3}, std::size_t{20}, scan, scan + 20,
                             (scan + jpeg.size()) / 2, jpeg.size() - 2})
        add("jpeg cut at " + std::to_string(size) + ".jpg", Cut(jpeg, size));

    // CMYK goes through libjpeg's general path.
    std::vector<std::array<unsigned char, 4>> inks(64 * 64);
    for (std::size_t i = 0; i < inks.size(); ++i)
        inks[i] = {static_cast<unsigned char>(i), static_cast<unsigned char>(i * 3), 0, 9};
    const Bytes cmyk = CmykJpeg(64, 64, inks, true);
    const std::size_t cmykScan = FindMarker(cmyk, 0xDA);
    for (std::size_t size : {cmykScan + 30, (cmykScan + cmyk.size()) / 2, cmyk.size() - 2})
        add("cmyk cut at " + std::to_string(size) + ".jpg", Cut(cmyk, size));

    test::GifPicture gif;
    gif.width = 16;
    gif.height = 16;
    gif.colours = {kRed, kGreen, kBlue, kWhite};
    test::GifFrame frame;
    frame.width = frame.height = 16;
    for (int i = 0; i < 256; ++i) frame.indexes.push_back(static_cast<unsigned char>((i * 7 / 3) % 4));
    gif.frames = {frame};
    const Bytes gifFile = Gif(gif);
    const std::size_t descriptor = 13 + 3 * 4;
    ASSERT_EQ(gifFile[descriptor], 0x2C);
    for (std::size_t size : {std::size_t{6}, std::size_t{10}, std::size_t{16}, descriptor,
                             descriptor + 5, descriptor + 12, gifFile.size() / 2 + 5})
        add("gif cut at " + std::to_string(size) + ".gif", Cut(gifFile, size));

    const Bytes bmp = BmpFile(Quadrants());
    for (std::size_t size : {std::size_t{1}, std::size_t{14}, std::size_t{30}, std::size_t{54},
                             bmp.size() / 2, bmp.size() - 1})
        add("bmp cut at " + std::to_string(size) + ".bmp", Cut(bmp, size));

    // Headers that claim 60000 x 60000 over a small body.
    Bytes hugeJpeg = jpeg;
    const std::size_t frameHeader = FindMarker(hugeJpeg, 0xC0);
    for (std::size_t at : {frameHeader + 5, frameHeader + 7}) {
        hugeJpeg[at] = 60000 >> 8;
        hugeJpeg[at + 1] = 60000 & 0xFF;
    }
    add("huge.jpg", hugeJpeg);
    Bytes hugeScreen = gifFile;
    hugeScreen[6] = hugeScreen[8] = 60000 & 0xFF;
    hugeScreen[7] = hugeScreen[9] = 60000 >> 8;
    add("huge screen.gif", hugeScreen);
    Bytes hugeFrame = gifFile;
    hugeFrame[descriptor + 5] = hugeFrame[descriptor + 7] = 60000 & 0xFF;
    hugeFrame[descriptor + 6] = hugeFrame[descriptor + 8] = 60000 >> 8;
    add("huge frame.gif", hugeFrame);
    Bytes hugeBmp = bmp;
    for (std::size_t at : {std::size_t{18}, std::size_t{22}}) {
        hugeBmp[at] = 60000 & 0xFF;
        hugeBmp[at + 1] = 60000 >> 8;
    }
    add("huge.bmp", hugeBmp);

    add("empty.jpg", {});
    add("zip.gif", {'P', 'K', 3, 4, 20, 0, 0, 0, 8, 0});
    add("text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'});
    add("PNG.jpg", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});

    for (const auto& [name, bytes] : files) test::WriteFile(dir.path() / name, bytes);
    std::filesystem::create_directory(dir.path() / "folder.jpg");
    ASSERT_EQ(::mkfifo((dir.path() / "pipe.gif").c_str(), 0600), 0);

    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.first);
    names.insert(names.end(), {"folder.jpg", "pipe.gif", "missing.jpg"});
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Bitmap bitmap = test::BitmapOf(1, 1, {0x123456});
        std::string why;
        EXPECT_FALSE(LoadPicture((dir.path() / name).string(), bitmap, why));
        EXPECT_FALSE(why.empty());
        // What the caller had is kept.
        ASSERT_EQ(bitmap.Width(), 1);
        EXPECT_EQ(test::ColourAt(bitmap, 0, 0), 0x123456u);
    }
}

TEST(LoadPicture, UnreadableFileIsRefused) {
    test::TempDir dir;
    const auto path = dir.path() / "locked.bmp";
    test::WriteFile(path, BmpFile(Quadrants()));
    std::filesystem::permissions(path, std::filesystem::perms::none);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all |
                                                 std::filesystem::perms::others_exec);
    EXPECT_TRUE(test::RunWithoutPrivileges([&] {
        const Loaded l = Load(path);
        return !l.ok && l.why.find("Permission denied") != std::string::npos;
    }));
}

}  // namespace
}  // namespace sarvo::platform
