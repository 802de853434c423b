#include "core/bmp_reader.h"

#include <climits>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "picture_test_support.h"

namespace sarvo {
namespace {

using test::Colours;
using test::ColoursOf;
using Bytes = std::vector<unsigned char>;

constexpr std::uint32_t kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4;
constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                        kBlack = 0x000000, kYellow = 0xFFFF00, kBackdrop = 0x112233;

void Le16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}
void Le32(Bytes& b, std::uint32_t v) {
    Le16(b, v & 0xFFFF);
    Le16(b, v >> 16);
}

// The parts of a BMP file; MakeBmp lays them out with a consistent file header.
struct BmpParts {
    std::uint32_t headerSize = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks;  // after a 40-byte header, inside a larger one
    Colours palette;                   // 4 bytes an entry, 3 with the 12-byte header
    Bytes pixels;
};

Bytes MakeBmp(const BmpParts& p) {
    Bytes header;
    Le32(header, p.headerSize);
    if (p.headerSize == 12) {
        Le16(header, static_cast<std::uint32_t>(p.width));
        Le16(header, static_cast<std::uint32_t>(p.height));
        Le16(header, 1);
        Le16(header, p.bits);
    } else {
        Le32(header, static_cast<std::uint32_t>(p.width));
        Le32(header, static_cast<std::uint32_t>(p.height));
        Le16(header, 1);
        Le16(header, p.bits);
        Le32(header, p.compression);
        Le32(header, static_cast<std::uint32_t>(p.pixels.size()));
        Le32(header, 2835);
        Le32(header, 2835);
        Le32(header, p.coloursUsed);
        Le32(header, 0);
        if (p.headerSize > 40)
            for (std::uint32_t mask : p.masks) Le32(header, mask);
        header.resize(p.headerSize, 0);
        if (p.headerSize == 40)
            for (std::uint32_t mask : p.masks) Le32(header, mask);
    }
    for (std::uint32_t c : p.palette) {
        header.push_back(static_cast<unsigned char>(c));
        header.push_back(static_cast<unsigned char>(c >> 8));
        header.push_back(static_cast<unsigned char>(c >> 16));
        if (p.headerSize != 12) header.push_back(0);
    }
    Bytes file = {'B', 'M'};
    Le32(file, static_cast<std::uint32_t>(14 + header.size() + p.pixels.size()));
    Le32(file, 0);
    Le32(file, static_cast<std::uint32_t>(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), p.pixels.begin(), p.pixels.end());
    return file;
}

struct Decoded {
    bool ok = false;
    Bitmap bitmap;
    std::string why;
};

Decoded Decode(const Bytes& file) {
    Decoded d;
    d.ok = DecodeBmp(file.data(), file.size(), d.bitmap, d.why);
    return d;
}

// A 3 x 2 picture: red, green, blue over white, black, yellow; rows padded to 12 bytes.
BmpParts TwentyFourBit(bool topDown) {
    const Bytes top = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    const Bytes bottom = {255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0};
    BmpParts p;
    p.width = 3;
    p.height = topDown ? -2 : 2;
    p.pixels = topDown ? top : bottom;
    const Bytes& second = topDown ? bottom : top;
    p.pixels.insert(p.pixels.end(), second.begin(), second.end());
    return p;
}
const Colours kThreeByTwo = {kRed, kGreen, kBlue, kWhite, kBlack, kYellow};

TEST(DecodeBmp, TwentyFourBitRowsBottomUpAndTopDownGiveTheSamePicture) {
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const Decoded d = Decode(MakeBmp(TwentyFourBit(topDown)));
        ASSERT_TRUE(d.ok) << d.why;
        EXPECT_EQ(d.bitmap.Width(), 3);
        EXPECT_EQ(d.bitmap.Height(), 2);  // a negative height is shown as its absolute value
        EXPECT_EQ(ColoursOf(d.bitmap), kThreeByTwo);
    }
}

TEST(DecodeBmp, ThirtyTwoBitPlainAndBitFieldLayouts) {
    BmpParts plain;  // B, G, R, unused
    plain.width = 2;
    plain.height = 1;
    plain.bits = 32;
    plain.pixels = {0x10, 0x20, 0x30, 0x99, 0xFF, 0x00, 0x00, 0x77};
    Decoded d = Decode(MakeBmp(plain));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{0x302010, kBlue}));

    // R, G, B, unused in memory, described by masks inside a version 5 header.
    BmpParts v5 = plain;
    v5.headerSize = 124;
    v5.compression = kBitFields;
    v5.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    d = Decode(MakeBmp(v5));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{0x102030, kRed}));

    // Ten bits a channel, masks after a version 3 header: the top eight bits count.
    BmpParts wide = plain;
    wide.compression = kBitFields;
    wide.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    wide.pixels.clear();
    for (std::uint32_t pixel : {0x3FF00000u, (512u << 20) | (256u << 10) | 1023u}) Le32(wide.pixels, pixel);
    d = Decode(MakeBmp(wide));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{kRed, 0x8040FF}));
}

