// The changer's whole run on real files; keys, program starts, wallpaper and boxes are fakes.
#include <functional>
#include <set>

#include "changer/Form1.h"
#include "core/pure/menu_entries.h"
#include "picture_test_support.h"
#include "platform/picture.h"
#include "platform/program.h"
#include "platform/window.h"
#include "program_test.h"

using namespace sarvo;
using namespace sarvo::test;
using changer::RunEnd;
namespace fs = std::filesystem;

namespace {

// A small real picture: a 24-bit BMP file of one colour.
std::string BmpBytes(std::uint32_t colour) {
    const Bytes b = FileOf(BitmapOf(3, 2, Colours(6, colour)));
    return {b.begin(), b.end()};
}

class ChangerRun : public ProgramTest {
protected:
    RunEnd Run(const std::string& commandLine = "") {
        changer::Form1 form(dir, commandLine);
        const RunEnd end = form.Form_Load();
        chosen = form.txtWallpaperFilePath.Text();
        return end;
    }
    std::string Record() { return fs::path(graphic).parent_path().string() + S + "SarvoChangerMonitors.txt"; }
    std::string pictures = dir + S + "WallPaper", chosen;
};

}  // namespace

// A lone picture comes again, over the same bitmap; the changer writes only its own key.
TEST_F(ChangerRun, ACompletedRunWritesTheBitmapAppliesItAndRecordsThePicture) {
    const std::string red = BmpBytes(0xFF0000);
    WriteFile(fs::path(pictures) / "only.bmp", red);
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(Run(), RunEnd::Completed);
        EXPECT_EQ(Setting("WallPaper"), pictures + S + "only.bmp");
        EXPECT_EQ(ReadFile(graphic), red);
    }
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Desk().applied, (std::vector<std::string>{graphic, graphic}));
    EXPECT_EQ(Setting("FolderPath"), kGone);
}

// The last picture is known by its name in any folder; the kind is read from the content, not the name.
TEST_F(ChangerRun, TheLastPictureIsNotChosenAgainAndEveryOtherCanBe) {
    for (const char* name : {"a.jpg", "sub/a.jpg", "b.jpg", "c.gif"}) WriteFile(fs::path(pictures) / name, BmpBytes(0x090909));
    std::set<std::string> seen;
    for (int run = 0; run < 40 && seen.size() < 2; ++run) {
        Set("WallPaper", "/gone/elsewhere" + S + "a.jpg");
        ASSERT_EQ(Run(), RunEnd::Completed);
        seen.insert(fs::path(chosen).filename().string());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"b.jpg", "c.gif"}));
}

// To the catalogue (the content decides: a BMP named .png) and to the hand-over; no key, "0" or another value keep
// the classic three.
TEST_F(ChangerRun, MoreFormatsOneAloneAddsTheFurtherFormats) {
    WriteFile(fs::path(pictures) / "only.png", BmpBytes(0x123456));
    for (const char* value : {kGone, "0", "yes", "1"}) {
        SCOPED_TRACE(value);
        if (value != kGone) Set("MoreFormats", value);
        const bool more = std::string(value) == "1";
        EXPECT_EQ(Run(), more ? RunEnd::Completed : RunEnd::StoppedWithMessage);
        EXPECT_EQ(Run("\"/p/shot.PNG\""), more ? RunEnd::HandedOver : RunEnd::StoppedWithMessage);
    }
    EXPECT_EQ(ReadFile(graphic), BmpBytes(0x123456));
}

