#include "core/pure/exif.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "picture_test_support.h"

namespace sarvo {
namespace {

using test::Colours;
using test::Bytes;
using test::ExifSegment;
using test::Segment;
using test::Tiff;

// A JPEG file's markers around the given segments, with a token scan.
Bytes Jpeg(const std::vector<Bytes>& segments) {
    Bytes j = {0xFF, 0xD8};
    j.insert(j.end(), {0xFF, 0xE0, 0, 6, 'J', 'F', 'I', 'F'});
    for (const Bytes& s : segments) j.insert(j.end(), s.begin(), s.end());
    j.insert(j.end(), {0xFF, 0xDA, 0, 2, 0x12, 0x34, 0xFF, 0xD9});
    return j;
}

int Orientation(const Bytes& file) { return JpegExifOrientation(file.data(), file.size()); }

TEST(JpegExifOrientation, ReadsTheTagInEitherByteOrderAndIsUprightWhenAbsentOrUnreadable) {
    const Bytes xmp = Segment(0xE1, Bytes{'h', 't', 't', 'p', ':', '/', '/'});
    Bytes filled = Jpeg({ExifSegment(Tiff(false, 7))});  // fill bytes before a marker are allowed
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});
    Bytes badOrder = Tiff(false, 6);
    badOrder[0] = 'X';
    Bytes late = Jpeg({});  // after the first scan nothing is metadata any more
    const Bytes exif = ExifSegment(Tiff(false, 6));
    late.insert(late.end() - 2, exif.begin(), exif.end());
    const std::pair<Bytes, int> cases[] = {
        {Jpeg({ExifSegment(Tiff(false, 6))}), 6},         {Jpeg({ExifSegment(Tiff(true, 8))}), 8},
        {Jpeg({ExifSegment(Tiff(true, 3))}), 3},          {Jpeg({xmp, ExifSegment(Tiff(false, 5))}), 5},
        {filled, 7},                               {Jpeg({}), 1},
        {Jpeg({ExifSegment(Tiff(false, 0))}), 1},         {Jpeg({ExifSegment(Tiff(false, 9))}), 1},
        {Jpeg({ExifSegment(Tiff(false, 6, 4000))}), 1},  // IFD0 past the block
        {Jpeg({ExifSegment(badOrder)}), 1},               {late, 1},
        {Bytes{'G', 'I', 'F', '8', '9', 'a'}, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(Orientation(cases[i].first), cases[i].second) << i;
}

TEST(JpegExifOrientation, NeverReadsPastACutFile) {
    const Bytes whole = Jpeg({ExifSegment(Tiff(true, 6))});
    const std::size_t exifEnd = whole.size() - 8;  // the token scan follows it
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
        // The segment's length covers the whole TIFF block, so a cut inside it hides the tag.
        EXPECT_EQ(Orientation(cut), size < exifEnd ? 1 : 6) << "cut at " << size;
    }
    // A block that ends right after its count of entries, shorter than one.
    const Bytes counted = Jpeg({ExifSegment(Bytes{'I', 'I', 0x2A, 0, 8, 0, 0, 0, 0xFF, 0xFF})});
    EXPECT_EQ(Orientation(counted), 1);
    // A block that ends right after an entry's tag, followed by bytes that
    // read like the rest of that entry: they are no part of the block.
    const Bytes tagOnly = Jpeg({ExifSegment(Bytes{'I', 'I', 0x2A, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01}), {3, 0, 1, 0, 0, 0, 6, 0}});
    EXPECT_EQ(Orientation(tagOnly), 1);
}

// A 3 x 2 picture, each pixel its own colour:   A B C
//                                               D E F
constexpr std::uint32_t A = 0x100000, B = 0x200000, C = 0x300000, D = 0x400000, E = 0x500000,
                        F = 0x600000;

TEST(ApplyExifOrientation, TurnsEachOrientationUpright) {
    struct Case {
        int orientation;
        int width, height;
        Colours upright;
    };
    const Case cases[] = {
        {0, 3, 2, {A, B, C, D, E, F}},        {1, 3, 2, {A, B, C, D, E, F}},
        {2, 3, 2, {C, B, A, F, E, D}},        {3, 3, 2, {F, E, D, C, B, A}},
        {4, 3, 2, {D, E, F, A, B, C}},        {5, 2, 3, {A, D, B, E, C, F}},
        {6, 2, 3, {D, A, E, B, F, C}},        {7, 2, 3, {F, C, E, B, D, A}},
        {8, 2, 3, {C, F, B, E, A, D}},        {9, 3, 2, {A, B, C, D, E, F}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("orientation " + std::to_string(c.orientation));
        Bitmap bitmap = test::BitmapOf(3, 2, {A, B, C, D, E, F});
        std::string why;
        ASSERT_TRUE(ApplyExifOrientation(bitmap, c.orientation, why)) << why;
        EXPECT_EQ(bitmap.Width(), c.width);
        EXPECT_EQ(bitmap.Height(), c.height);
        EXPECT_EQ(test::ColoursOf(bitmap), c.upright);
    }
}

// Pictures larger than one tile of the turning loop: the streamed bitmap
// test in picture_linux_test.cpp.

}  // namespace
}  // namespace sarvo
