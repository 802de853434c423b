// A picture per monitor: the shapes, the draw, the header sizes, the record and the spanned bitmap, with literal inputs.
#include <gtest/gtest.h>

#include <map>

#include "core/pure/bmp_reader.h"
#include "core/pure/bmp_view.h"
#include "core/pure/monitor_draw.h"
#include "core/pure/monitor_record.h"
#include "core/pure/spanned.h"
#include "picture_test_support.h"

using namespace sarvo;
using namespace sarvo::test;

namespace {

using Sizes = std::map<std::string, PictureSize>;
constexpr PictureSize kWide{1600, 900}, kTall{900, 1600}, kSquare{800, 800};

struct Draw {
    std::vector<std::size_t> positions;
    int reads = 0;
};

// Draws with every random number 0: each monitor takes the passing files in catalogue order.
Draw DrawWith(const std::vector<std::string>& files, const std::vector<MonitorDraw>& monitors, const Sizes& sizes,
              int headerReads = kHeaderReadsPerMonitor) {
    Draw draw;
    const auto sizeOf = [&](const std::string& file) -> std::optional<PictureSize> {
        ++draw.reads;
        const auto found = sizes.find(file);
        return found == sizes.end() ? std::nullopt : std::optional(found->second);
    };
    draw.positions = DrawForMonitors(files, monitors, '/', sizeOf, [] { return 0.0; }, headerReads);
    return draw;
}

}  // namespace

TEST(DrawForMonitors, EachMonitorGetsAPictureOfItsShapeReadingEachHeaderOnce) {
    const std::vector<std::string> files = {"p/wide1.jpg", "p/wide2.jpg", "p/tall.jpg", "p/square.jpg"};
    const Sizes sizes = {{files[0], kWide}, {files[1], kWide}, {files[2], kTall}, {files[3], kSquare}};
    const Draw draw = DrawWith(files, {{1080, 1920, ""}, {1920, 1080, ""}, {1000, 1000, ""}}, sizes);
    EXPECT_EQ(draw.positions, (std::vector<std::size_t>{2, 0, 3}));
    EXPECT_EQ(draw.reads, 4);
}

TEST(DrawForMonitors, NoPictureTwiceNorAgainOnItsMonitorWhileTheCatalogueAllows) {
    const std::vector<std::string> ab = {"p/a.jpg", "p/b.jpg"}, wide3 = {"p/w1.jpg", "p/w2.jpg", "p/t.jpg"};
    const Sizes sizes = {{ab[0], kWide}, {ab[1], kWide}, {wide3[0], kWide}, {wide3[1], kWide}, {wide3[2], kTall}};
    const MonitorDraw plain{1920, 1080, ""};
    // What, the files, the monitors, the header reads allowed, the positions drawn.
    const std::tuple<const char*, std::vector<std::string>, std::vector<MonitorDraw>, int, std::vector<std::size_t>>
        cases[] = {
            {"last run's name is avoided in any folder", ab, {{1920, 1080, "old/a.jpg"}, plain}, 16, {1, 0}},
            {"each avoids its own last picture", ab, {{1920, 1080, "p/a.jpg"}, {1920, 1080, "p/b.jpg"}}, 16, {1, 0}},
            {"the last-run rule gives way first", ab, {{1920, 1080, "p/a.jpg"}, {1920, 1080, "p/a.jpg"}}, 16, {1, 0}},
            {"one picture for two monitors", {"p/a.jpg"}, {plain, plain}, 16, {0, 0}},
            {"none of the shape within the reads: the first read", wide3, {{1080, 1920, ""}}, 2, {0}},
            {"no header readable: the first taken", {"x/1.jpg", "x/2.jpg"}, {{1080, 1920, ""}}, 16, {0}},
            {"an empty catalogue draws nothing", {}, {plain}, 16, {}},
        };
    for (const auto& [what, files, monitors, reads, positions] : cases)
        EXPECT_EQ(DrawWith(files, monitors, sizes, reads).positions, positions) << what;
}