// Space first, then D, then N; a quoted picture before any key. Nothing is changed.
TEST_F(ChangerRun, AQuotedPictureOrAHeldKeyStartsTheSettingToolInstead) {
    const auto normal = platform::WindowStyle::Normal, minimized = platform::WindowStyle::Minimized;
    // Keys down (Space, D, N), the command line, the arguments handed over, the window, the keys probed.
    const std::tuple<bool, bool, bool, const char*, const char*, platform::WindowStyle, std::size_t> cases[] = {
        {true, true, true, "\"/some where/Photo.JPG\"", "/add/some where/Photo.JPG", normal, 0},
        {true, true, true, "ignored text", "", normal, 1},
        {false, true, true, "", "/delskip", minimized, 2}, {false, false, true, "/NOKEY", "/nowall", minimized, 3}};
    for (const auto& [space, d, n, commandLine, arguments, style, probed] : cases) {
        SCOPED_TRACE(commandLine);
        fake::ResetDesktop();
        Desk().spaceDown = space;
        Desk().dDown = d;
        Desk().nDown = n;
        EXPECT_EQ(Run(commandLine), RunEnd::HandedOver);
        ASSERT_EQ(Desk().started.size(), 1u);
        EXPECT_EQ(Desk().started[0].program, dir + S + platform::ExecutableName("SarvoSetTool"));
        EXPECT_EQ(Desk().started[0].arguments, arguments);
        EXPECT_EQ(Desk().started[0].style, style);
        EXPECT_EQ(Desk().keysProbed.size(), probed);
        EXPECT_TRUE(Desk().applied.empty());
    }
    EXPECT_FALSE(fs::exists(ini));
}

// Every stop before the wallpaper changes: the box says why, under the changer's title, and the settings, the bitmap
// and the wallpaper stay.
TEST_F(ChangerRun, EveryStopShowsWhyAndKeepsWhatWasThere) {
    const std::string picture = pictures + S + "a.bmp";
    const auto aPicture = [&] { WriteFile(picture, BmpBytes(1)); };
    // What, the arrangement, the text (known after the run), whether whole (else the system's reason follows).
    const std::tuple<const char*, std::function<void()>, std::function<std::string()>, bool> stops[] = {
        {"the folder is missing", [] {},
         [] { return "指定したフォルダがありません。\r\nSettingToolでもう一度指定しなおしてください。"; }, true},
        {"the catalogue is empty", [&] { WriteFile(fs::path(pictures) / "notes.txt", "x"); },
         [&] {
             return "指定したフォルダに画像がありません。\r\n以下の指定されたフォルダをご確認ください。\r\n\r\n" +
                    pictures + S;
         },
         true},
        {"the picture is broken", [&] { WriteFile(fs::path(pictures) / "broken.jpg", "this is no picture"); },
         [&] { return "以下の画像ファイルは壊れています。\r\n" + pictures + S + "broken.jpg"; }, true},
        {"the wallpaper cannot be applied",
         [&] {
             aPicture();
             Desk().applySucceeds = false;
             Desk().applyFailure = "no session";
         },
         [] { return "壁紙を設定できませんでした。\r\nno session"; }, true},
        {"the bitmap cannot be written",  // a folder in its place cannot be replaced
         [&] {
             aPicture();
             fs::remove(graphic);
             fs::create_directory(graphic);
         },
         [&] { return "壁紙の画像ファイルを保存できませんでした。\r\n" + graphic + "\r\n"; }, false},
        {"the settings tool cannot start",
         [&] {
             Desk().spaceDown = true;
             Desk().startSucceeds = false;
         },
         [] { return "SarvoSetToolを起動できませんでした。\r\n"; }, false},
    };
    for (const auto& [what, arrange, text, whole] : stops) {
        SCOPED_TRACE(what);
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        fs::remove_all(pictures);
        fs::remove_all(graphic);
        WriteFile(graphic, "previous");
        arrange();
        Set("WallPaper", "/old.jpg");
        const auto bitmapNow = [&] { return fs::is_regular_file(graphic) ? ReadFile(graphic) : "not a file"; };
        const std::string settings = ReadFile(ini);
        const std::string before = bitmapNow();
        EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Shown()[0].caption, "SarvoBackdropChanger");
        EXPECT_EQ(Shown()[0].style, platform::kIconError);
        EXPECT_EQ(whole ? Shown()[0].text : Shown()[0].text.substr(0, text().size()), text());
        EXPECT_EQ(ReadFile(ini), settings);
        EXPECT_TRUE(Desk().applied.empty());
        EXPECT_FALSE(fs::exists(graphic + ".previous"));
        EXPECT_EQ(bitmapNow(), before);
    }
}

