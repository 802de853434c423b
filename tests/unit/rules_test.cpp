// The pure rules and formats, on literal inputs.
#include <gtest/gtest.h>

#include <climits>

#include "core/pure/bmp_view.h"
#include "core/pure/bytes.h"
#include "core/pure/desktop_entry.h"
#include "core/pure/profile_text.h"
#include "core/pure/rules.h"
#include "core/pure/setting_texts.h"
#include "picture_test_support.h"

using namespace sarvo;
using test::BitmapOf;
using Screen = std::vector<std::uint32_t>;

TEST(PictureFileName, ExtensionsCountInAnyCaseWithoutADot) {
    for (const char* name : {"a.bmp", "a.BMP", "b.Gif", "photo.JPEG", "photo.Jpg", "xjpg", "jpeg", "bmp"})
        EXPECT_TRUE(IsPictureFileName(name)) << name;
    for (const char* name : {"photo.jpe", "photo.png", "a.tif", "", "jp", "gi", "a.jpg.txt", "jpeg "})
        EXPECT_FALSE(IsPictureFileName(name)) << name;
}

TEST(PictureHandOver, OnlyAQuotedPictureIsHandedOverWithoutItsQuotes) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"\"C:\\Pics\\Sea.JPG\"", "C:\\Pics\\Sea.JPG"}, {"\"/home/u/a b/x.Gif\"", "/home/u/a b/x.Gif"},
        {"\"/p/photo.jpeg\"", "/p/photo.jpeg"},         {"\"/p/c.BMP\"", "/p/c.BMP"},
        {"\"jpg\"", "jpg"},  // the shortest text that passes
        {"/p/photo.jpg", std::nullopt},  // unquoted: the last character is part of the extension
        {"\"/p/notes.txt\"", std::nullopt}, {"\"/p/a.jpg\" extra", std::nullopt}, {"/nokey", std::nullopt},
        {"", std::nullopt}, {"jpg\"", std::nullopt}, {"x", std::nullopt},  // shorter than five: never looked at
    };
    for (const auto& [text, path] : cases) EXPECT_EQ(PictureHandOverPath(text), path) << text;
}

TEST(PathHelpers, LastComponentAndExtension) {
    const struct {
        const char* path;
        char separator;
        const char *last, *extension;
    } cases[] = {
        {"C:\\Pictures\\sea.jpg", '\\', "sea.jpg", "jpg"},
        {"a.jpg", '\\', "", ""},
        {"C:\\Pictures\\", '\\', "", ""},
        {"/home/u/sea.JPG", '/', "sea.JPG", "JPG"},
        {"C:\\dir/x.jpg", '/', "x.jpg", "jpg"},
        {"C:\\Pictures\\archive.tar.gz", '\\', "archive.tar.gz", "gz"},
        {"C:\\Pictures\\name.", '\\', "name.", ""},
        {"C:\\Pictures.old\\readme", '\\', "readme", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LastComponent(c.path, c.separator), c.last) << c.path;
        EXPECT_EQ(ExtensionOf(c.path, c.separator), c.extension) << c.path;
    }
}

TEST(Numbers, ProfileNumbersReadAsTheProfileFunctionReadsThemAndClampToSixteenBits) {
    const std::pair<const char*, long> numbers[] = {
        {"abc", 0}, {"12abc", 12}, {"70000", 70000}, {"-5", -5}, {"0x10", 16}, {"  42  ", 42},
        {"5000000000", 705032704},  // wraps at 32 bits
        {"", -7},
    };
    for (const auto& [text, value] : numbers) EXPECT_EQ(ProfileNumber(text, -7), value) << text;
    for (const auto& [value, clamped] : {std::pair{1L, 1}, {-32768L, -32768}, {70000L, 32767}, {-70000L, -32768}})
        EXPECT_EQ(ClampToInt16(value), clamped) << value;
}

TEST(Texts, DefaultsLoseTrailingBlanksAndCutsKeepCharactersWhole) {
    EXPECT_EQ(TrimTrailingBlanks("DEF  "), "DEF");
    EXPECT_EQ(TrimTrailingBlanks("  DEF"), "  DEF");
    EXPECT_EQ(CutToLimit("abcdef", 4), "abcd");
    EXPECT_EQ(CutToLimit("ab", 4), "ab");
    // "日" is three bytes: a cut inside it drops the whole character.
    EXPECT_EQ(CutToLimit("a日本", 3), "a");
    EXPECT_EQ(CutToLimit("a日本", 4), "a日");
}