TEST(DecodeBmp, SixteenBitDefaultsToFiveFiveFiveAndHonoursFiveSixFiveMasks) {
    BmpParts p;
    p.width = 4;
    p.height = 1;
    p.bits = 16;
    for (std::uint32_t pixel : {0x7C00u, 0x03E0u, 0x001Fu, 0x4210u}) Le16(p.pixels, pixel);
    Decoded d = Decode(MakeBmp(p));
    ASSERT_TRUE(d.ok) << d.why;
    // 16 of 31 scales to 132 of 255.
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{kRed, kGreen, kBlue, 0x848484}));

    p.compression = kBitFields;
    p.masks = {0xF800, 0x07E0, 0x001F};
    p.pixels.clear();
    for (std::uint32_t pixel : {0xF800u, 0x07E0u, 0x001Fu, 0x0400u}) Le16(p.pixels, pixel);
    d = Decode(MakeBmp(p));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{kRed, kGreen, kBlue, 0x008200}));
}

TEST(DecodeBmp, IndexedDepthsLookUpTheirPalette) {
    // 1 bit: ten pixels cross a byte boundary.
    BmpParts one;
    one.width = 10;
    one.height = 1;
    one.bits = 1;
    one.palette = {kBlue, kYellow};
    one.pixels = {0xB3, 0x80, 0, 0};  // 1011001110
    Decoded d = Decode(MakeBmp(one));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{kYellow, kBlue, kYellow, kYellow, kBlue, kBlue, kYellow,
                                            kYellow, kYellow, kBlue}));

    // 4 bits with a palette of three: an index past it shows black.
    BmpParts four;
    four.width = 4;
    four.height = 1;
    four.bits = 4;
    four.coloursUsed = 3;
    four.palette = {kRed, kGreen, kBlue};
    four.pixels = {0x01, 0x25, 0, 0};
    d = Decode(MakeBmp(four));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{kRed, kGreen, kBlue, kBlack}));

    // 8 bits with an OS/2 core header: three-byte entries, all 256 of them.
    BmpParts core;
    core.headerSize = 12;
    core.width = 3;
    core.height = 2;
    core.bits = 8;
    for (std::uint32_t i = 0; i < 256; ++i) core.palette.push_back((i << 16) | ((255 - i) << 8) | (i / 2));
    core.pixels = {0, 1, 2, 0, 128, 255, 7, 0};  // bottom row, then top row
    d = Decode(MakeBmp(core));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap),
              (Colours{0x80 << 16 | 0x7F << 8 | 0x40, 0xFF0000 | 0x7F, 0x07F803, 0x00FF00,
                       0x01FE00, 0x02FD01}));
}

TEST(DecodeBmp, Rle8RunsAbsoluteRunsDeltasAndEndCodes) {
    BmpParts p;
    p.width = 6;
    p.height = 3;
    p.bits = 8;
    p.compression = kRle8;
    p.coloursUsed = 4;
    p.palette = {kBackdrop, kRed, kGreen, kBlue};
    p.pixels = {
        3, 1,                   // bottom row: three red,
        0, 3, 2, 3, 2, 0,       // green, blue, green as an absolute run padded to even,
        0, 0,                   // end of line
        2, 3,                   // middle row: two blue,
        0, 2, 3, 1,             // a delta three right and one up,
        1, 2,                   // one green on the top row,
        0, 1,                   // end of bitmap
    };
    const Decoded d = Decode(MakeBmp(p));
    ASSERT_TRUE(d.ok) << d.why;
    // Pixels never written keep the first palette colour.
    EXPECT_EQ(ColoursOf(d.bitmap),
              (Colours{kBackdrop, kBackdrop, kBackdrop, kBackdrop, kBackdrop, kGreen,  //
                       kBlue, kBlue, kBackdrop, kBackdrop, kBackdrop, kBackdrop,        //
                       kRed, kRed, kRed, kGreen, kBlue, kGreen}));
}

