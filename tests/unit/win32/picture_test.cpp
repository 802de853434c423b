// The Win32 picture loader, and the header check refusing pictures too large
// to hold before the system's decoder sees them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pure/bitmap.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "picture_size_win32.h"
#include "picture_test_support.h"
#include "support/temp_dir.h"

using namespace sarvo;
using sarvo::test::ColourAt;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

namespace {

std::string Sample(const std::string& name) { return SARVO_TEST_PICTURES "/" + name; }

std::vector<unsigned char> Bytes(const std::string& name) {
    std::vector<unsigned char> bytes;
    std::string why;
    EXPECT_TRUE(platform::ReadWholeFile(Sample(name), bytes, 1u << 24, why)) << why;
    return bytes;
}

Bitmap Load(const std::string& path, PictureFormats formats = PictureFormats::Classic) {
    Bitmap bitmap;
    std::string why;
    std::string missing;
    EXPECT_TRUE(platform::LoadPicture(path, bitmap, formats, why, missing)) << why;
    return bitmap;
}

// How many pixels of `turned` are not those of `plain` turned a quarter clockwise.
int NotTurnedClockwise(const Bitmap& turned, const Bitmap& plain) {
    int wrong = 0;
    for (int y = 0; y < turned.Height(); ++y)
        for (int x = 0; x < turned.Width(); ++x) wrong += ColourAt(turned, x, y) != ColourAt(plain, y, plain.Height() - 1 - x);
    return wrong;
}

}  // namespace

// 6: stored turned a quarter anticlockwise, shown a quarter clockwise.
TEST(LoadPicture, AJpegIsTurnedUprightByItsExifOrientation) {
    TempDir dir;
    WriteFile(dir.path() / "turned.jpg", test::WithOrientation(Bytes("sample.jpg"), 6));
    const Bitmap turned = Load(dir.str() + "\\turned.jpg");
    const Bitmap plain = Load(Sample("sample.jpg"));
    ASSERT_EQ(turned.Width(), plain.Height());
    ASSERT_EQ(turned.Height(), plain.Width());
    EXPECT_EQ(NotTurnedClockwise(turned, plain), 0);
}

TEST(MoreFormats, AlphaIsLaidOnBlack) {
    const Bitmap half = Load(Sample("half.png"), PictureFormats::More);
    EXPECT_TRUE(test::Near(ColourAt(half, 3, 1), 0x804000, 1)) << std::hex << ColourAt(half, 3, 1);
}

// A cut JPEG, and a JPEG frame header declaring 60000 x 60000 pixels followed by nothing useful.
TEST(LoadPicture, ACutJpegAndOneTooLargeToHoldAreRefusedNamingTheFileAndTheReason) {
    TempDir dir;
    const auto jpeg = Bytes("sample.jpg");
    WriteFile(dir.path() / "cut.jpg", std::vector<unsigned char>(jpeg.begin(), jpeg.begin() + 100));
    std::vector<unsigned char> huge = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xEA, 0x60, 0xEA, 0x60, 0x03,
                                       0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01};
    huge.resize(4096, 0);
    WriteFile(dir.path() / "huge.jpg", huge);
    for (const auto& [name, reason] : {std::pair{"cut.jpg", ""}, {"huge.jpg", "60000 x 60000"}}) {
        Bitmap bitmap;
        std::string why;
        EXPECT_FALSE(platform::LoadPicture(dir.str() + "\\" + name, bitmap, why)) << name;
        EXPECT_TRUE(bitmap.Empty()) << name;
        EXPECT_NE(why.find(name), std::string::npos) << why;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }
}

TEST(DeclaredSize, IsReadFromEachKindOfHeader) {
    const struct {
        const char* what;
        std::vector<unsigned char> file;
        long width, height;  // or 0 when the size cannot be read
    } cases[] = {
        {"JPEG, JFIF and more before the frame", Bytes("sample.jpg"), 61, 37},
        {"top-down BMP: a negative height",
         {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 0x10, 0x27, 0, 0, 0xF6, 0xFF, 0xFF, 0xFF},
         10000, 10},
        {"OS/2 BMP: 16-bit sizes",
         {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 3, 0, 2, 0, 0, 0, 0, 0}, 3, 2},
        {"PNG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 1, 0, 0, 0, 0, 0, 7},
         65536, 7},
        // A 2 x 2 screen without a colour table, then a frame at (1, 1) of 40000 x 3.
        {"GIF frame beyond its screen",
         {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x00, 0, 0, 0x21, 0xF9, 4, 0, 0, 0, 0, 0,  // graphic control
          0x2C, 1, 0, 1, 0, 0x40, 0x9C, 3, 0, 0x00, 2, 1, 0x44, 0, 0x3B},
         40001, 4},
        {"cut BMP", {'B', 'M', 0, 0, 0, 0}, 0, 0},
        {"JPEG without a frame", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0, 0, 0xFF, 0xDA, 0x00, 0x02}, 0, 0},
        {"nothing", {}, 0, 0},
    };
    for (const auto& c : cases) {
        win32::DeclaredSize d{};
        EXPECT_EQ(win32::ReadDeclaredSize(c.file.empty() ? nullptr : c.file.data(), c.file.size(), d), c.width != 0)
            << c.what;
        if (c.width == 0) continue;
        EXPECT_EQ(d.width, c.width) << c.what;
        EXPECT_EQ(d.height, c.height) << c.what;
    }
}
