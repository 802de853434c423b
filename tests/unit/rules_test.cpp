// The pure rules and formats, on literal inputs; the generic error box.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "core/modules/GenericError.h"
#include "core/pure/bmp_view.h"
#include "core/pure/bytes.h"
#include "core/pure/desktop_entry.h"
#include "core/pure/profile_text.h"
#include "core/pure/rules.h"
#include "core/pure/setting_texts.h"
#include "picture_test_support.h"
#include "platform/fake/ui_scripted.h"
#include "platform/ui.h"

using namespace sarvo;
using test::BitmapOf;
using Screen = std::vector<std::uint32_t>;
using enum PictureFormats;

TEST(PictureFileName, EndsInAnExtensionOfAnyLetterCaseWithOrWithoutADotTheFurtherOnesOnlyWithMoreFormats) {
    const std::tuple<const char*, bool, bool> names[] = {  // name, a picture with the classic formats, with more
        {"a.bmp", true, true},       {"a.BMP", true, true},       {"b.Gif", true, true},       {"photo.JPEG", true, true},
        {"photo.Jpg", true, true},   {"xjpg", true, true},        {"jpeg", true, true},        {"bmp", true, true},
        {"shot.png", false, true},   {"x.WebP", false, true},     {"a.AVIF", false, true},     {"IMG_1.HEIC", false, true},
        {"a.heif", false, true},     {"a.jxl", false, true},      {"xpng", false, true},       {"webp", false, true},
        {"photo.jpe", false, false}, {"a.tif", false, false},     {"", false, false},          {"jp", false, false},
        {"gi", false, false},        {"a.jpg.txt", false, false}, {"jpeg ", false, false},     {"a.png.txt", false, false},
        {"a.hei", false, false},     {"a.jx", false, false},
    };
    for (const auto& [name, classic, more] : names) {
        EXPECT_EQ(IsPictureFileName(name, Classic), classic) << name;
        EXPECT_EQ(IsPictureFileName(name, More), more) << name;
    }
}

// Texts shorter than five characters are never looked at; unquoted, the last character counts as the extension's.
TEST(PictureHandOverPath, IsTheQuotedPictureNameWithoutItsQuotes) {
    const std::tuple<const char*, PictureFormats, std::optional<std::string>> cases[] = {
        {"\"C:\\Pics\\Sea.JPG\"", Classic, "C:\\Pics\\Sea.JPG"}, {"\"/home/u/a b/x.Gif\"", Classic, "/home/u/a b/x.Gif"},
        {"\"/p/c.BMP\"", More, "/p/c.BMP"},                      {"\"/p/shot.PNG\"", More, "/p/shot.PNG"},
        {"\"/p/shot.PNG\"", Classic, std::nullopt},              {"\"/p/IMG_1.heic\"", More, "/p/IMG_1.heic"},
        {"\"jxl\"", More, "jxl"},                                {"\"jpg\"", Classic, "jpg"},
        {"/p/photo.jpg", Classic, std::nullopt},                 {"/p/photo.webp", More, std::nullopt},
        {"\"/p/notes.txt\"", More, std::nullopt}, {"\"/p/a.jpg\" extra", Classic, std::nullopt}, {"/nokey", More, std::nullopt},
        {"", Classic, std::nullopt}, {"jpg\"", Classic, std::nullopt}, {"x", More, std::nullopt},
    };
    for (const auto& [text, formats, path] : cases) EXPECT_EQ(PictureHandOverPath(text, formats), path) << text;
}

// Leading digits in any base C knows, wrapped at 32 bits; the default only for an empty text.
TEST(ProfileNumber, IsTheNumberTheTextStartsWith) {
    const std::pair<const char*, long> numbers[] = {
        {"abc", 0}, {"12abc", 12}, {"70000", 70000}, {"-5", -5}, {"0x10", 16}, {"  42  ", 42}, {"", -7}, {"5000000000", 705032704},
    };
    for (const auto& [text, value] : numbers) EXPECT_EQ(ProfileNumber(text, -7), value) << text;
    for (const auto& [value, clamped] : {std::pair{1L, 1}, {-32768L, -32768}, {70000L, 32767}, {-70000L, -32768}})
        EXPECT_EQ(ClampToInt16(value), clamped) << value;
}

