#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/pure/compose.h"
#include "picture_test_support.h"

using namespace sarvo;
using test::BitmapOf;
using Screen = std::vector<std::uint32_t>;

namespace {

constexpr std::uint32_t K = 0x000000;  // black
constexpr std::uint32_t A = 0x102030, B = 0x405060, C = 0x708090, D = 0xa0b0c0, E = 0xd0e0f0;

Screen Compose(const Bitmap& picture, Placement placement, const std::vector<ScreenRect>& monitors, int width,
               int height) {
    // Filled with white first, so that a pixel the composer forgets shows.
    Screen screen(static_cast<std::size_t>(width * height), 0xffffffu);
    ComposeRows(PictureOf(picture), placement, monitors, width, 0, height, screen.data());
    return screen;
}

std::vector<ScreenRect> Whole(int width, int height) { return {{0, 0, width, height}}; }

}  // namespace

TEST(ComposeRows, EachPlacementOnOneOrMoreMonitors) {
    const Bitmap abc = BitmapOf(3, 1, {A, B, C}), a = BitmapOf(1, 1, {A}), square = BitmapOf(2, 2, {A, B, C, D});
    const Bitmap big = BitmapOf(5, 3, {A, B, C, D, E, B, C, D, E, A, C, D, E, A, B}), e = BitmapOf(1, 1, {E});
    const Bitmap ab = BitmapOf(2, 1, {A, B});
    struct Case {
        const char* what;
        const Bitmap& picture;
        Placement placement;
        std::vector<ScreenRect> monitors;
        int width, height;
        Screen expected;  // rows from the top
    };
    const Case cases[] = {
        {"centred on black, the odd pixel right and below", abc, Placement::Centre, Whole(6, 4), 6, 4,
         {K, K, K, K, K, K, K, A, B, C, K, K, K, K, K, K, K, K, K, K, K, K, K, K}},
        {"centred, larger: cut on all sides", big, Placement::Centre, Whole(3, 1), 3, 1, {C, D, E}},
        {"centred, an odd excess cut more left and on top", big, Placement::Centre, Whole(2, 2), 2, 2, {D, E, E, A}},
        {"tiled from each monitor's own corner", square, Placement::Tile, {{0, 0, 3, 3}, {3, 0, 2, 3}}, 5, 3,
         {A, B, A, A, B, C, D, C, C, D, A, B, A, A, B}},
        {"tiled, a monitor past the screen keeps its origin", abc, Placement::Tile, {{-1, 0, 4, 1}}, 2, 1, {B, C}},
        {"stretched to the nearest pixel of each centre", square, Placement::Stretch, Whole(4, 3), 4, 3,
         {A, A, B, B, C, C, D, D, C, C, D, D}},
        {"stretched, three to two", abc, Placement::Stretch, Whole(2, 1), 2, 1, {A, C}},
        {"stretched, one pixel", e, Placement::Stretch, Whole(3, 2), 3, 2, Screen(6, E)},
        {"stretched whole on each monitor", ab, Placement::Stretch, {{0, 0, 2, 1}, {2, 0, 4, 1}},
         6, 1, {A, B, A, A, B, B}},
        {"outside every monitor is black", a, Placement::Tile, {{1, 0, 2, 2}}, 4, 2, {K, A, A, K, K, A, A, K}},
        // The first monitor puts A at column 0 and black at 1; the second,
        // overlapping it, puts A at column 1.
        {"later monitors win", a, Placement::Centre, {{0, 0, 2, 1}, {1, 0, 2, 1}}, 3, 1, {A, A, K}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Compose(c.picture, c.placement, c.monitors, c.width, c.height), c.expected) << c.what;
}

TEST(ComposeRows, EmptyPictureIsAllBlack) {
    Screen screen(6, 0xffffffu);
    ComposeRows(BgrPicture{}, Placement::Tile, std::vector<ScreenRect>{{0, 0, 3, 2}}, 3, 0, 2, screen.data());
    EXPECT_EQ(screen, Screen(6, K));
}

TEST(ComposeRows, BandsGiveTheSameScreenAsOnePass) {
    const Bitmap picture = BitmapOf(3, 2, {A, B, C, D, E, A});
    const std::vector<ScreenRect> monitors{{0, 0, 4, 5}, {4, 1, 3, 4}};
    for (const Placement placement : {Placement::Centre, Placement::Tile, Placement::Stretch}) {
        const Screen whole = Compose(picture, placement, monitors, 7, 5);
        for (int band = 1; band <= 3; ++band) {
            Screen banded(whole.size());
            for (int y = 0; y < 5; y += band) {
                const int rows = std::min(band, 5 - y);
                ComposeRows(PictureOf(picture), placement, monitors, 7, y, rows, banded.data() + y * 7);
            }
            EXPECT_EQ(banded, whole) << "band " << band << ", " << PlacementName(placement);
        }
    }
}