// Where no key can be held at start, the changer's menu entry offers each key's start as an action.
TEST_F(ChangerRun, EachActionOfItsMenuEntryStartsWhatItsHeldKeyStarts) {
    const std::string changerPath = dir + S + platform::ExecutableName("SarvoChanger");
    const MenuEntry entry = SuiteMenuEntries(changerPath, dir + S + platform::ExecutableName("SarvoSetTool")).at(0);
    EXPECT_EQ(entry.program, changerPath);
    bool fake::Desktop::*const keys[] = {&fake::Desktop::spaceDown, &fake::Desktop::dDown, &fake::Desktop::nDown};
    ASSERT_EQ(entry.actions.size(), std::size(keys));
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        fake::ResetDesktop();
        Desk().*keys[i] = true;
        Run();
        ASSERT_EQ(Desk().started.size(), 1u);
        EXPECT_EQ(Desk().started[0].program, entry.actions[i].program);
        EXPECT_EQ(Desk().started[0].arguments, entry.actions[i].argument);
    }
}

namespace {

constexpr std::uint32_t R = 0xFF0000, G = 0x00FF00, K = 0;

// Monitors=1, centred, a wide and a tall picture; a landscape primary, a portrait monitor right of it, and a
// mirror of the primary.
class ChangerPerMonitor : public ChangerRun {
protected:
    void SetUp() override {
        ChangerRun::SetUp();
        WriteFile(fs::path(pictures) / "wide.bmp", FileOf(BitmapOf(4, 2, Colours(8, R))));
        WriteFile(fs::path(pictures) / "tall.bmp", FileOf(BitmapOf(2, 4, Colours(8, G))));
        Set("Monitors", "1");
        Store(kDesktopKey, "TileWallpaper", "0");
        Store(kDesktopKey, "WallpaperStyle", "0");
        Desk().monitors = {{{4, 0, 2, 4}, false, "B"}, {{0, 0, 4, 2}, true, "A"}, {{0, 0, 4, 2}, false, "A-mirror"}};
    }
    Colours BitmapColours() {
        Bitmap shown;
        std::string why;
        return platform::LoadPicture(graphic, shown, why) ? ColoursOf(shown) : Colours{};
    }
};

}  // namespace

TEST_F(ChangerPerMonitor, EachMonitorShowsAPictureOfItsShapeInItsRectangleOfOneSpannedBitmap) {
    ASSERT_EQ(Run(), RunEnd::Completed);
    EXPECT_EQ(Setting("WallPaper"), pictures + S + "wide.bmp");
    EXPECT_EQ(Desk().appliedSpanned, std::vector<std::string>{graphic});
    EXPECT_EQ(BitmapColours(), (Colours{R, R, R, R, G, G, R, R, R, R, G, G, K, K, K, K, G, G, K, K, K, K, G, G}));
    const std::string record = ReadFile(Record());
    EXPECT_EQ(record.substr(record.find('\n') + 1),
              "A\t0\t0\t4\t2\t" + pictures + S + "wide.bmp\nB\t4\t0\t2\t4\t" + pictures + S + "tall.bmp\n");
}

TEST_F(ChangerPerMonitor, NoMonitorShowsItsLastPictureAgainWhileTheCatalogueAllows) {
    ASSERT_EQ(Run(), RunEnd::Completed);
    ASSERT_EQ(Run(), RunEnd::Completed);
    EXPECT_EQ(Setting("WallPaper"), pictures + S + "tall.bmp");
    EXPECT_EQ(BitmapColours(), (Colours{K, G, G, K, K, K, K, G, G, K, R, R, K, K, K, K, R, R, K, K, K, K, K, K}));
}

TEST_F(ChangerPerMonitor, ABrokenPictureForAnyMonitorStopsTheRunWithItsNameAndKeepsTheBitmap) {
    WriteFile(fs::path(pictures) / "wide.bmp", "broken");
    WriteFile(graphic, "previous");
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "以下の画像ファイルは壊れています。\r\n" + pictures + S + "wide.bmp");
    EXPECT_EQ(ReadFile(graphic), "previous");
}

