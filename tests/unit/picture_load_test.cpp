// LoadPicture with each platform's own loader: a BMP file comes back
// exactly, a GIF's transparent parts show the same colour everywhere, and
// what is no picture is refused, naming the file.
#include "platform/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/files.h"
#include "platform/paths.h"
#include "picture_test_support.h"
#include "support/temp_dir.h"

using namespace sarvo;

TEST(LoadPicture, ABmpFileComesBackExactly) {
    test::Colours colours;  // an odd width: the rows carry padding
    for (std::uint32_t i = 0; i < 61 * 37; ++i) colours.push_back((i * 0x010203u) & 0xFFFFFFu);
    const Bitmap source = test::BitmapOf(61, 37, colours);
    test::TempDir dir;
    const std::string file = dir.str() + platform::kPathSeparator + "写真 1.bmp";
    std::string why;
    ASSERT_TRUE(platform::WriteFileReplacing(file, source.FileData(), source.FileSize(), why)) << why;
    Bitmap loaded;
    ASSERT_TRUE(platform::LoadPicture(file, loaded, why)) << why;
    EXPECT_EQ(test::ColoursOf(loaded), colours);
    // The bitmap in memory is the BMP file as it will be written.
    ASSERT_EQ(loaded.FileSize(), source.FileSize());
    EXPECT_TRUE(std::equal(loaded.FileData(), loaded.FileData() + loaded.FileSize(), source.FileData()));
}

// Two-pixel GIFs whose second pixel is transparent: it shows the background
// colour of the global table (green, index 2), or black without a table.
TEST(LoadPicture, TransparentGifPixelsShowTheBackgroundOrBlack) {
    using B = std::vector<unsigned char>;
    const B control = {0x21, 0xF9, 4, 1, 0, 0, 1, 0};  // transparent index 1
    const B pixels = {0x2C, 0, 0, 0, 0, 2, 0, 1, 0};   // a 2 x 1 frame at 0,0
    const B data = {2, 2, 0x44, 0x0A, 0, 0x3B};        // LZW: clear, 0, 1, end
    B withTable = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x81, 2, 0,
                   0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0x12, 0x34, 0x56};
    withTable.insert(withTable.end(), control.begin(), control.end());
    withTable.insert(withTable.end(), pixels.begin(), pixels.end());
    withTable.push_back(0x00);
    withTable.insert(withTable.end(), data.begin(), data.end());
    B localOnly = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x00, 2, 0};
    localOnly.insert(localOnly.end(), control.begin(), control.end());
    localOnly.insert(localOnly.end(), pixels.begin(), pixels.end());
    localOnly.insert(localOnly.end(), {0x80, 0xFF, 0, 0, 0, 0, 0xFF});  // local table: red, blue
    localOnly.insert(localOnly.end(), data.begin(), data.end());
    test::TempDir dir;
    for (const auto& [name, bytes, ground] : {std::tuple{"table.gif", withTable, 0x00FF00u},
                                              std::tuple{"local.gif", localOnly, 0x000000u}}) {
        test::WriteFile(dir.path() / name, bytes);
        Bitmap bitmap;
        std::string why;
        ASSERT_TRUE(platform::LoadPicture(dir.str() + platform::kPathSeparator + name, bitmap, why)) << why;
        ASSERT_EQ(bitmap.Width(), 2);
        EXPECT_EQ(test::ColourAt(bitmap, 0, 0), 0xFF0000u) << name;
        EXPECT_EQ(test::ColourAt(bitmap, 1, 0), ground) << name;
    }
}

TEST(LoadPicture, WhatIsNoPictureIsRefusedNamingTheFile) {
    test::TempDir dir;
    test::WriteFile(dir.path() / "text.jpg", "this is no picture");
    test::WriteFile(dir.path() / "empty.gif", "");
    std::filesystem::create_directory(dir.path() / "folder.jpg");
    for (const char* name : {"text.jpg", "empty.gif", "folder.jpg", "missing.bmp"}) {
        Bitmap bitmap;
        std::string why;
        EXPECT_FALSE(platform::LoadPicture(dir.str() + platform::kPathSeparator + name, bitmap, why)) << name;
        EXPECT_TRUE(bitmap.Empty()) << name;
        // A picture loaded before is kept.
        ASSERT_TRUE(bitmap.Allocate(2, 1, why));
        EXPECT_FALSE(platform::LoadPicture(dir.str() + platform::kPathSeparator + name, bitmap, why)) << name;
        EXPECT_EQ(bitmap.Width(), 2) << name;
        EXPECT_NE(why.find(name), std::string::npos) << why;
    }
}