// (The further formats, each written by its own library, in picture_linux_test.cpp.)
TEST(ReadPictureSize, ReadsTheHeadersOfEachFormatUpright) {
    const Bytes sof = Segment(0xC0, {8, 0x01, 0x2C, 0x01, 0x90, 3});  // 400 x 300
    const Bytes app0 = Segment(0xE0, Bytes(14, 'j'));
    Bytes jpeg = {0xFF, 0xD8};
    jpeg.insert(jpeg.end(), app0.begin(), app0.end());
    jpeg.insert(jpeg.end(), {0xFF, 0xFF});  // fill bytes before a marker
    jpeg.insert(jpeg.end(), sof.begin(), sof.end());
    Bytes bigExif = WithOrientation(jpeg, 6);
    const Bytes thumbnail = Segment(0xE1, Bytes(9000, 't'));  // a second APP1, past the first window
    const auto afterExif = static_cast<std::ptrdiff_t>(2 + ExifSegment(Tiff(false, 6)).size());
    bigExif.insert(bigExif.begin() + afterExif, thumbnail.begin(), thumbnail.end());
    Bytes noFrame = {0xFF, 0xD8};
    noFrame.insert(noFrame.end(), app0.begin(), app0.end());
    const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00, 0, 0, 0};
    // What, the file, the size read.
    const std::tuple<const char*, Bytes, std::optional<PictureSize>> cases[] = {
        {"BMP", MakeBmp({.width = 5, .height = 7}), PictureSize{5, 7}},
        {"BMP stored top-down", MakeBmp({.width = 5, .height = -7}), PictureSize{5, 7}},
        {"OS/2 BMP", MakeBmp({.width = 6, .height = 2, .headerSize = 12}), PictureSize{6, 2}},
        {"GIF's logical screen", gif, PictureSize{320, 240}},
        {"JPEG's frame", jpeg, PictureSize{400, 300}},
        {"JPEG turned by a quarter", WithOrientation(jpeg, 6), PictureSize{300, 400}},
        {"JPEG turned by a half", WithOrientation(jpeg, 3), PictureSize{400, 300}},
        {"JPEG with a large block before its frame", bigExif, PictureSize{300, 400}},
        {"JPEG without a frame", noFrame, std::nullopt},
        {"JPEG cut inside its frame", Bytes(jpeg.begin(), jpeg.end() - 3), std::nullopt},
        {"PNG without MoreFormats", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10}, std::nullopt},
        {"an empty file", Bytes{}, std::nullopt},
    };
    for (const auto& [what, file, size] : cases) {
        const ReadBytesAt read = [&file = file](std::uint64_t offset, unsigned char* out, std::size_t count) {
            if (offset >= file.size()) return std::size_t{0};
            const std::size_t n = std::min<std::size_t>(count, file.size() - offset);
            std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), n, out);
            return n;
        };
        EXPECT_EQ(ReadPictureSize(read, PictureFormats::Classic), size) << what;
    }
}

TEST(MonitorRecord, ReadsBackWhatItWritesAndFindsAMonitorByNameElseByPlace) {
    const std::vector<MonitorPicture> monitors = {
        {"HDMI-1", {0, 0, 1920, 1080}, "/p/a b\tc.jpg"}, {"", {-1080, -200, 1080, 1920}, "/p/写真.jpg"}};
    const std::string text = FormatMonitorRecord(monitors);
    const std::vector<MonitorPicture> back = ParseMonitorRecord(text + "damaged\tline\n1\t2\n\r\n");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].picture, monitors[0].picture);
    EXPECT_EQ(back[1].rect.y, -200);
    EXPECT_EQ(FormatMonitorRecord(back), text);
    EXPECT_EQ(FormatMonitorRecord({{"a\tb", {0, 0, 1, 1}, "/x\ny.jpg"}}), FormatMonitorRecord({}));
    // The name, the place, the picture found.
    const std::tuple<std::string, ScreenRect, std::string> cases[] = {
        {"HDMI-1", {1920, 0, 800, 600}, "/p/a b\tc.jpg"},  // moved, same name
        {"DP-2", {0, 0, 1920, 1080}, ""},                  // another monitor at the same place
        {"DP-2", {-1080, -200, 1080, 1920}, "/p/写真.jpg"},  // the record names none there
        {"", {0, 0, 1920, 1080}, "/p/a b\tc.jpg"},
    };
    for (const auto& [name, rect, picture] : cases) EXPECT_EQ(LastPictureOn(back, name, rect), picture) << name;
}