TEST(ProfileText, NamesMatchWithoutCaseAndValuesLoseBlanksAndQuotes) {
    const ProfileText t("[Sarvo Changer]\r\nFolderPath = /p/a b  \r\nquoted=\"q v\"\r\n;WallPaper=no\r\n");
    EXPECT_EQ(t.Find("sarvo changer", "FOLDERPATH"), "/p/a b");
    EXPECT_EQ(t.Find("Sarvo Changer", "quoted"), "q v");
    EXPECT_FALSE(t.Find("Sarvo Changer", "WallPaper") || t.Find("Sarvo Changer", ";WallPaper"));  // a comment is no key
    EXPECT_FALSE(t.Find("Other", "FolderPath"));
    EXPECT_FALSE(t.Find("Sarvo Changer", "Folder"));
}

TEST(ProfileText, KeysBelongToTheirOwnSectionAndLfAndCrLfReadAlike) {
    for (const char* text : {"[S]\nk=v\n", "[S]\r\nk=v\r\n", "[S]\r\nk=v"})
        EXPECT_EQ(ProfileText(text).Find("S", "k"), "v") << text;
    const ProfileText t("top=1\n[A]\nk=a\n[B]\nk=b\nonly=b\n");
    EXPECT_EQ(t.Find("A", "k"), "a");
    EXPECT_EQ(t.Find("B", "k"), "b");
    EXPECT_FALSE(t.Find("A", "only"));
    EXPECT_FALSE(t.Find("A", "top"));
}

TEST(ProfileText, FirstWritesMakeTheSectionAndKeepTheirOrder) {
    ProfileText t;
    t.Set("Sarvo Changer", "FolderPath", "/pics");
    t.Set("Sarvo Changer", "WallPaper", "/pics/a.jpg");
    t.Set("sarvo changer", "folderpath", "/other");  // rewrite keeps place and spelling
    t.Set("Sarvo Changer", "StartUp", "");  // an empty value stays an empty key
    EXPECT_EQ(t.Find("Sarvo Changer", "StartUp"), "");
    EXPECT_EQ(t.Text(), "[Sarvo Changer]\r\nFolderPath=/other\r\nWallPaper=/pics/a.jpg\r\nStartUp=\r\n");
}

TEST(ProfileText, EditsKeepEveryOtherByte) {
    const std::string before = "; made by hand\n[Other]\nx = 1 \n\n[Sarvo Changer]\nFolderPath=/a\n\n[Last]\ny=2";
    ProfileText t(before);
    EXPECT_EQ(t.Text(), before);
    t.Set("Sarvo Changer", "WallPaper", "/a/b.jpg");
    EXPECT_EQ(t.Text(),
              "; made by hand\n[Other]\nx = 1 \n\n[Sarvo Changer]\nFolderPath=/a\nWallPaper=/a/b.jpg\n\n[Last]\ny=2");
    t.Set("New", "k", "v");  // appended with the text's own line end, after a final one is added
    EXPECT_EQ(t.Text(), "; made by hand\n[Other]\nx = 1 \n\n[Sarvo Changer]\nFolderPath=/a\nWallPaper=/a/b.jpg\n"
                        "\n[Last]\ny=2\n[New]\nk=v\n");
}

TEST(ProfileText, RemoveAndAddSection) {
    ProfileText t("[K]\r\na=1\r\nb=2\r\n");
    EXPECT_TRUE(t.Remove("k", "A"));
    EXPECT_FALSE(t.Remove("k", "a"));
    EXPECT_FALSE(t.Remove("none", "b"));
    t.AddSection("K");  // already there
    t.AddSection("Run");
    EXPECT_TRUE(t.HasSection("run"));
    EXPECT_EQ(t.Text(), "[K]\r\nb=2\r\n[Run]\r\n");
}

TEST(ProfileText, DamagedTextStillReadsWhatItCan) {
    const std::string damaged =
        std::string("\x00\xff", 2) + "[Sarvo Changer\n[Sarvo Changer]\n=novalue\nnoequals\nWallPaper=/x.jpg\n";
    const ProfileText t(damaged);
    EXPECT_EQ(t.Find("Sarvo Changer", "WallPaper"), "/x.jpg");
    EXPECT_EQ(t.Text(), damaged);
}

