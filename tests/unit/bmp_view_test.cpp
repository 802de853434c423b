#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pure/bmp_view.h"
#include "core/pure/bytes.h"

using namespace sarvo;

namespace {

// A 3 x 2 picture as the suite writes it, each pixel's bytes distinct.
std::vector<unsigned char> SmallFile() {
    Bitmap bitmap;
    std::string why;
    EXPECT_TRUE(bitmap.Allocate(3, 2, why)) << why;
    for (int i = 0; i < 18; ++i) bitmap.Row(i / 9)[i % 9] = static_cast<unsigned char>(i + 1);
    return {bitmap.FileData(), bitmap.FileData() + bitmap.FileSize()};
}

}  // namespace

TEST(ViewBmp24, ReadsTheRowsInPlaceBottomUpOrTopDown) {
    for (const bool topDown : {false, true}) {
        std::vector<unsigned char> file = SmallFile();
        if (topDown) PutLe32(file.data() + 22, static_cast<std::uint32_t>(-2));
        BgrPicture picture;
        std::string why;
        ASSERT_TRUE(ViewBmp24(file.data(), file.size(), picture, why)) << why;
        EXPECT_EQ(picture.width, 3);
        EXPECT_EQ(picture.height, 2);
        // Rows are padded to 12 bytes; a top-down file starts with its top row.
        EXPECT_EQ(picture.Row(0), file.data() + 54 + (topDown ? 0 : 12));
        EXPECT_EQ(picture.Row(1), file.data() + 54 + (topDown ? 12 : 0));
    }
}

TEST(ViewBmp24, RefusesWhatItCannotShowWithAReason) {
    const std::vector<unsigned char> good = SmallFile();
    const struct {
        const char* what;
        std::size_t offset;  // where to write `value`, or the new size when `cut`
        std::uint32_t value;
        bool cut;
    } cases[] = {
        {"not BM", 0, 'X', false},           {"8 bits per pixel", 28, 8, false},
        {"RLE compression", 30, 1, false},   {"OS/2 header", 14, 12, false},
        {"zero width", 18, 0, false},        {"zero height", 22, 0, false},
        {"pixels beyond the end", 10, 1000, false},
        {"one byte short", good.size() - 1, 0, true},
        {"headers only", 54, 0, true},       {"no info header", 20, 0, true},
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> file = good;
        if (c.cut)
            file.resize(c.offset);
        else if (c.offset == 0)
            file[0] = static_cast<unsigned char>(c.value);
        else if (c.offset == 28)
            PutLe16(file.data() + c.offset, c.value);
        else
            PutLe32(file.data() + c.offset, c.value);
        BgrPicture picture;
        std::string why;
        EXPECT_FALSE(ViewBmp24(file.data(), file.size(), picture, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
        EXPECT_EQ(picture.top, nullptr) << c.what;
    }
}