namespace {

constexpr std::uint32_t K = 0, A = 0x102030, B = 0x405060, C = 0x708090, D = 0xa0b0c0, E = 0xd0e0f0, F = 0x0f0e0d;

// How a picture's BMP file reaches the region.
enum class Handing { Whole, RowsTopFirst, SmallPieces };

class MemoryFile : public ByteSink {
public:
    void Reserve(std::size_t size) override { bytes.resize(size, 0xEE); }  // not black: a pixel never written shows
    void WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) override {
        std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    Bytes bytes;
};

void Hand(const Bitmap& picture, ByteSink& sink, Handing handing) {
    const unsigned char* file = picture.FileData();
    const std::size_t size = picture.FileSize();
    if (handing == Handing::Whole) return sink.WriteAt(0, file, size);
    if (handing == Handing::SmallPieces) {
        for (std::size_t at = 0; at < size; at += 5) sink.WriteAt(at, file + at, std::min<std::size_t>(5, size - at));
        return;
    }
    sink.WriteAt(0, file, Bitmap::kHeaderSize);
    for (int y = 0; y < picture.Height(); ++y) {
        const std::size_t at = static_cast<std::size_t>(picture.Row(y) - file);
        sink.WriteAt(at, picture.Row(y), picture.Stride());
    }
}

// The pixels of the desktop's bitmap row by row from its top; none when a byte was never written.
Colours DesktopColours(const MemoryFile& file) {
    std::string why;
    if (std::count(file.bytes.begin(), file.bytes.end(), 0xEE) > 0) return {};  // padding too
    BgrPicture view;
    if (!ViewBmp24(file.bytes.data(), file.bytes.size(), view, why)) return {};
    Colours colours;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) {
            const unsigned char* p = view.Row(y) + 3 * x;
            colours.push_back((std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0]);
        }
    return colours;
}

// The desktop's pixels, composed by SpannedBitmap.
Colours Spanned(const std::vector<ScreenRect>& monitors, const std::vector<const Bitmap*>& pictures, Placement placement,
                Handing handing) {
    MemoryFile file;
    SpannedBitmap bitmap(file, DesktopArea(monitors), monitors);
    std::string why;
    if (!bitmap.Start(why)) return {};
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const auto region = bitmap.Region(i, placement);
        Hand(*pictures[i], *region, handing);
        if (!region->Finish(why)) return {};
    }
    return DesktopColours(file);
}

// The same desktop, each monitor composed alone by ComposeRows.
Colours Expected(const std::vector<ScreenRect>& monitors, const std::vector<const Bitmap*>& pictures, Placement placement) {
    const ScreenRect area = DesktopArea(monitors);
    Colours colours(static_cast<std::size_t>(area.width * area.height), K);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& m = monitors[i];
        std::vector<std::uint32_t> local(static_cast<std::size_t>(m.width * m.height));
        const ScreenRect alone{0, 0, m.width, m.height};
        ComposeRows(PictureOf(*pictures[i]), placement, std::span(&alone, 1), m.width, 0, m.height, local.data());
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x)
                colours[static_cast<std::size_t>((m.y - area.y + y) * area.width + m.x - area.x + x)] =
                    local[static_cast<std::size_t>(y * m.width + x)];
    }
    return colours;
}

}  // namespace

TEST(SpannedBitmap, LaysEachMonitorsPictureInItsRectangleOnBlackHoweverTheFileComes) {
    const Bitmap small = BitmapOf(3, 2, {A, B, C, D, E, F});
    const Bitmap large = BitmapOf(5, 3, {A, B, C, D, E, B, C, D, E, A, C, D, E, A, B});
    // A landscape monitor left of the origin, a portrait one below and right of it, and a gap.
    const std::vector<ScreenRect> monitors = {{-4, 0, 4, 3}, {1, 1, 2, 5}};
    for (const Placement placement : {Placement::Centre, Placement::Tile, Placement::Stretch})
        for (const Handing handing : {Handing::Whole, Handing::RowsTopFirst, Handing::SmallPieces})
            for (const auto& pictures : {std::vector{&small, &large}, std::vector{&large, &small}})
                EXPECT_EQ(Spanned(monitors, pictures, placement, handing), Expected(monitors, pictures, placement))
                    << PlacementName(placement) << " " << static_cast<int>(handing) << " " << pictures[0]->Width();
    // Spelt out once: two one-pixel monitors, one left of the origin, and the corner no monitor covers.
    const Bitmap a = BitmapOf(1, 1, {A}), b = BitmapOf(1, 2, {B, C});
    EXPECT_EQ(Spanned({{-1, 0, 1, 1}, {0, 0, 1, 2}}, {&a, &b}, Placement::Centre, Handing::Whole),
              (Colours{A, B, K, C}));
}
