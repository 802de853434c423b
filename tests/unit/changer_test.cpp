// The changer's whole run on real files; keys, program starts, wallpaper and boxes are fakes (tested below).
#include <functional>
#include <set>

#include "changer/Form1.h"
#include "core/pure/menu_entries.h"
#include "picture_test_support.h"
#include "platform/dialogs.h"
#include "platform/picture.h"
#include "platform/program.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/wallpaper.h"
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
    std::string pictures = dir + S + "WallPaper", chosen;
};

}  // namespace

TEST_F(ChangerRun, CompletedRunsWriteTheBitmapApplyItAndRecordThePictureFromTheFolderPath) {
    const std::string red = BmpBytes(0xFF0000);
    WriteFile(fs::path(pictures) / "only.bmp", red);
    for (int run = 0; run < 2; ++run) {  // a lone picture comes again, over the same bitmap
        EXPECT_EQ(Run(), RunEnd::Completed);
        EXPECT_EQ(Setting("WallPaper"), pictures + S + "only.bmp");
        EXPECT_EQ(ReadFile(graphic), red);  // the same 24-bit picture, written anew
    }
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Desk().applied, (std::vector<std::string>{graphic, graphic}));
    EXPECT_EQ(Setting("FolderPath"), kGone);  // the changer writes only its own key
    // A picture shown but not recorded by the desktop is told once, and still recorded.
    Desk().applyNote = "the wallpaper is shown, but it could not be recorded";
    Set("WallPaper", "");
    EXPECT_EQ(Run(), RunEnd::Completed);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "壁紙は設定しましたが、記録できませんでした。\r\n" + Desk().applyNote);
    EXPECT_EQ(Setting("WallPaper"), pictures + S + "only.bmp");
    TempDir elsewhere;  // the kind is read from the content, not the name
    for (const char* name : {"a.jpg", "sub/a.jpg", "b.jpg", "c.gif"}) WriteFile(elsewhere.path() / name, BmpBytes(0x090909));
    Set("FolderPath", elsewhere.str());
    std::set<std::string> seen;
    for (int run = 0; run < 40 && seen.size() < 2; ++run) {
        Set("WallPaper", "/gone/elsewhere" + S + "a.jpg");
        ASSERT_EQ(Run(), RunEnd::Completed);
        seen.insert(fs::path(chosen).filename().string());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"b.jpg", "c.gif"}));
}

// MoreFormats=1 alone adds the further formats, to the catalogue (the content decides: a BMP named .png) and to the
// hand-over; no key, "0" or another value keep the classic three.
TEST_F(ChangerRun, MoreFormatsOneAloneAddsTheFurtherFormats) {
    WriteFile(fs::path(pictures) / "only.png", BmpBytes(0x123456));
    for (const char* value : {kGone, "0", "yes", "1"}) {
        SCOPED_TRACE(value);
        if (value != kGone) Set("MoreFormats", value);
        const RunEnd more = std::string(value) == "1" ? RunEnd::Completed : RunEnd::StoppedWithMessage;
        EXPECT_EQ(Run(), more);
        EXPECT_EQ(Run("\"/p/shot.PNG\""), more == RunEnd::Completed ? RunEnd::HandedOver : RunEnd::StoppedWithMessage);
    }
    EXPECT_EQ(ReadFile(graphic), BmpBytes(0x123456));
}