// "日" is three bytes: a cut inside it drops the whole character.
TEST(CutToLimit, NeverCutsACharacter) {
    for (const auto& [text, limit, cut] : {std::tuple{"abcdef", 4, "abcd"}, {"ab", 4, "ab"}, {"a日本", 3, "a"}, {"a日本", 4, "a日"}})
        EXPECT_EQ(CutToLimit(text, limit), cut);
}

TEST(GenericError, AFailureNobodyHandlesIsShownUnderTheProgramsTitleAndEndsTheRunWithStatusOne) {
    fake::ResetScriptedUi();
    EXPECT_EQ(RunWithGenericErrorBox("SarvoUninstaller", []() -> int { throw std::bad_alloc(); }), 1);
    const std::vector<fake::ShownMessage>& shown = fake::ScriptedUi().shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "SarvoUninstaller");
    EXPECT_EQ(shown[0].text, "メモリが不足しています。");
    EXPECT_EQ(shown[0].style, platform::kIconError);
}

namespace {
const std::string kStray = "/p/\xFF\xC3 \xE6\x97\xA5";  // a stray byte, a cut character, then 日
}  // namespace

// The edited text, and the bytes it gives (nullopt: refused, as a replacement typed or pasted names no byte).
TEST(ShownText, AnEditKeepsTheBytesItDidNotTouch) {
    const std::string s = ShownText(kStray);
    const std::pair<std::string, std::optional<std::string>> edits[] = {
        {s, kStray}, {s + "x", kStray + "x"}, {"x" + s, "x" + kStray}, {"", ""},
        {"/p/\uFFFD \u65E5", "/p/\xFF \xE6\x97\xA5"},  // a replacement deleted: its byte goes
        {"/q/\uFFFD\uFFFD \u65E5", "/q/\xFF\xC3 \xE6\x97\xA5"}, {"/p/\uFFFD\uFFFD \u65E5\uFFFD", std::nullopt},
    };
    for (const auto& [text, bytes] : edits) EXPECT_EQ(EditedBytes(kStray, text), bytes) << text;
}

namespace {
const ProfileText kProfile("top=1\r\n[Sarvo Changer]\r\nFolderPath = /p/a b  \r\nquoted=\"q v\"\r\n;WallPaper=no\r\n[B]\nonly=b\n");
}  // namespace

TEST(ProfileText, NamesMatchWithoutLetterCaseOnlyInTheirOwnSection) {
    EXPECT_EQ(kProfile.Find("sarvo changer", "FOLDERPATH"), "/p/a b");
    EXPECT_EQ(kProfile.Find("Other", "FolderPath"), std::nullopt);
    EXPECT_EQ(kProfile.Find("Sarvo Changer", "Folder"), std::nullopt);
    EXPECT_EQ(kProfile.Find("Sarvo Changer", "only"), std::nullopt);
    EXPECT_EQ(kProfile.Find("Sarvo Changer", "top"), std::nullopt);
}

TEST(ProfileText, AValueLosesTheBlanksAroundItAndOnePairOfQuotes) {
    EXPECT_EQ(kProfile.Find("Sarvo Changer", "FolderPath"), "/p/a b");
    EXPECT_EQ(kProfile.Find("Sarvo Changer", "quoted"), "q v");
}

TEST(ProfileText, ACommentLineIsNoKey) {
    EXPECT_EQ(kProfile.Find("Sarvo Changer", "WallPaper"), std::nullopt);
    EXPECT_EQ(kProfile.Find("Sarvo Changer", ";WallPaper"), std::nullopt);
}

TEST(ProfileText, EveryLineEndReadsAlike) {
    for (const char* text : {"[S]\nk=v\n", "[S]\r\nk=v\r\n", "[S]\r\nk=v"}) EXPECT_EQ(ProfileText(text).Find("S", "k"), "v") << text;
}

TEST(ProfileText, ARemovalTakesTheKeysLineAloneAndASectionIsAddedOnce) {
    ProfileText r("[K]\r\na=1\r\nb=2\r\n");
    EXPECT_TRUE(r.Remove("k", "A"));
    EXPECT_FALSE(r.Remove("k", "a"));
    EXPECT_FALSE(r.Remove("none", "b"));
    r.AddSection("K");
    r.AddSection("Run");
    EXPECT_TRUE(r.HasSection("run"));
    EXPECT_EQ(r.Text(), "[K]\r\nb=2\r\n[Run]\r\n");
}