TEST(PlacementFromValues, NumbersOfTheStoredPairTileFirstThenStretchElseCentre) {
    const struct {
        const char *tile, *style;
        Placement expected;
    } cases[] = {
        // The pairs the settings tool writes, and nothing stored yet.
        {"0", "0", Placement::Centre}, {"1", "0", Placement::Tile}, {"0", "2", Placement::Stretch},
        {"", "", Placement::Centre},
        // Values are read as numbers; text after the digits makes one no number.
        {"01", "0", Placement::Tile}, {" 1 ", "0", Placement::Tile}, {"0", "+02", Placement::Stretch},
        {"00", "\t2", Placement::Stretch}, {"1x", "0", Placement::Centre}, {"0", "2 px", Placement::Centre},
        {"11", "0", Placement::Centre}, {"-1", "0", Placement::Centre},
        // Other pairs: tile first, then stretch, else centre (fit, fill, span are not ours).
        {"1", "2", Placement::Tile}, {"", "2", Placement::Stretch}, {"1", "", Placement::Tile},
        {"0", "6", Placement::Centre}, {"0", "10", Placement::Centre}, {"yes", "stretch", Placement::Centre},
        {"99999999999999999999", "2", Placement::Stretch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sarvo::PlacementFromValues(c.tile, c.style), c.expected) << "[" << c.tile << "] [" << c.style << "]";
}

TEST(SettingTexts, SizeCaptionsPadTheWallpaperNumbersToFourAndShowATopDownHeightAsItsSize) {
    EXPECT_EQ(ScreenSizeCaption(1024, 768), "1024 x 768 ピクセル");
    EXPECT_EQ(ScreenSizeCaption(0, 0), "0 x 0 ピクセル");
    const struct {
        std::int32_t width, height;
        const char* caption;
    } cases[] = {
        {800, 600, " 800 x  600 ピクセル"},        {1024, 768, "1024 x  768 ピクセル"},
        {0, 0, "   0 x    0 ピクセル"},            {12345, 1024, "12345 x 1024 ピクセル"},
        {1280, -1024, "1280 x 1024 ピクセル"},     {7, INT32_MIN, "   7 x 2147483648 ピクセル"},
    };
    for (const auto& c : cases) EXPECT_EQ(WallpaperSizeCaption(c.width, c.height), c.caption);
}

TEST(SettingTexts, ProposedNameIsTheDateAndTimeWithLeadingZeros) {
    std::tm when{};
    when.tm_year = 126, when.tm_mon = 0, when.tm_mday = 2, when.tm_hour = 3, when.tm_min = 4, when.tm_sec = 5;
    EXPECT_EQ(ProposedWallpaperName(when), "Wallpaper20260102030405");
}

TEST(SettingTexts, NumberedNamesGoBeforeTheLastExtension) {
    const struct {
        const char* name;
        int number;
        const char* numbered;
    } cases[] = {
        {"sea.jpg", 2, "sea (2).jpg"}, {"README", 3, "README (3)"},      {"a.tar.gz", 2, "a.tar (2).gz"},
        {".hidden", 2, ".hidden (2)"}, {"name.", 12, "name (12)."},      {"IMG 0001.JPG", 2, "IMG 0001 (2).JPG"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberedName(c.name, c.number), c.numbered);
}

TEST(SettingTexts, StartUpEntryIsQuotedOnlyWhereItIsACommandLine) {
    EXPECT_EQ(StartUpEntry("C:\\Program Files\\Sarvo\\SarvoChanger.exe", '\\'),
              "\"C:\\Program Files\\Sarvo\\SarvoChanger.exe\"");
    EXPECT_EQ(StartUpEntry("/opt/sarvo dir/SarvoChanger", '/'), "/opt/sarvo dir/SarvoChanger");
}

TEST(PlacementList, OnlyTheThreeRowsMatchReadAsNumbers) {
    const struct {
        const char *tile, *style;
        int index;  // -1: no row
    } cases[] = {
        {"0", "0", 0}, {"1", "0", 1}, {"0", "2", 2}, {"01", "0", 1}, {" 0", "02", 2},
        {"1", "2", -1}, {"", "", -1}, {"0", "", -1}, {"2", "0", -1}, {"0", "6", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlacementListIndex(c.tile, c.style).value_or(-1), c.index) << c.tile << "/" << c.style;
    for (int index = 0; index < 3; ++index) {
        const auto values = PlacementListValues(index);
        ASSERT_TRUE(values);
        EXPECT_EQ(PlacementListIndex(values->first, values->second), index);
    }
    EXPECT_FALSE(PlacementListValues(-1));
    EXPECT_FALSE(PlacementListValues(3));
}

// Each line: the program path, and the Exec and TryExec lines written for it.
TEST(DesktopEntry, ProgramPathsAreQuotedThenEscapedAndReadBack) {
    const struct {
        const char *program, *exec, *tryExec;
    } cases[] = {
        {"/opt/sarvo/SarvoChanger", R"(Exec=env "/opt/sarvo/SarvoChanger")", "TryExec=/opt/sarvo/SarvoChanger"},
        {"/my pics/Sarvo", R"(Exec=env "/my pics/Sarvo")", "TryExec=/my pics/Sarvo"},
        {"/a \"b\"/c", R"(Exec=env "/a \\"b\\"/c")", R"(TryExec=/a "b"/c)"},
        {"/cost $5/x", R"(Exec=env "/cost \\$5/x")", "TryExec=/cost $5/x"},
        {"/50% off/x", R"(Exec=env "/50%% off/x")", "TryExec=/50% off/x"},
        {"/back\\slash/x", R"(Exec=env "/back\\\\slash/x")", R"(TryExec=/back\\slash/x)"},
        {"/tick`/x", R"(Exec=env "/tick\\`/x")", "TryExec=/tick`/x"},
        {"/it's ~ (a;b) & c|d <e> #f *?/x", R"(Exec=env "/it's ~ (a;b) & c|d <e> #f *?/x")",
         "TryExec=/it's ~ (a;b) & c|d <e> #f *?/x"},
        {"/写真 ü/x", R"(Exec=env "/写真 ü/x")", "TryExec=/写真 ü/x"},
    };
    for (const auto& c : cases) {
        const auto text = DesktopEntryFor("SarvoChanger", c.program);
        ASSERT_TRUE(text) << c.program;
        EXPECT_EQ(*text, std::string("[Desktop Entry]\nType=Application\nName=SarvoChanger\n") + c.exec + "\n" +
                             c.tryExec + "\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n")
            << c.program;
        EXPECT_EQ(ProgramOfDesktopEntry(*text), c.program) << *text;
    }
}

TEST(DesktopEntry, WhatAFileCannotHoldFaithfullyIsRefused) {
    for (const char* program : {"", "relative/SarvoChanger", "-i", "/line\nbreak", "/car\rriage", "/tab\there",
                                "/bell\x07", "/bad\xff utf8", "/overlong \xc0\xaf"})
        EXPECT_FALSE(DesktopEntryFor("SarvoChanger", program)) << program;
    EXPECT_FALSE(DesktopEntryFor("", "/x"));
    EXPECT_FALSE(DesktopEntryFor("two\nlines", "/x"));
}

TEST(DesktopEntry, ExecValuesOfOthersAreReadOnlyWhenTheyNameOneProgram) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"/usr/bin/changer", "/usr/bin/changer"},
        {"  env   \"/a b/c\"  ", "/a b/c"},
        {"\"\\\\\"", "\\"},
        {"/usr/bin/50%%", "/usr/bin/50%"},
        {"/usr/bin/changer %U", std::nullopt},  // a field code: arguments at launch
        {"/a/b%", std::nullopt},
        {"/usr/bin/changer --nokey", std::nullopt},
        {"env A=1 /x", std::nullopt},
        {"/a$b", std::nullopt},  // reserved character unquoted
        {"\"/a", std::nullopt},  // no closing quote
        {"\"/a\"b", std::nullopt},
        {"\"/a\\n\"", std::nullopt},  // an escape the format does not know
        {"\"\"", std::nullopt},
        {"env \"-i\"", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [exec, program] : cases) EXPECT_EQ(ProgramOfExecValue(exec), program) << exec;
}

TEST(DesktopEntry, OnlyAShownApplicationEntryCounts) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"# note\n[Desktop Entry]\r\nType = Application\r\nExec= /x/y\r\n", "/x/y"},
        {"[Desktop Entry]\nType=Application\nExec=/x\nHidden=true\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nExec=/x\nX-GNOME-Autostart-enabled=false\n", std::nullopt},
        {"[Desktop Entry]\nType=Link\nExec=/x\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\n", std::nullopt},
        {"[Desktop Action a]\nExec=/x\n[Desktop Entry]\nType=Application\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nExec=/a\\qb\n", std::nullopt},  // unknown string escape
        {"[Desktop Entry]\nType=Application\nExec=/a\\\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, program] : cases) EXPECT_EQ(ProgramOfDesktopEntry(text), program) << text;
}

TEST(Utf8, WellFormedOnly) {
    for (const char* s : {"", "abc", "写真", "ü", "\xf0\x9f\x98\x80"}) EXPECT_TRUE(IsValidUtf8(s)) << s;
    for (const char* s : {"\xff", "\xc3", "\xe5\x86", "\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80"})
        EXPECT_FALSE(IsValidUtf8(s));
}

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

// A 3 x 2 picture as the suite writes it, each pixel's bytes distinct.
test::Bytes SmallFile() { return test::FileOf(BitmapOf(3, 2, {0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D, 0x121110})); }

}  // namespace

TEST(ViewBmp24, ReadsTheRowsInPlaceBottomUpOrTopDown) {
    for (const bool topDown : {false, true}) {
        test::Bytes file = SmallFile();
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
    const test::Bytes good = SmallFile();
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
        if (c.cut) file.resize(c.offset);
        else if (c.offset == 28) PutLe16(file.data() + 28, c.value);
        else PutLe32(file.data() + c.offset, c.value);
        BgrPicture picture;
        std::string why;
        EXPECT_FALSE(ViewBmp24(file.data(), file.size(), picture, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
        EXPECT_EQ(picture.top, nullptr) << c.what;
    }
}

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

