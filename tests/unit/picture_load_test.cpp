// LoadPicture with each platform's own loader: a BMP file comes back
// exactly, and what is no picture is refused, naming the file.
#include "platform/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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