TEST(DecodeBmp, Rle4AlternatesNibblesAndClipsRunsAtTheRowEnd) {
    BmpParts p;
    p.width = 5;
    p.height = 2;
    p.bits = 4;
    p.compression = kRle4;
    p.coloursUsed = 4;
    p.palette = {kBackdrop, kRed, kGreen, kBlue};
    p.pixels = {
        7, 0x12,                    // bottom row: seven of red, green alternating, two past the end
        0, 0,                       // end of line
        0, 2, 1, 0,                 // top row: a delta one right,
        0, 5, 0x12, 0x31, 0x20, 0,  // an absolute run of five, three bytes and a pad, one past the end
        0, 1,
    };
    const Decoded d = Decode(MakeBmp(p));
    ASSERT_TRUE(d.ok) << d.why;
    EXPECT_EQ(ColoursOf(d.bitmap), (Colours{kBackdrop, kRed, kGreen, kBlue, kRed,  //
                                            kRed, kGreen, kRed, kGreen, kRed}));
}

TEST(DecodeBmp, AFileCutAnywhereIsRefusedWithAReason) {
    BmpParts rle;
    rle.width = 4;
    rle.height = 2;
    rle.bits = 8;
    rle.compression = kRle8;
    rle.coloursUsed = 2;
    rle.palette = {kBlack, kWhite};
    rle.pixels = {4, 1, 0, 0, 0, 4, 1, 0, 1, 0, 0, 1};
    BmpParts fields;
    fields.width = 2;
    fields.height = 1;
    fields.bits = 16;
    fields.compression = kBitFields;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.pixels = {1, 2, 3, 4};
    BmpParts core;
    core.headerSize = 12;
    core.width = 2;
    core.height = 2;
    core.bits = 1;
    core.palette = {kBlack, kWhite};
    core.pixels = {0x40, 0, 0, 0, 0x80, 0, 0, 0};

    for (const BmpParts& parts : {TwentyFourBit(false), rle, fields, core}) {
        const Bytes whole = MakeBmp(parts);
        ASSERT_TRUE(Decode(whole).ok) << Decode(whole).why;
        for (std::size_t size = 0; size < whole.size(); ++size) {
            SCOPED_TRACE("bits " + std::to_string(parts.bits) + ", cut at " + std::to_string(size));
            // A copy of exactly the cut length, so that a read past it is caught.
            const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
            Bitmap bitmap;
            std::string why;
            EXPECT_FALSE(DecodeBmp(cut.data(), cut.size(), bitmap, why));
            EXPECT_FALSE(why.empty());
            EXPECT_TRUE(bitmap.Empty());
        }
    }
}

TEST(DecodeBmp, ImpossibleOrInconsistentHeadersAreRefused) {
    struct Case {
        const char* name;
        Bytes file;
    };
    auto with = [](auto change) {
        BmpParts p = TwentyFourBit(false);
        change(p);
        return MakeBmp(p);
    };
    auto patched = [](std::size_t at, std::uint32_t value) {
        Bytes file = MakeBmp(TwentyFourBit(false));
        for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
        return file;
    };
    std::vector<Case> cases = {
        {"wrong magic", [] { Bytes f = MakeBmp(TwentyFourBit(false)); f[1] = 'A'; return f; }()},
        {"unknown header size", with([](BmpParts& p) { p.headerSize = 44; })},
        {"100000 x 100000", with([](BmpParts& p) { p.width = p.height = 100000; })},
        {"negative width", with([](BmpParts& p) { p.width = -3; })},
        {"zero width", with([](BmpParts& p) { p.width = 0; })},
        {"height INT_MIN", with([](BmpParts& p) { p.height = INT_MIN; })},
        {"width INT_MAX", with([](BmpParts& p) { p.width = INT_MAX; })},
        {"three bits", with([](BmpParts& p) { p.bits = 3; })},
        {"embedded JPEG", with([](BmpParts& p) { p.compression = kJpeg; })},
        {"RLE8 at 24 bits", with([](BmpParts& p) { p.compression = kRle8; })},
        {"bit fields at 24 bits", with([](BmpParts& p) { p.compression = kBitFields; p.masks = {1, 2, 4}; })},
        {"unknown compression", with([](BmpParts& p) { p.compression = 9; })},
        {"pixel offset past the end", patched(10, 5000)},
        {"pixel offset at the end", patched(10, static_cast<std::uint32_t>(MakeBmp(TwentyFourBit(false)).size()))},
        {"pixel offset inside the headers", patched(10, 30)},
        {"two planes", [] { Bytes f = MakeBmp(TwentyFourBit(false)); f[26] = 2; return f; }()},
        {"palette longer than the file", [] {
             BmpParts p;
             p.width = 1;
             p.height = 1;
             p.bits = 8;
             p.coloursUsed = 200;
             p.palette = {kRed, kGreen};
             p.pixels = {0, 0, 0, 0};
             return MakeBmp(p);
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap bitmap;
        std::string why;
        EXPECT_FALSE(DecodeBmp(c.file.data(), c.file.size(), bitmap, why));
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(bitmap.Empty());
    }
}

}  // namespace
}  // namespace sarvo