// As numbers: tile first, then stretch, else centre.
TEST(SettingTexts, ThePlacementIsReadFromTheStoredPair) {
    using P = Placement;
    const std::tuple<const char*, const char*, Placement> cases[] = {
        {"0", "0", P::Centre}, {"1", "0", P::Tile}, {"0", "2", P::Stretch}, {"", "", P::Centre},
        {"01", "0", P::Tile}, {" 1 ", "0", P::Tile}, {"0", "+02", P::Stretch}, {"00", "\t2", P::Stretch},
        {"1x", "0", P::Centre}, {"0", "2 px", P::Centre}, {"11", "0", P::Centre}, {"-1", "0", P::Centre},
        {"1", "2", P::Tile}, {"", "2", P::Stretch}, {"1", "", P::Tile}, {"0", "6", P::Centre},
        {"0", "10", P::Centre}, {"yes", "stretch", P::Centre}, {"99999999999999999999", "2", P::Stretch},
    };
    for (const auto& [tile, style, expected] : cases)
        EXPECT_EQ(sarvo::PlacementFromValues(tile, style), expected) << "[" << tile << "] [" << style << "]";
}

// The wallpaper's numbers padded to four, a top-down height shown as its size (the screen's: the settings tool's test).
TEST(SettingTexts, SizeCaptions) {
    const std::tuple<std::int32_t, std::int32_t, const char*> sizes[] = {
        {0, 0, "   0 x    0 ピクセル"},            {12345, 1024, "12345 x 1024 ピクセル"},
        {1280, -1024, "1280 x 1024 ピクセル"},     {7, INT32_MIN, "   7 x 2147483648 ピクセル"},
    };
    for (const auto& [width, height, caption] : sizes) EXPECT_EQ(WallpaperSizeCaption(width, height), caption);
}

TEST(SettingTexts, ANumberedNameHasItsNumberBeforeTheLastExtension) {
    const std::tuple<const char*, int, const char*> numbered[] = {
        {"sea.jpg", 2, "sea (2).jpg"}, {"README", 3, "README (3)"},      {"a.tar.gz", 2, "a.tar (2).gz"},
        {".hidden", 2, ".hidden (2)"}, {"name.", 12, "name (12)."},      {"IMG 0001.JPG", 2, "IMG 0001 (2).JPG"},
    };
    for (const auto& [name, number, expected] : numbered) EXPECT_EQ(NumberedName(name, number), expected);
}

TEST(SettingTexts, TheStartUpEntryIsQuotedOnlyWhereItIsACommandLine) {
    EXPECT_EQ(StartUpEntry("C:\\Program Files\\Sarvo\\SarvoChanger.exe", '\\'), "\"C:\\Program Files\\Sarvo\\SarvoChanger.exe\"");
    EXPECT_EQ(StartUpEntry("/opt/sarvo dir/SarvoChanger", '/'), "/opt/sarvo dir/SarvoChanger");
}

TEST(DesktopEntry, OursAreRefusedForANameOrProgramNoEntryCanHold) {
    for (const char* program : {"", "relative/SarvoChanger", "-i", "/line\nbreak", "/car\rriage", "/tab\there",
                                "/bell\x07", "/bad\xff utf8", "/overlong \xc0\xaf"})
        EXPECT_FALSE(DesktopEntryFor("SarvoChanger", program)) << program;
    EXPECT_FALSE(DesktopEntryFor("", "/x"));
    EXPECT_FALSE(DesktopEntryFor("two\nlines", "/x"));
}