// With one monitor (or only mirrors of one), or without the key, the run is the one-picture run.
TEST_F(ChangerRun, WithOneMonitorOrWithoutTheKeyOnePictureCoversTheDesktop) {
    const std::string red = BmpBytes(0xFF0000);
    WriteFile(fs::path(pictures) / "only.bmp", red);
    const std::vector<platform::DesktopMonitor> two = {{{0, 0, 4, 2}, true, "A"}, {{4, 0, 2, 4}, false, "B"}};
    const std::vector<platform::DesktopMonitor> mirrored = {{{0, 0, 4, 2}, true, "A"}, {{0, 0, 4, 2}, false, "B"}};
    const std::tuple<const char*, const char*, std::vector<platform::DesktopMonitor>> cases[] = {  // what, the key, the monitors
        {"one monitor", "1", {}}, {"a mirror", "1", mirrored}, {"the key 0", "0", two}, {"no key", kGone, two}};
    for (const auto& [what, key, monitors] : cases) {
        SCOPED_TRACE(what);
        fake::ResetDesktop();
        Desk().monitors = monitors;
        Set("Monitors", key);
        EXPECT_EQ(Run(), RunEnd::Completed);
        EXPECT_EQ(ReadFile(graphic), red);
        EXPECT_EQ(Desk().applied, std::vector<std::string>{graphic});
        EXPECT_FALSE(fs::exists(Record()));
    }
}

TEST(SelectPosition, DrawsAgainWhileTheNameIsThePreviousOne) {
    const std::string a = "p" + S + "a.jpg", b = "p" + S + "b.jpg", qa = "q" + S + "a.jpg";
    const std::vector<std::string> letters = {"a", "b", "c", "d"};  // no separator: no name, nothing rejected
    // The files, the previous picture, the draws, the position chosen and how many draws it took.
    const std::tuple<std::vector<std::string>, std::string, std::vector<double>, std::size_t, std::size_t> cases[] = {
        {{a, b, qa}, "old" + S + "a.jpg", {0.1, 0.9, 0.5}, 1, 3},  // a and q/a are refused
        {{a, b, qa}, "old" + S + "A.jpg", {0.1}, 0, 1},            // another letter case is another picture
        {{a, b, qa}, "a.jpg", {0.1}, 0, 1},                        // so is a name without a folder part
        {{a}, a, {}, 0, 0},                                        // a lone entry is taken without a draw
        {{a, qa}, "r" + S + "a.jpg", {0.75}, 1, 1},                // no entry can pass: the first draw stands
        {letters, "", {0.0}, 0, 1}, {letters, "", {0.999999}, 3, 1}, {letters, "", {0.25}, 1, 1},
    };
    for (const auto& [files, old, draws, position, expectedDraws] : cases) {
        std::size_t drawn = 0;
        const auto next = [&, &draws = draws] { return draws.at(drawn++); };
        EXPECT_EQ(changer::SelectPosition(files, old, next), position) << old << draws.size();
        EXPECT_EQ(drawn, expectedDraws) << old << draws.size();
    }
}

// The scripted window acts on the models by their names, as the test builds of the programs are driven.
TEST(ScriptedUi, AnActionReachesTheNamedControlsModelAndHandler) {
    TextBox box;
    CheckBox tick;
    ComboBox list({"a", "b"});
    Button button;
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    FormSpec form;
    form.Add("txt", ControlKind::TextBox, {}, 0, box);
    form.Add("chk", ControlKind::CheckBox, {}, 1, tick);
    form.Add("cbo", ControlKind::DropDownList, {}, 2, list);
    form.Add("cmd", ControlKind::Button, {}, 3, button);
    for (const char* action : {"text txt a b", "click chk", "choose cbo 1", "click cmd"})
        EXPECT_TRUE(fake::ActInWindow(form, action)) << action;
    EXPECT_EQ(box.Text(), "a b");
    EXPECT_EQ(tick.Value(), 1);
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(fake::ActInWindow(form, "click nothing"));
    EXPECT_FALSE(fake::ActInWindow(form, "choose txt 1"));
}