TEST_F(ChangerRun, AQuotedPictureOrAHeldKeyStartsTheSettingToolAndEveryStopShowsItsMessageAndKeepsWhatWasThere) {
    const auto normal = platform::WindowStyle::Normal, minimized = platform::WindowStyle::Minimized;
    // Keys down (Space, D, N), the command line, the arguments handed over, the window, the keys probed.
    const std::tuple<bool, bool, bool, const char*, const char*, platform::WindowStyle, std::size_t> cases[] = {
        {true, true, true, "\"/some where/Photo.JPG\"", "/add/some where/Photo.JPG", normal, 0},
        {true, true, true, "ignored text", "", normal, 1},  // Space first, then D, then N
        {false, true, true, "", "/delskip", minimized, 2}, {false, false, true, "/NOKEY", "/nowall", minimized, 3}};
    for (const auto& [space, d, n, commandLine, arguments, style, probed] : cases) {
        fake::ResetDesktop();
        Desk().spaceDown = space, Desk().dDown = d, Desk().nDown = n;
        EXPECT_EQ(Run(commandLine), RunEnd::HandedOver) << commandLine;
        ASSERT_EQ(Desk().started.size(), 1u);
        EXPECT_EQ(Desk().started[0].program + "|" + Desk().started[0].arguments,
                  dir + S + platform::ExecutableName("SarvoSetTool") + "|" + arguments);
        EXPECT_EQ(Desk().started[0].style, style);
        EXPECT_TRUE(Desk().keysProbed.size() == probed && Desk().applied.empty());
    }
    EXPECT_FALSE(fs::exists(ini));
    fake::ResetDesktop();  // "/nokey", spelt exactly, skips the keys
    Desk().spaceDown = true;
    WriteFile(fs::path(pictures) / "a.bmp", BmpBytes(0x030201));
    EXPECT_EQ(Run("/nokey"), RunEnd::Completed);
    EXPECT_TRUE(Desk().keysProbed.empty() && Desk().started.empty());
    // Every stop before the wallpaper changes shows why and keeps the settings, the bitmap and the wallpaper.
    const std::string picture = pictures + S + "a.bmp";
    const std::string& bitmap = graphic;
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
         [&] { WriteFile(picture, BmpBytes(1)), Desk().applySucceeds = false, Desk().applyFailure = "no session"; },
         [] { return "壁紙を設定できませんでした。\r\nno session"; }, true},
        {"no desktop can show the wallpaper",
         [&] { WriteFile(picture, BmpBytes(1)), Desk().available = false, Desk().unavailable = "no backend"; },
         [] { return "壁紙を設定できませんでした。\r\nno backend"; }, true},
        {"another run is changing the wallpaper", [&] { WriteFile(picture, BmpBytes(1)), Desk().changeRefused = "busy"; },
         [] { return "壁紙を設定できませんでした。\r\nbusy"; }, true},
        {"the bitmap cannot be written",  // a folder in its place cannot be replaced
         [&] { WriteFile(picture, BmpBytes(1)), fs::remove(bitmap), fs::create_directory(bitmap); },
         [&] { return "壁紙の画像ファイルを保存できませんでした。\r\n" + graphic + "\r\n"; }, false},
        {"the settings tool cannot start", [&] { Desk().spaceDown = true, Desk().startSucceeds = false; },
         [] { return "SarvoSetToolを起動できませんでした。\r\n"; }, false},
    };
    for (const auto& [what, arrange, text, whole] : stops) {
        SCOPED_TRACE(what);
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        fs::remove_all(pictures);
        fs::remove_all(bitmap);
        WriteFile(bitmap, "previous");
        arrange();
        Set("WallPaper", "/old.jpg");
        const auto bitmapNow = [&] { return fs::is_regular_file(bitmap) ? ReadFile(bitmap) : "not a file"; };
        const std::string settings = ReadFile(ini), before = bitmapNow();
        EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Shown()[0].caption, "SarvoBackdropChanger");
        EXPECT_EQ(Shown()[0].style, platform::kIconError);
        EXPECT_EQ(whole ? Shown()[0].text : Shown()[0].text.substr(0, text().size()), text());
        EXPECT_TRUE(ReadFile(ini) == settings && Desk().applied.empty() && !fs::exists(bitmap + ".previous"));
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