TEST(DesktopEntry, AnExecValueCountsOnlyWhenItNamesOneProgram) {
    const std::pair<const char*, std::optional<std::string>> execs[] = {
        {"/usr/bin/changer", "/usr/bin/changer"}, {"  env   \"/a b/c\"  ", "/a b/c"}, {"\"\\\\\"", "\\"},
        {"/usr/bin/50%%", "/usr/bin/50%"},
        {"/usr/bin/changer %U", std::nullopt},  // a field code: arguments at launch
        {"/a/b%", std::nullopt}, {"/usr/bin/changer --nokey", std::nullopt}, {"env A=1 /x", std::nullopt},
        {"/a$b", std::nullopt},  // reserved character unquoted
        {"\"/a", std::nullopt}, {"\"/a\"b", std::nullopt},
        {"\"/a\\n\"", std::nullopt},  // an escape the format does not know
        {"\"\"", std::nullopt}, {"env \"-i\"", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [exec, program] : execs) EXPECT_EQ(ProgramOfExecValue(exec), program) << exec;
}

TEST(Utf8, OverlongSurrogateAndCutSequencesAreInvalid) {
    for (const char* s : {"", "abc", "写真", "ü", "\xf0\x9f\x98\x80"}) EXPECT_TRUE(IsValidUtf8(s)) << s;
    for (const char* s : {"\xff", "\xc3", "\xe5\x86", "\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80"})
        EXPECT_FALSE(IsValidUtf8(s));
}

namespace {
const MenuEntry kMenuEntry{"sarvo-x", "名前", "説明", "/a $b/c", {{"skip-1", "削除", "/a $b/t", "/delskip"}}};
}  // namespace

TEST(MenuEntryFile, AnyTextOrPathItCannotHoldRefusesItWhole) {
    const std::function<void(MenuEntry&)> unfit[] = {
        [](MenuEntry& e) { e.id = "a b"; },          [](MenuEntry& e) { e.name.clear(); },
        [](MenuEntry& e) { e.comment = "a\nb"; },     [](MenuEntry& e) { e.program = "a/c"; },
        [](MenuEntry& e) { e.actions[0].id = "a;"; }, [](MenuEntry& e) { e.actions[0].program = "/\xff"; },
        [](MenuEntry& e) { e.actions[0].argument = "\t"; }};
    for (const auto& alter : unfit) {
        MenuEntry altered = kMenuEntry;
        alter(altered);
        EXPECT_FALSE(MenuEntryFileFor(altered));
    }
}

TEST(MenuEntryFile, OnlyTheMarkInTheEntrysOwnGroupMakesItOurs) {
    const std::pair<const char*, bool> marks[] = {
        {"[Desktop Entry]\nX-Sarvo-Backdrop-Changer = true\r\n", true},
        {"[Desktop Entry]\nX-Sarvo-Backdrop-Changer=false\n", false},
        {"[Desktop Action a]\nX-Sarvo-Backdrop-Changer=true\n", false},
        {"[Desktop Entry]\nName=X-Sarvo-Backdrop-Changer=true\n", false}, {"", false}};
    for (const auto& [text, ours] : marks) EXPECT_EQ(IsSuiteMenuEntry(text), ours) << text;
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

TEST(ViewBmp24, RefusesWhatItCannotShowWithAReason) {
    const test::Bytes good = SmallFile();
    // What, where to write the value (or the new size when cut), the value, cut.
    const std::tuple<const char*, std::size_t, std::uint32_t, bool> cases[] = {
        {"not BM", 0, 'X', false},           {"8 bits per pixel", 28, 8, false},
        {"RLE compression", 30, 1, false},   {"OS/2 header", 14, 12, false},
        {"zero width", 18, 0, false},        {"zero height", 22, 0, false},
        {"pixels beyond the end", 10, 1000, false},
        {"one byte short", good.size() - 1, 0, true},
        {"headers only", 54, 0, true},       {"no info header", 20, 0, true},
    };
    for (const auto& [what, offset, value, cut] : cases) {
        std::vector<unsigned char> file = good;
        if (cut) file.resize(offset);
        else if (offset == 28) PutLe16(file.data() + 28, value);
        else PutLe32(file.data() + offset, value);
        BgrPicture picture;
        std::string why;
        EXPECT_FALSE(ViewBmp24(file.data(), file.size(), picture, why)) << what;
        EXPECT_FALSE(why.empty()) << what;
        EXPECT_EQ(picture.top, nullptr) << what;
    }
}

TEST(ComposeRows, EachPlacementOnOneOrMoreMonitors) {
    const Bitmap abc = BitmapOf(3, 1, {A, B, C}), a = BitmapOf(1, 1, {A}), square = BitmapOf(2, 2, {A, B, C, D});
    const Bitmap big = BitmapOf(5, 3, {A, B, C, D, E, B, C, D, E, A, C, D, E, A, B}), e = BitmapOf(1, 1, {E}),
                 ab = BitmapOf(2, 1, {A, B});
    // What, the picture, its placement, the monitors, the screen's size, the screen's rows from the top.
    const std::tuple<const char*, const Bitmap&, Placement, std::vector<ScreenRect>, int, int, Screen> cases[] = {
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
        // The first monitor puts A at column 0 and black at 1; the second, overlapping it, A at 1.
        {"later monitors win", a, Placement::Centre, {{0, 0, 2, 1}, {1, 0, 2, 1}}, 3, 1, {A, A, K}},
    };
    for (const auto& [what, picture, placement, monitors, width, height, expected] : cases)
        EXPECT_EQ(Compose(picture, placement, monitors, width, height), expected) << what;
}
