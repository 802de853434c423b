#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/bmp_view.h"
#include "core/bytes.h"

using namespace sarvo;

namespace {

// A 3 x 2 picture as the suite writes it, each pixel's bytes distinct.
Bitmap SmallBitmap() {
    Bitmap bitmap;
    std::string why;
    EXPECT_TRUE(bitmap.Allocate(3, 2, why)) << why;
    unsigned char value = 1;
    for (int y = 0; y < 2; ++y)
        for (int i = 0; i < 9; ++i) bitmap.Row(y)[i] = value++;
    return bitmap;
}

std::vector<unsigned char> FileOf(const Bitmap& bitmap) {
    return {bitmap.FileData(), bitmap.FileData() + bitmap.FileSize()};
}

bool View(const std::vector<unsigned char>& file, BgrPicture& picture, std::string& why) {
    return ViewBmp24(file.data(), file.size(), picture, why);
}

}  // namespace

TEST(ViewBmp24, ReadsTheRowsOfTheSuitesBitmapInPlace) {
    const Bitmap bitmap = SmallBitmap();
    BgrPicture picture;
    std::string why;
    ASSERT_TRUE(ViewBmp24(bitmap.FileData(), bitmap.FileSize(), picture, why)) << why;
    EXPECT_EQ(picture.width, 3);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.Row(0), bitmap.Row(0));
    EXPECT_EQ(picture.Row(1), bitmap.Row(1));
}

TEST(ViewBmp24, TopDownFileStartsWithItsTopRow) {
    std::vector<unsigned char> file = FileOf(SmallBitmap());
    PutLe32(file.data() + 22, static_cast<std::uint32_t>(-2));
    BgrPicture picture;
    std::string why;
    ASSERT_TRUE(View(file, picture, why)) << why;
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.Row(0), file.data() + 54);
    EXPECT_EQ(picture.Row(1), file.data() + 54 + 12);  // rows padded to 12 bytes
}

TEST(ViewBmp24, RefusesWhatItCannotShowWithAReason) {
    const std::vector<unsigned char> good = FileOf(SmallBitmap());
    struct Case {
        const char* what;
        std::size_t offset;  // where to write `value`, or the new size when `cut`
        std::uint32_t value;
        bool cut;
    };
    const Case cases[] = {
        {"not BM", 0, 'X', false},
        {"8 bits per pixel", 28, 8, false},
        {"RLE compression", 30, 1, false},
        {"OS/2 header", 14, 12, false},
        {"zero width", 18, 0, false},
        {"zero height", 22, 0, false},
        {"pixels beyond the end", 10, 1000, false},
        {"one byte short", good.size() - 1, 0, true},
        {"headers only", 54, 0, true},
        {"no info header", 20, 0, true},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> file = good;
        if (c.cut) {
            file.resize(c.offset);
        } else if (c.offset == 0) {
            file[0] = static_cast<unsigned char>(c.value);
        } else if (c.offset == 28) {
            PutLe16(file.data() + c.offset, c.value);
        } else {
            PutLe32(file.data() + c.offset, c.value);
        }
        BgrPicture picture;
        std::string why;
        EXPECT_FALSE(View(file, picture, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
        EXPECT_EQ(picture.top, nullptr) << c.what;
    }
}