// Monitors=1: a picture of each monitor's shape in its rectangle of one bitmap, shown spanned; each monitor's
// picture recorded, and none shown on its monitor again while the catalogue allows.
TEST_F(ChangerRun, WithMonitorsEachMonitorShowsItsOwnPictureInOneSpannedBitmap) {
    const Bytes wide = FileOf(BitmapOf(4, 2, Colours(8, 0xFF0000))), tall = FileOf(BitmapOf(2, 4, Colours(8, 0x00FF00)));
    WriteFile(fs::path(pictures) / "wide.bmp", std::string(wide.begin(), wide.end()));
    WriteFile(fs::path(pictures) / "tall.bmp", std::string(tall.begin(), tall.end()));
    Set("Monitors", "1");
    Store(kDesktopKey, "TileWallpaper", "0");  // centred
    Store(kDesktopKey, "WallpaperStyle", "0");
    // A landscape primary, a portrait monitor right of it, and a mirror of the primary.
    Desk().monitors = {{{4, 0, 2, 4}, false, "B"}, {{0, 0, 4, 2}, true, "A"}, {{0, 0, 4, 2}, false, "A-mirror"}};
    const std::string record = fs::path(graphic).parent_path().string() + S + "SarvoChangerMonitors.txt";
    const auto bitmapColours = [&] {
        Bitmap shown;
        std::string why;
        return platform::LoadPicture(graphic, shown, why) ? ColoursOf(shown) : Colours{};
    };
    const std::uint32_t R = 0xFF0000, G = 0x00FF00, K = 0;
    ASSERT_EQ(Run(), RunEnd::Completed);
    EXPECT_EQ(Setting("WallPaper"), pictures + S + "wide.bmp");
    EXPECT_EQ(Desk().appliedSpanned, std::vector<std::string>{graphic});
    EXPECT_EQ(bitmapColours(), (Colours{R, R, R, R, G, G, R, R, R, R, G, G, K, K, K, K, G, G, K, K, K, K, G, G}));
    EXPECT_EQ(ReadFile(record).substr(ReadFile(record).find('\n') + 1),
              "A\t0\t0\t4\t2\t" + pictures + S + "wide.bmp\nB\t4\t0\t2\t4\t" + pictures + S + "tall.bmp\n");
    ASSERT_EQ(Run(), RunEnd::Completed);  // two pictures: each monitor gets the other one
    EXPECT_EQ(Setting("WallPaper"), pictures + S + "tall.bmp");
    EXPECT_EQ(bitmapColours(), (Colours{K, G, G, K, K, K, K, G, G, K, R, R, K, K, K, K, R, R, K, K, K, K, K, K}));
    // A broken picture for the second monitor stops the run with its name, and keeps the bitmap.
    WriteFile(fs::path(pictures) / "wide.bmp", "broken");
    Set("WallPaper", pictures + S + "wide.bmp");
    const std::string before = ReadFile(graphic);
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "以下の画像ファイルは壊れています。\r\n" + pictures + S + "wide.bmp");
    EXPECT_EQ(ReadFile(graphic), before);
}

