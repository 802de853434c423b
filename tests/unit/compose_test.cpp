#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/compose.h"

using namespace sarvo;

namespace {

constexpr std::uint32_t K = 0x000000;  // black
constexpr std::uint32_t A = 0x102030;
constexpr std::uint32_t B = 0x405060;
constexpr std::uint32_t C = 0x708090;
constexpr std::uint32_t D = 0xa0b0c0;
constexpr std::uint32_t E = 0xd0e0f0;

// A picture from its pixels, 0xRRGGBB, top row first.
Bitmap Picture(int width, int height, std::initializer_list<std::uint32_t> pixels) {
    Bitmap bitmap;
    std::string why;
    EXPECT_TRUE(bitmap.Allocate(width, height, why)) << why;
    auto it = pixels.begin();
    for (int y = 0; y < height; ++y) {
        unsigned char* row = bitmap.Row(y);
        for (int x = 0; x < width; ++x, ++it) {
            row[3 * x] = static_cast<unsigned char>(*it);
            row[3 * x + 1] = static_cast<unsigned char>(*it >> 8);
            row[3 * x + 2] = static_cast<unsigned char>(*it >> 16);
        }
    }
    return bitmap;
}

std::vector<std::uint32_t> Compose(const Bitmap& picture, Placement placement,
                                   const std::vector<ScreenRect>& monitors, int width, int height) {
    // Filled with white first, so that a pixel the composer forgets shows.
    std::vector<std::uint32_t> screen(static_cast<std::size_t>(width * height), 0xffffffu);
    ComposeRows(PictureOf(picture), placement, monitors, width, 0, height, screen.data());
    return screen;
}

std::vector<ScreenRect> Whole(int width, int height) { return {{0, 0, width, height}}; }

}  // namespace

TEST(ComposeCentre, SmallerPictureSitsInTheMiddleOnBlack) {
    // Odd margins: the extra pixel goes right and below.
    const Bitmap picture = Picture(3, 1, {A, B, C});
    EXPECT_EQ(Compose(picture, Placement::Centre, Whole(6, 4), 6, 4),
              (std::vector<std::uint32_t>{K, K, K, K, K, K,
                                          K, A, B, C, K, K,
                                          K, K, K, K, K, K,
                                          K, K, K, K, K, K}));
}

TEST(ComposeCentre, LargerPictureIsCutOnAllSides) {
    const Bitmap picture = Picture(5, 3, {A, B, C, D, E,
                                          B, C, D, E, A,
                                          C, D, E, A, B});
    EXPECT_EQ(Compose(picture, Placement::Centre, Whole(3, 1), 3, 1),
              (std::vector<std::uint32_t>{C, D, E}));
    // An odd excess: one pixel more is cut on the left and at the top.
    EXPECT_EQ(Compose(picture, Placement::Centre, Whole(2, 2), 2, 2),
              (std::vector<std::uint32_t>{D, E,
                                          E, A}));
}

TEST(ComposeCentre, OnePixelPicture) {
    const Bitmap picture = Picture(1, 1, {A});
    EXPECT_EQ(Compose(picture, Placement::Centre, Whole(3, 3), 3, 3),
              (std::vector<std::uint32_t>{K, K, K, K, A, K, K, K, K}));
}

TEST(ComposeTile, RepeatsFromEachMonitorsOwnCorner) {
    const Bitmap picture = Picture(2, 2, {A, B,
                                          C, D});
    const std::vector<ScreenRect> monitors{{0, 0, 3, 3}, {3, 0, 2, 3}};
    EXPECT_EQ(Compose(picture, Placement::Tile, monitors, 5, 3),
              (std::vector<std::uint32_t>{A, B, A, A, B,
                                          C, D, C, C, D,
                                          A, B, A, A, B}));
}

TEST(ComposeTile, MonitorReachingPastTheScreenKeepsItsOrigin) {
    const Bitmap picture = Picture(3, 1, {A, B, C});
    EXPECT_EQ(Compose(picture, Placement::Tile, {{-1, 0, 4, 1}}, 2, 1),
              (std::vector<std::uint32_t>{B, C}));
}

TEST(ComposeStretch, NearestPixelOfEachScreenPixelsCentre) {
    const Bitmap square = Picture(2, 2, {A, B,
                                         C, D});
    EXPECT_EQ(Compose(square, Placement::Stretch, Whole(4, 3), 4, 3),
              (std::vector<std::uint32_t>{A, A, B, B,
                                          C, C, D, D,
                                          C, C, D, D}));
    EXPECT_EQ(Compose(Picture(3, 1, {A, B, C}), Placement::Stretch, Whole(2, 1), 2, 1),
              (std::vector<std::uint32_t>{A, C}));
    EXPECT_EQ(Compose(Picture(4, 1, {A, B, C, D}), Placement::Stretch, Whole(2, 1), 2, 1),
              (std::vector<std::uint32_t>{B, D}));
    EXPECT_EQ(Compose(Picture(1, 1, {E}), Placement::Stretch, Whole(3, 2), 3, 2),
              (std::vector<std::uint32_t>(6, E)));
}

TEST(ComposeStretch, EachMonitorGetsTheWholePicture) {
    const Bitmap picture = Picture(2, 1, {A, B});
    EXPECT_EQ(Compose(picture, Placement::Stretch, {{0, 0, 2, 1}, {2, 0, 4, 1}}, 6, 1),
              (std::vector<std::uint32_t>{A, B, A, A, B, B}));
}

TEST(ComposeScreen, OutsideEveryMonitorIsBlackAndLaterMonitorsWin) {
    const Bitmap picture = Picture(1, 1, {A});
    EXPECT_EQ(Compose(picture, Placement::Tile, {{1, 0, 2, 2}}, 4, 2),
              (std::vector<std::uint32_t>{K, A, A, K,
                                          K, A, A, K}));
    // Centred on each: the first monitor puts A at column 0 and black at 1,
    // the second, overlapping it, puts A at column 1.
    EXPECT_EQ(Compose(picture, Placement::Centre, {{0, 0, 2, 1}, {1, 0, 2, 1}}, 3, 1),
              (std::vector<std::uint32_t>{A, A, K}));
}

TEST(ComposeScreen, EmptyPictureIsAllBlack) {
    std::vector<std::uint32_t> screen(6, 0xffffffu);
    ComposeRows(BgrPicture{}, Placement::Tile, std::vector<ScreenRect>{{0, 0, 3, 2}}, 3, 0, 2,
                screen.data());
    EXPECT_EQ(screen, std::vector<std::uint32_t>(6, K));
}

TEST(ComposeScreen, BandsGiveTheSameScreenAsOnePass) {
    const Bitmap picture = Picture(3, 2, {A, B, C,
                                          D, E, A});
    const std::vector<ScreenRect> monitors{{0, 0, 4, 5}, {4, 1, 3, 4}};
    for (const Placement placement : {Placement::Centre, Placement::Tile, Placement::Stretch}) {
        const std::vector<std::uint32_t> whole = Compose(picture, placement, monitors, 7, 5);
        for (int band = 1; band <= 3; ++band) {
            std::vector<std::uint32_t> banded(whole.size());
            for (int y = 0; y < 5; y += band) {
                const int rows = std::min(band, 5 - y);
                ComposeRows(PictureOf(picture), placement, monitors, 7, y, rows, banded.data() + y * 7);
            }
            EXPECT_EQ(banded, whole) << "band " << band << ", " << PlacementName(placement);
        }
    }
}
