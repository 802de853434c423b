// What desktops are handed in place of the bitmap: PNG copies, alternating names, large pictures on a canvas.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>

#include "picture_test_support.h"
#include "presenter.h"
#include "support/temp_dir.h"

using namespace sarvo;
using namespace sarvo::platform;
namespace fs = std::filesystem;

namespace {

void Save(const Bitmap& bitmap, const fs::path& path) { test::WriteFile(path, test::FileOf(bitmap)); }

// The PNG's pixels as 0xRRGGBB, rows from the top; its size in `width`/`height`.
test::Colours ReadPng(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    test::Colours colours;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        colours.push_back(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
    return colours;
}

}  // namespace

// Each picture gets the other name and only the taken one stays; what a desktop
// cannot show is laid out on the screen's canvas and stretched.
TEST(Presenter, EachPictureGetsTheOtherNameAndWhatADesktopCannotShowIsLaidOutOnTheCanvas) {
    test::TempDir dir;
    const std::string bitmap = (dir.path() / "SarvoChangerGraphic.bmp").string();
    const test::Colours colours{0xff0000, 0x00ff00, 0x0000ff, 0x123456, 0xffffff, 0x000001};
    Save(test::BitmapOf(3, 2, colours), bitmap);
    std::string why;
    presenter::Handed first, second, refused;
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Tile, DesktopMode::Xfce, presenter::Format::Png, first, why)) << why;
    EXPECT_EQ(first.path + first.mode, dir.str() + "/SarvoChangerGraphic-a.png2");
    const std::vector<std::string> names = presenter::HandedFiles(bitmap);  // what the uninstaller removes
    EXPECT_NE(std::find(names.begin(), names.end(), first.path), names.end());
    int width = 0, height = 0;
    EXPECT_EQ(ReadPng(first.path, width, height), colours);
    EXPECT_EQ(width * 10 + height, 32);
    presenter::Keep(bitmap, first);

    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Centre, DesktopMode::Plasma, presenter::Format::Bitmap, second, why));
    EXPECT_EQ(second.path + second.mode, dir.str() + "/SarvoChangerGraphic-b.bmp6");
    presenter::Keep(bitmap, second);
    EXPECT_FALSE(fs::exists(first.path));
    EXPECT_TRUE(fs::equivalent(second.path, bitmap)) << "a link, not a copy";

    // A refused picture goes; the one shown stays.
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Centre, DesktopMode::Sway, presenter::Format::Png, refused, why));
    EXPECT_EQ(refused.path, dir.str() + "/SarvoChangerGraphic-a.png");
    presenter::Discard(refused);
    EXPECT_TRUE(!fs::exists(refused.path) && fs::exists(second.path));
    presenter::RemoveHanded(bitmap);
    EXPECT_TRUE(!fs::exists(second.path) && fs::exists(bitmap));
    presenter::Handed handed;
    // hyprpaper has no centred mode: a 2 x 2 picture centred on a 4 x 2 canvas.
    Save(test::BitmapOf(2, 2, {0x111111, 0x222222, 0x333333, 0x444444}), bitmap);
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Centre, DesktopMode::Hyprpaper, presenter::Format::Png, handed, why, 4, 2)) << why;
    EXPECT_EQ(handed.mode, "stretch");
    EXPECT_EQ(ReadPng(handed.path, width, height), (test::Colours{0, 0x111111, 0x222222, 0, 0, 0x333333, 0x444444, 0}));

    // Too many pixels to encode quickly: laid out on the canvas as asked, and handed over stretched.
    const int big = 3000;  // 9 megapixels
    Save(test::BitmapOf(big, big, test::Colours(static_cast<std::size_t>(big) * big, 0xabcdef)), bitmap);
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Tile, DesktopMode::GSettings, presenter::Format::Png, handed, why, 8, 6)) << why;
    EXPECT_EQ(handed.mode, "stretched");
    EXPECT_EQ(ReadPng(handed.path, width, height), test::Colours(48, 0xabcdef));
    EXPECT_EQ(width * 10 + height, 86);

    // A broken bitmap is refused with its name.
    test::WriteFile(bitmap, "BM broken");
    EXPECT_FALSE(presenter::Prepare(bitmap, Placement::Tile, DesktopMode::Xfce, presenter::Format::Png, handed, why));
    EXPECT_NE(why.find(bitmap), std::string::npos) << why;
}