// With one monitor (or only mirrors of one), or without the key, the run is the one-picture run.
TEST_F(ChangerRun, WithOneMonitorOrWithoutTheKeyOnePictureCoversTheDesktop) {
    const std::string red = BmpBytes(0xFF0000);
    WriteFile(fs::path(pictures) / "only.bmp", red);
    const std::vector<platform::DesktopMonitor> two = {{{0, 0, 4, 2}, true, "A"}, {{4, 0, 2, 4}, false, "B"}};
    const std::vector<platform::DesktopMonitor> mirrored = {{{0, 0, 4, 2}, true, "A"}, {{0, 0, 4, 2}, false, "B"}};
    // The key, the monitors.
    const std::pair<const char*, std::vector<platform::DesktopMonitor>> cases[] = {
        {"1", {}}, {"1", mirrored}, {"0", two}, {kGone, two}};
    for (const auto& [key, monitors] : cases) {
        fake::ResetDesktop();
        Desk().monitors = monitors;
        Set("Monitors", key);
        EXPECT_EQ(Run(), RunEnd::Completed) << key;
        EXPECT_EQ(ReadFile(graphic), red) << key << monitors.size();
        EXPECT_EQ(Desk().applied, std::vector<std::string>{graphic}) << key << monitors.size();
        EXPECT_FALSE(fs::exists(fs::path(graphic).parent_path() / "SarvoChangerMonitors.txt")) << key << monitors.size();
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

// The test-only fakes answer and record as their contract says.
TEST(FakeDesktop, RecordsWhatIsAskedAndFailsOnRequest) {
    fake::ResetDesktop();
    fake::Desktop& d = fake::TheDesktop();
    d.dDown = true;
    std::string why;
    int width = 0, height = 0;
    EXPECT_FALSE(platform::IsKeyDown(platform::Key::Space));
    EXPECT_TRUE(platform::IsKeyDown(platform::Key::D));
    EXPECT_TRUE(platform::StartProgram("/p/x", "/nowall", platform::WindowStyle::Minimized, why));
    EXPECT_TRUE(platform::ApplyWallpaper("/b.bmp", why) && platform::OpenFolderWindow("/f", why) &&
                platform::OpenWebAddress("https://a/", why) && platform::PrimaryScreenSize(width, height));
    EXPECT_EQ(width * 10000 + height, 1024 * 10000 + 768);
    d.applySucceeds = d.startSucceeds = d.openSucceeds = d.screenKnown = false;
    EXPECT_FALSE(platform::ApplyWallpaper("/c.bmp", why));
    EXPECT_EQ(why, d.applyFailure);
    EXPECT_FALSE(platform::StartProgram("/p/y", "", platform::WindowStyle::Normal, why) ||
                 platform::OpenFolderWindow("/g", why) || platform::PrimaryScreenSize(width, height));
    EXPECT_EQ(width + height, 0);
    EXPECT_EQ(d.keysProbed, (std::vector<platform::Key>{platform::Key::Space, platform::Key::D}));
    ASSERT_EQ(d.started.size(), 1u);
    EXPECT_EQ(d.started[0].arguments + d.applied.at(0) + d.openedFolders.at(0) + d.openedAddresses.at(0), "/nowall/b.bmp/fhttps://a/");
    EXPECT_EQ(d.applied.size() + d.openedFolders.size() + d.openedAddresses.size(), 3u);
}

TEST(FakeDesktop, TheMenuKeepsWhatItWasGivenUnlessUnfitAndRemovalReportsTheLinesSet) {
    fake::ResetDesktop();
    fake::Desktop& d = fake::TheDesktop();
    const std::vector<MenuEntry> entries = SuiteMenuEntries("/p/c", "/p/s");
    std::string why;
    EXPECT_EQ(platform::PutIntoMenu(entries, why), platform::MenuResult::Written);
    d.menuResult = platform::MenuResult::Unfit;
    EXPECT_EQ(platform::PutIntoMenu({}, why), platform::MenuResult::Unfit);
    EXPECT_EQ(d.menu.size(), entries.size());
    d.menuLeft = {"left"};
    std::vector<std::string> left;
    platform::RemoveFromMenu(entries, left);
    EXPECT_EQ(left, d.menuLeft);
    EXPECT_EQ(d.menuRemoved, (std::vector<std::string>{entries[0].id, entries[1].id}));
}

TEST(ScriptedUi, BoxesAndDialogsAnswerFromTheScriptThenCancel) {
    fake::ResetScriptedUi();
    fake::ScriptedUi().answers = {platform::kAnswerYes};
    fake::ScriptedUi().dialogAnswers = {{platform::DialogResult::Ok, "/chosen"},
                                        {platform::DialogResult::Error, "broken"}};
    EXPECT_EQ(platform::ShowMessage("C", "a\r\nb", platform::kYesNo), platform::kAnswerYes);
    EXPECT_EQ(platform::ShowMessage("C", "again", platform::kYesNo), platform::kAnswerNo);
    EXPECT_EQ(platform::ShowMessage("C", "done", platform::kIconError), platform::kAnswerOk);
    std::string text, why;
    EXPECT_EQ(platform::BrowseForFolder("T", "/start", text, why), platform::DialogResult::Ok);
    EXPECT_EQ(platform::InputBox("C", "P", "init", text, why), platform::DialogResult::Error);
    EXPECT_EQ(platform::InputBox("C", "P", "init", text, why), platform::DialogResult::Cancel);
    EXPECT_EQ(text + why, "/chosenbroken");
    const auto& ui = fake::ScriptedUi();
    ASSERT_EQ(ui.shown.size() * 10 + ui.dialogs.size(), 33u);
    EXPECT_EQ(ui.shown[0].text + ui.dialogs[0].initial, "a\r\nb/start");
    EXPECT_EQ(ui.shown[2].style, platform::kIconError);
}

TEST(ScriptedUi, WindowActsOnTheModelsByNameThenCloses) {
    fake::ResetScriptedUi();
    TextBox box;
    CheckBox tick;
    ComboBox list({"a", "b"});
    Button button;
    FormSpec form;
    int clicks = 0, closes = 0;
    button.OnClick = [&] { ++clicks; }, form.onUnload = [&] { ++closes; };
    form.Add("txt", ControlKind::TextBox, {}, 0, box);
    form.Add("chk", ControlKind::CheckBox, {}, 1, tick);
    form.Add("cbo", ControlKind::DropDownList, {}, 2, list);
    form.Add("cmd", ControlKind::Button, {}, 3, button);
    fake::ScriptedUi().user = [](FormSpec& f) {
        for (const char* action : {"text txt a b", "click chk", "choose cbo 1", "click cmd"})
            EXPECT_TRUE(fake::ActInWindow(f, action)) << action;
        EXPECT_FALSE(fake::ActInWindow(f, "click nothing") || fake::ActInWindow(f, "choose txt 1"));
    };
    std::string why;
    EXPECT_TRUE(platform::RunWindow(form, why));
    EXPECT_EQ(box.Text() + std::to_string(tick.Value()) + std::to_string(list.ListIndex()), "a b11");
    EXPECT_EQ(clicks * 10 + closes, 11);
}
